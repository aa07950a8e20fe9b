#include "ui/model/analysis_page_texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace ui {
namespace {

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

AnalysisWindowTexts MakeWindowTexts() {
    AnalysisWindowTexts t;
    t.title = W("Анализ блокировок");
    t.pageWhy = W("Почему запрещено");
    t.pageUnreliable = W("Недостоверность");
    t.pageProblems = W("Проблемы");
    t.pageRequirements = W("Требования");
    t.pageCompare = W("Сравнение");
    t.pageWhere = W("Где используется");
    t.pageDiagram = W("Схема");
    t.apply = W("Применить как значения ТС");
    t.chooseRequirements = W("Файл требований...");
    t.chooseCompare = W("Сравнить с файлом...");
    t.whereLabel = W("Номер ТС:");
    t.whereMenu = W("Где используется ТС");
    t.analysisMenu = W("Анализ блокировок (F9)");
    t.print = W("Печать таблицы блокировок");
    t.requirementsFilter = W("Требования (*.req)");
    t.noApplyChange =
        W("Изменение ТС запрещено: включите \"Разрешить изменение ТС\" на панели \"Настройки\"");
    t.noApplyRtu = W("Идёт приём ТС с КП: значения ТС задаёт КП");
    t.noApplyServer = W("Идёт приём ТС с сервера ТМ: значения ТС задаёт сервер");
    t.noApplyRow = W("Выберите строку с набором значений ТС");
    return t;
}

PageTexts MakePageTexts() {
    PageTexts t;
    t.block = W("Блок ");
    t.operationOn = W("Включение");
    t.operationOff = W("Отключение");
    t.anyValues = W("любые значения ТС");
    t.noStateSignal = W("У блока нет сигнала состояния: управляющая операция не определена");
    t.emptyLogic = W("Логика пуста");
    t.yes = W("да");
    t.no = W("нет");
    t.columnLogic = W("Логика");
    t.columnDetails = W("Подробности");
    t.line = W("строка ");
    t.position = W("позиция ");
    t.columnSet = W("Набор");
    t.columnChanges = W("Изменения ТС (номер, имя: значение сейчас -> новое)");
    t.allowedAsIs = W("Операция разрешена: изменять ТС не нужно");
    t.smallestSets = W("Наименьшие наборы изменений: ");
    t.nothingAllows = W("Никакое изменение ТС не разрешает эту операцию, пока аппарат в этом состоянии");
    t.smallestCount = W("Наименьшее число изменений ТС: ");
    t.setCount = W(", наборов: ");
    t.notAllShown = W(" (показаны не все)");
    t.columnValue = W("Значение");
    t.columnDecisive = W("Решает исход");
    t.columnInList = W("В списке логики");
    t.decisiveHead = W("Решающие недостоверные ТС: ");
    t.noneDecisive = W("Ни один недостоверный ТС не может изменить исход");
    t.mayDecide = W("Исход может изменить: ");
    t.hardware = W("аппаратная");
    t.manual = W("ручная");
    t.noUnreliable = W("Логика не читает недостоверных ТС");
    t.columnSeverity = W("Важность");
    t.columnMessage = W("Сообщение");
    t.columnCheck = W("Проверка");
    t.problemCount = W("Проблем: ");
    t.noProblems = W("Анализ не нашёл проблем");
    t.columnRequirement = W("Требование");
    t.columnResult = W("Результат");
    t.noRequirementsFile = W("Файл требований не найден рядом с конфигурацией: выберите его");
    t.fileHead = W("Файл: ");
    t.total = W(", всего ");
    t.errorLines = W(", ошибочных строк ");
    t.noRequirements = W("В файле нет требований");
    t.columnBehaviour = W("Поведение");
    t.compareHead = W("Сравнение конфигурации в памяти с файлом ");
    t.nameChange = W("имя: \"");
    t.changed = W("изменён");
    t.equivalent = W("равносильна");
    t.notCompared = W("не сравнивалась");
    t.inFile = W(": в файле ");
    t.inMemory = W(", в памяти ");
    t.bothWays = W(" (изменения в обе стороны)");
    t.memoryAllowsMore = W(" (в памяти разрешено больше)");
    t.memoryForbidsMore = W(" (в памяти запрещено больше)");
    t.invertedChanged = W("признак инверсии изменён");
    t.twoPositionChanged = W("признак двухпозиционного изменён");
    t.attributes = W("признаки ТС");
    t.identical = W("Конфигурации совпадают и по тексту, и по поведению");
    t.columnOperand = W("Операнд");
    t.enterTs = W("Введите номер ТС от 1 до 256");
    t.readPlaces = W(": мест чтения ");
    t.readNowhere = W("Ни одна логика не читает этот ТС");
    return t;
}

#define TEXT(type, name) \
    { #name, &type::name }
constexpr std::pair<std::string_view, std::string AnalysisWindowTexts::*> kWindowMembers[] = {
    TEXT(AnalysisWindowTexts, title),
    TEXT(AnalysisWindowTexts, pageWhy),
    TEXT(AnalysisWindowTexts, pageUnreliable),
    TEXT(AnalysisWindowTexts, pageProblems),
    TEXT(AnalysisWindowTexts, pageRequirements),
    TEXT(AnalysisWindowTexts, pageCompare),
    TEXT(AnalysisWindowTexts, pageWhere),
    TEXT(AnalysisWindowTexts, pageDiagram),
    TEXT(AnalysisWindowTexts, apply),
    TEXT(AnalysisWindowTexts, chooseRequirements),
    TEXT(AnalysisWindowTexts, chooseCompare),
    TEXT(AnalysisWindowTexts, whereLabel),
    TEXT(AnalysisWindowTexts, whereMenu),
    TEXT(AnalysisWindowTexts, analysisMenu),
    TEXT(AnalysisWindowTexts, print),
    TEXT(AnalysisWindowTexts, requirementsFilter),
    TEXT(AnalysisWindowTexts, noApplyChange),
    TEXT(AnalysisWindowTexts, noApplyRtu),
    TEXT(AnalysisWindowTexts, noApplyServer),
    TEXT(AnalysisWindowTexts, noApplyRow),
};
constexpr std::pair<std::string_view, std::string PageTexts::*> kPageMembers[] = {
    TEXT(PageTexts, block),
    TEXT(PageTexts, operationOn),
    TEXT(PageTexts, operationOff),
    TEXT(PageTexts, anyValues),
    TEXT(PageTexts, noStateSignal),
    TEXT(PageTexts, emptyLogic),
    TEXT(PageTexts, yes),
    TEXT(PageTexts, no),
    TEXT(PageTexts, columnLogic),
    TEXT(PageTexts, columnDetails),
    TEXT(PageTexts, line),
    TEXT(PageTexts, position),
    TEXT(PageTexts, columnSet),
    TEXT(PageTexts, columnChanges),
    TEXT(PageTexts, allowedAsIs),
    TEXT(PageTexts, smallestSets),
    TEXT(PageTexts, nothingAllows),
    TEXT(PageTexts, smallestCount),
    TEXT(PageTexts, setCount),
    TEXT(PageTexts, notAllShown),
    TEXT(PageTexts, columnValue),
    TEXT(PageTexts, columnDecisive),
    TEXT(PageTexts, columnInList),
    TEXT(PageTexts, decisiveHead),
    TEXT(PageTexts, noneDecisive),
    TEXT(PageTexts, mayDecide),
    TEXT(PageTexts, hardware),
    TEXT(PageTexts, manual),
    TEXT(PageTexts, noUnreliable),
    TEXT(PageTexts, columnSeverity),
    TEXT(PageTexts, columnMessage),
    TEXT(PageTexts, columnCheck),
    TEXT(PageTexts, problemCount),
    TEXT(PageTexts, noProblems),
    TEXT(PageTexts, columnRequirement),
    TEXT(PageTexts, columnResult),
    TEXT(PageTexts, noRequirementsFile),
    TEXT(PageTexts, fileHead),
    TEXT(PageTexts, total),
    TEXT(PageTexts, errorLines),
    TEXT(PageTexts, noRequirements),
    TEXT(PageTexts, columnBehaviour),
    TEXT(PageTexts, compareHead),
    TEXT(PageTexts, nameChange),
    TEXT(PageTexts, changed),
    TEXT(PageTexts, equivalent),
    TEXT(PageTexts, notCompared),
    TEXT(PageTexts, inFile),
    TEXT(PageTexts, inMemory),
    TEXT(PageTexts, bothWays),
    TEXT(PageTexts, memoryAllowsMore),
    TEXT(PageTexts, memoryForbidsMore),
    TEXT(PageTexts, invertedChanged),
    TEXT(PageTexts, twoPositionChanged),
    TEXT(PageTexts, attributes),
    TEXT(PageTexts, identical),
    TEXT(PageTexts, columnOperand),
    TEXT(PageTexts, enterTs),
    TEXT(PageTexts, readPlaces),
    TEXT(PageTexts, readNowhere),
};
#undef TEXT

}  // namespace

const AnalysisWindowTexts& AnalysisPageTexts() {
    static const AnalysisWindowTexts texts = MakeWindowTexts();
    return texts;
}

interlock::TextList AnalysisWindowTextList() {
    return interlock::ListTexts(AnalysisPageTexts(), kWindowMembers);
}

const PageTexts& PageWords() {
    static const PageTexts texts = MakePageTexts();
    return texts;
}

interlock::TextList PageTextList() { return interlock::ListTexts(PageWords(), kPageMembers); }

std::string Capitalised(std::string text) {
    if (text.empty()) return text;
    auto& c = reinterpret_cast<unsigned char&>(text[0]);
    if (c >= 0xE0)  // а..я
        c = static_cast<unsigned char>(c - 0x20);
    else if (c == 0xB8)  // ё
        c = 0xA8;
    else if (c >= 'a' && c <= 'z')
        c = static_cast<unsigned char>(c - 'a' + 'A');
    return text;
}

}  // namespace ui
