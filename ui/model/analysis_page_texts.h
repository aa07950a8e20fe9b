#pragma once

// The fixed texts of the analysis window's pages and of the window itself, in Windows-1251,
// written in UTF-8 in analysis_page_texts.cpp and converted once, on first use. Words other
// catalogues already hold (the verdicts, "ТС", "вкл", the column "Блок", "контрпример: ") are
// taken from there, never written again.

#include <string>

#include "interlock/text_list.h"

namespace ui {

// The texts of the window itself: title, page names, actions.
struct AnalysisWindowTexts {
    std::string title;  // Анализ блокировок
    std::string pageWhy, pageUnreliable, pageProblems, pageRequirements, pageCompare, pageWhere, pageDiagram;
    std::string apply;               // Применить как значения ТС
    std::string chooseRequirements;  // Файл требований...
    std::string chooseCompare;       // Сравнить с файлом...
    std::string whereLabel;          // Номер ТС:
    std::string whereMenu;           // Где используется ТС
    std::string analysisMenu;        // Анализ блокировок (F9)
    std::string print;               // Печать таблицы блокировок
    std::string requirementsFilter;
    std::string noApplyChange;  // why an apply is disabled
    std::string noApplyRtu, noApplyServer, noApplyRow;
};
const AnalysisWindowTexts& AnalysisPageTexts();
interlock::TextList AnalysisWindowTextList();

// The texts inside the pages: headings, columns, cells and the words for an empty page.
struct PageTexts {
    // Shared by several pages (and by the printed table).
    std::string block;          // "Блок " before a number
    std::string operationOn;    // Включение
    std::string operationOff;   // Отключение
    std::string anyValues;      // a condition on no TS at all
    std::string noStateSignal;  // no governing operation without a state signal
    std::string emptyLogic;     // Логика пуста
    std::string yes, no;
    std::string columnLogic, columnDetails;
    std::string line;      // "строка " before a number
    std::string position;  // "позиция " before a number
    // "Почему запрещено".
    std::string columnSet, columnChanges;
    std::string allowedAsIs, smallestSets, nothingAllows, smallestCount, setCount, notAllShown;
    // "Недостоверность".
    std::string columnValue, columnDecisive, columnInList;
    std::string decisiveHead, noneDecisive, mayDecide, hardware, manual, noUnreliable;
    // "Проблемы".
    std::string columnSeverity, columnMessage, columnCheck, problemCount, noProblems;
    // "Требования".
    std::string columnRequirement, columnResult, noRequirementsFile, fileHead, total, errorLines;
    std::string noRequirements;
    // "Сравнение".
    std::string columnBehaviour, compareHead, nameChange, changed, equivalent, notCompared;
    std::string inFile, inMemory, bothWays, memoryAllowsMore, memoryForbidsMore;
    std::string invertedChanged, twoPositionChanged, attributes, identical;
    // "Где используется".
    std::string columnOperand, enterTs, readPlaces, readNowhere;
};
const PageTexts& PageWords();
interlock::TextList PageTextList();

// The text with its first letter in capitals (Windows-1251): "доказано" -> "Доказано".
std::string Capitalised(std::string text);

}  // namespace ui
