#include "ui/model/window_analysis_texts.h"

#include <utility>

#include "analysis/analysis_texts.h"
#include "interlock/cp1251.h"

namespace ui {
namespace {

AnalysisViewTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    AnalysisViewTexts x;
    x.whyHardware = t("Управление запрещено аппаратной недостоверностью ТС, которые читает логика: ");
    x.whyLogicAllows =
        t("Без недостоверности логика разрешила бы операцию: изменять значения ТС не нужно, "
          "нужна достоверность этих ТС");
    x.whyLogicForbids = t("Без недостоверности логика тоже запрещает операцию");
    x.whyManual = t("Ручная недостоверность ТС (только предупреждение): ");
    x.errorInLine = t("Ошибка в строке ");
    x.errorNoLine = t("Ошибка: ");
    x.errorInLogic = t("Ошибка в логике: ");
    x.sameBehaviour = t("текст изменён, поведение то же");
    x.checkTextError = t("ошибка в тексте логики");
    x.checkNoStateSignal = t("нет сигнала состояния");
    x.checkBadStatePair = t("пара сигнала состояния некорректна");
    x.checkNeverAllowed = t("никогда не разрешена");
    x.checkAlwaysAllowed = t("всегда разрешена");
    x.checkConstantLine = t("строка постоянна");
    x.checkMNeverRead = t("значение M не читается");
    x.checkPairSecondRead = t("второй ТС пары отдельно");
    x.checkDNotPair = t("D не на паре");
    x.checkSOnPair = t("S на паре");
    x.checkSharedStateSignal = t("общий сигнал состояния");
    x.checkStateNotRead = t("сигнал состояния не читается");
    x.checkNoTs = t("не зависит от ТС");
    x.whereStateSignal = t("сигнал состояния");
    x.wherePairOf = t("пара ТС");
    x.exportName = t("схема_блок");
    x.exportOn = t("_вкл");
    x.exportOff = t("_откл");
    x.statePair = t(", двухпозиционный: пара ТС");
    x.filterHint = t("Фильтр: блок, важность, проверка или любой текст строки");
    x.restore = t("Вернуть значения ТС");
    x.restoreNothing = t("Значения ТС ещё не применялись из этого окна");
    x.fitAll = t("Уместить");
    x.fitAllHint = t("Уместить всю схему в окне");
    x.titlePath = t("Полный путь");
    x.titleModified = t("Файл изменён");
    x.titleSha256 = t("SHA-256 файла");
    x.titleNoFile = t("файла нет: таблица составлена по конфигурации в памяти");
    x.searchLabel = t("Найти:");
    x.searchHint = t("ТС или M: S12, ТС12, 12, M3");
    x.searchPrevTip = t("Предыдущее место (Shift+F3)");
    x.searchNextTip = t("Следующее место (F3, Enter)");
    x.searchNone = t("не найдено");
    x.searchBad = t("введите ТС (S12, ТС12, 12) или M (M3)");
    x.printToPrinter = t("Печать...");
    x.printPreview = t("Предварительный просмотр...");
    x.printToPdf = t("Сохранить в PDF...");
    x.exportTime = t("Значения на ");
    x.exportValues = t("Значения ТС: ");
    x.sheetTo = t("на лист ");
    x.sheetFrom = t("с листа ");
    x.computing =
        t("Считается для новых значений ТС... Ниже ответ для прежних значений, применить его нельзя");
    return x;
}

using Member = std::string AnalysisViewTexts::*;
#define TEXT(name) \
    { #name, &AnalysisViewTexts::name }
constexpr std::pair<std::string_view, Member> kMembers[] = {
    TEXT(whyHardware),
    TEXT(whyLogicAllows),
    TEXT(whyLogicForbids),
    TEXT(whyManual),
    TEXT(errorInLine),
    TEXT(errorNoLine),
    TEXT(errorInLogic),
    TEXT(sameBehaviour),
    TEXT(checkTextError),
    TEXT(checkNoStateSignal),
    TEXT(checkBadStatePair),
    TEXT(checkNeverAllowed),
    TEXT(checkAlwaysAllowed),
    TEXT(checkConstantLine),
    TEXT(checkMNeverRead),
    TEXT(checkPairSecondRead),
    TEXT(checkDNotPair),
    TEXT(checkSOnPair),
    TEXT(checkSharedStateSignal),
    TEXT(checkStateNotRead),
    TEXT(checkNoTs),
    TEXT(whereStateSignal),
    TEXT(wherePairOf),
    TEXT(exportName),
    TEXT(exportOn),
    TEXT(exportOff),
    TEXT(statePair),
    TEXT(filterHint),
    TEXT(restore),
    TEXT(restoreNothing),
    TEXT(fitAll),
    TEXT(fitAllHint),
    TEXT(titlePath),
    TEXT(titleModified),
    TEXT(titleSha256),
    TEXT(titleNoFile),
    TEXT(searchLabel),
    TEXT(searchHint),
    TEXT(searchPrevTip),
    TEXT(searchNextTip),
    TEXT(searchNone),
    TEXT(searchBad),
    TEXT(printToPrinter),
    TEXT(printPreview),
    TEXT(printToPdf),
    TEXT(exportTime),
    TEXT(exportValues),
    TEXT(sheetTo),
    TEXT(sheetFrom),
    TEXT(computing),
};
#undef TEXT

}  // namespace

const AnalysisViewTexts& AnalysisTexts() {
    static const AnalysisViewTexts texts = MakeTexts();
    return texts;
}

interlock::TextList AnalysisTextList() { return interlock::ListTexts(AnalysisTexts(), kMembers); }

std::string CheckName(std::string_view check) {
    const AnalysisViewTexts& t = AnalysisTexts();
    static const std::pair<std::string_view, const std::string*> kNames[] = {
        {"text_error", &t.checkTextError},
        {"no_state_signal", &t.checkNoStateSignal},
        {"bad_state_pair", &t.checkBadStatePair},
        {"never_allowed", &t.checkNeverAllowed},
        {"always_allowed", &t.checkAlwaysAllowed},
        {"constant_line", &t.checkConstantLine},
        {"m_never_read", &t.checkMNeverRead},
        {"pair_second_read", &t.checkPairSecondRead},
        {"d_not_pair", &t.checkDNotPair},
        {"s_on_pair", &t.checkSOnPair},
        {"shared_state_signal", &t.checkSharedStateSignal},
        {"state_not_read", &t.checkStateNotRead},
        {"no_ts", &t.checkNoTs},
        {"undetermined", &analysis::Texts().undetermined},
    };
    for (const auto& [id, name] : kNames)
        if (id == check) return *name;
    return std::string(check);
}

}  // namespace ui
