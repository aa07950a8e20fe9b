#include "ui/model/report_texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace ui {
namespace {

ReportTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    ReportTexts x;
    x.apparatusOf = t("аппарат блока ");
    x.onAllowedIf = t("Включение разрешено, если:");
    x.offAllowedIf = t("Отключение разрешено, если:");
    x.emptyNever = t("логика пуста: операция не разрешается");
    x.errorNever = t("логика содержит ошибку, операция не разрешается: ");
    x.neverPrefix = t("никогда: ");
    x.always = t("всегда: блокировка ничего не запрещает");
    x.tooLong = t("условие слишком длинное для записи формулой; см. схему");
    x.orWord = t("ИЛИ");
    x.andWord = t("И");
    x.noStateSignal = t("не задан: операции не различаются по состоянию аппарата");
    x.onWhen = t(", аппарат включен при ТС");
    x.title = t("Таблица оперативных блокировок");
    x.sheet = t("лист ");
    x.sheetOf = t(" из ");
    x.subtitle = t("условия включения и отключения коммутационных аппаратов,\nуправляемых выходными реле КП");
    x.configFile = t("Файл конфигурации");
    x.compiledOn = t("Дата составления");
    x.blocks = t("Блоков");
    x.blocksValue = t("с логикой %1 (нормальных %2, ошибочных %3), пустых %4");
    x.findings = t("Замечания анализа");
    x.findingsValue = t("ошибок %1, предупреждений %2, сведений %3");
    x.noRequirementsFile = t("файл требований не найден");
    x.requirementsFile = t("Файл требований");
    x.requirementErrors = t("; строк с ошибкой %1");
    x.requirementErrorsHead = t("Строки файла требований с ошибкой (не проверены):");
    x.compiledBy = t("Составил");
    x.checkedBy = t("Проверил");
    x.approvedBy = t("Утвердил");
    x.dateBlank = t("«___» ________ 20__ г.");
    x.signature = t("подпись");
    x.surname = t("фамилия, инициалы");
    x.logicText = t("Текст логики");
    x.contents = t("Содержание");
    x.unnamed = t("(без названия)");
    x.blockState = t("Состояние блока: ");
    x.logicError = t("ошибка в логике");
    x.normal = t("нормальный");
    x.diagramOn = t("Схема логики включения");
    x.diagramOff = t("Схема логики отключения");
    return x;
}

#define TEXT(name) \
    { #name, &ReportTexts::name }
constexpr std::pair<std::string_view, std::string ReportTexts::*> kMembers[] = {
    TEXT(apparatusOf),
    TEXT(onAllowedIf),
    TEXT(offAllowedIf),
    TEXT(emptyNever),
    TEXT(errorNever),
    TEXT(neverPrefix),
    TEXT(always),
    TEXT(tooLong),
    TEXT(orWord),
    TEXT(andWord),
    TEXT(noStateSignal),
    TEXT(onWhen),
    TEXT(title),
    TEXT(sheet),
    TEXT(sheetOf),
    TEXT(subtitle),
    TEXT(configFile),
    TEXT(compiledOn),
    TEXT(blocks),
    TEXT(blocksValue),
    TEXT(findings),
    TEXT(findingsValue),
    TEXT(noRequirementsFile),
    TEXT(requirementsFile),
    TEXT(requirementErrors),
    TEXT(requirementErrorsHead),
    TEXT(compiledBy),
    TEXT(checkedBy),
    TEXT(approvedBy),
    TEXT(dateBlank),
    TEXT(signature),
    TEXT(surname),
    TEXT(logicText),
    TEXT(contents),
    TEXT(unnamed),
    TEXT(blockState),
    TEXT(logicError),
    TEXT(normal),
    TEXT(diagramOn),
    TEXT(diagramOff),
};
#undef TEXT

}  // namespace

const ReportTexts& ReportWords() {
    static const ReportTexts texts = MakeTexts();
    return texts;
}

interlock::TextList ReportTextList() { return interlock::ListTexts(ReportWords(), kMembers); }

}  // namespace ui
