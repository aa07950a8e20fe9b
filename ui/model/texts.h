#pragma once

// The fixed texts of the windows, in Windows-1251 (line breaks LF CR). They are written in UTF-8
// in texts.cpp and converted once, on first use. The windows also show the texts of the layers
// below (engine, storage, TS sources) from their catalogues.

#include <string>

#include "interlock/text_list.h"

namespace ui {

struct WindowTexts {
    std::string errorCaption;
    std::string fileNotFound;
    std::string configFilter;
    std::string tempFilter;
    std::string exitQuestion;
    std::string exitCaption;
    std::string saveChangesQuestion;
    std::string saveChangesCaption;
    // The TS list's header (the TS column is the engine's "ТС").
    std::string listName;
    std::string listValue;
    std::string listInverted;
    std::string listTwoPosition;
    // The main window's grid, labels, tabs, buttons and check boxes (each with its hint); the
    // small windows' captions and buttons; the analysis window's file choice.
    std::string gridValue;
    std::string stateCaption;
    std::string onTab;
    std::string offTab;
    std::string stateTsLabel;
    std::string controlTab;
    std::string settingsTab;
    std::string recalculateButton;
    std::string templatesButton;
    std::string tsListButton;
    std::string viewFileButton;
    std::string loadFileButton;
    std::string saveFileButton;
    std::string nullifyButton;
    std::string colourCheck;
    std::string colourHint;
    std::string showTsCheck;
    std::string showTsHint;
    std::string changeTsCheck;
    std::string changeTsHint;
    std::string showMCheck;
    std::string showMHint;
    std::string saveTempCheck;
    std::string saveTempHint;
    std::string saveTsCheck;
    std::string saveTsHint;
    std::string rtuCheck;
    std::string rtuHint;
    std::string serverCheck;
    std::string serverHint;
    std::string channelLabel;
    std::string rtuLabel;
    std::string namesServerCheck;
    std::string namesServerHint;
    std::string tsServerCheck;
    std::string tsServerHint;
    std::string templatesCaption;
    std::string templateNumberLabel;
    std::string templateNameLabel;
    std::string loadTemplateButton;
    std::string closeWindowButton;
    std::string tsListCaption;
    std::string tsListCurrent;
    std::string tsListAll;
    std::string viewerCaption;
    std::string saveChangesButton;
    std::string compareChoose;
};

const WindowTexts& Texts();
// Every window text by its name.
interlock::TextList WindowTextList();

}  // namespace ui
