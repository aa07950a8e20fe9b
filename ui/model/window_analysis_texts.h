#pragma once

// The fixed texts the analysis window, its diagram and the printed table added for daily use,
// in Windows-1251 (line breaks LF CR), written in UTF-8 in window_analysis_texts.cpp and
// converted once, on first use.

#include <string>
#include <string_view>

#include "interlock/text_list.h"

namespace ui {

struct AnalysisViewTexts {
    // "Почему запрещено" under unreliability.
    std::string whyHardware;      // the TS whose hardware unreliability forbids the control
    std::string whyLogicAllows;   // the logic alone would allow it
    std::string whyLogicForbids;  // the logic alone forbids it as well
    std::string whyManual;        // manual unreliability only warns
    std::string errorInLine;      // "Ошибка в строке "
    std::string errorNoLine;      // "Ошибка: "
    std::string errorInLogic;     // "Ошибка в логике: "
    std::string sameBehaviour;    // a side whose text changed, its behaviour the same
    // "Проблемы": the blocks' own errors and the Russian names of the checks.
    std::string checkTextError;
    std::string checkNoStateSignal;
    std::string checkBadStatePair;
    std::string checkNeverAllowed;
    std::string checkAlwaysAllowed;
    std::string checkConstantLine;
    std::string checkMNeverRead;
    std::string checkPairSecondRead;
    std::string checkDNotPair;
    std::string checkSOnPair;
    std::string checkSharedStateSignal;
    std::string checkStateNotRead;
    std::string checkNoTs;
    // "Где используется": a TS read as a block's state signal, or through its pair.
    std::string whereStateSignal;
    std::string wherePairOf;
    // The diagram's export name: "схема_блок" N "_вкл" / "_откл".
    std::string exportName;
    std::string exportOn;
    std::string exportOff;
    // The printed table: a two-position state signal.
    std::string statePair;
    // The tables: a filter over every column; taking back an apply.
    std::string filterHint;
    std::string restore;
    std::string restoreNothing;
    // The diagram: fit the whole drawing into the page.
    std::string fitAll;
    std::string fitAllHint;
    // The printed table's title page: the one file a signature names.
    std::string titlePath;
    std::string titleModified;
    std::string titleSha256;
    std::string titleNoFile;
    // The search for a TS or an M variable across the pages.
    std::string searchLabel;
    std::string searchHint;
    std::string searchPrevTip;
    std::string searchNextTip;
    std::string searchNone;  // nothing names it
    std::string searchBad;   // the text is neither a TS nor an M
    // "Печать таблицы блокировок": where the table goes.
    std::string printToPrinter;
    std::string printPreview;
    std::string printToPdf;
    // The diagram's exports: the legend, the time and the TS values it was drawn with.
    std::string exportTime;
    std::string exportValues;
    // A diagram over several printed sheets: the wires that cross to another sheet.
    std::string sheetTo;    // "на лист 2, A3"
    std::string sheetFrom;  // "с листа 1, A3"
    // A page whose answer for new values is being computed aside.
    std::string computing;
};

const AnalysisViewTexts& AnalysisTexts();
interlock::TextList AnalysisTextList();

// The Russian name of an analysis check ("never_allowed"), or the identifier when unknown.
std::string CheckName(std::string_view check);

}  // namespace ui
