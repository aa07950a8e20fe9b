#pragma once

// The fixed texts of the printed interlock table (its contents and its sheets), in
// Windows-1251, written in UTF-8 in report_texts.cpp and converted once, on first use. Words
// the analysis window's pages or the diagram already hold are taken from there.

#include <string>

#include "interlock/text_list.h"

namespace ui {

struct ReportTexts {
    // A block's conditions in words.
    std::string apparatusOf;   // "аппарат блока " before a number
    std::string onAllowedIf;   // Включение разрешено, если:
    std::string offAllowedIf;  // Отключение разрешено, если:
    std::string emptyNever;    // an empty logic allows nothing
    std::string errorNever;    // a logic with an error allows nothing; its message follows
    std::string neverPrefix;   // "никогда: " before the analysis' "never allowed"
    std::string always;
    std::string tooLong;          // a condition too long to be written as a formula
    std::string orWord, andWord;  // ИЛИ, И
    std::string noStateSignal;
    std::string onWhen;  // ", аппарат включен при ТС" before the TS number
    // The sheets.
    std::string title;  // Таблица оперативных блокировок (capitals on the title page)
    std::string sheet;    // "лист " before a number
    std::string sheetOf;  // " из " before the number of sheets
    std::string subtitle;
    std::string configFile, compiledOn, blocks, blocksValue, findings, findingsValue;
    std::string noRequirementsFile, requirementsFile, requirementErrors, requirementErrorsHead;
    std::string compiledBy, checkedBy, approvedBy, dateBlank, signature, surname;
    std::string logicText, contents, unnamed, blockState, logicError, normal, diagramOn, diagramOff;
};
const ReportTexts& ReportWords();
interlock::TextList ReportTextList();

}  // namespace ui
