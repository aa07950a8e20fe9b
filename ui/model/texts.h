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
};

const WindowTexts& Texts();
// Every window text by its name.
interlock::TextList WindowTextList();

}  // namespace ui
