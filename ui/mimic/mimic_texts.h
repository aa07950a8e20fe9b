#pragma once

// The fixed texts of the mimic's drawing, its exports and its sheet in the printed interlock
// table, in Windows-1251. Written in UTF-8 in mimic_texts.cpp and converted once, on first use.

#include <string>

#include "interlock/text_list.h"

namespace mimic {

struct DrawingTexts {
    std::string title;         // of the exports and the sheet
    std::string sheetCaption;  // above the drawing on the printed table's first sheet
    std::string legendLive;    // the legend of the section colours and the lights
    std::string legendDead;
    std::string legendEarthed;
    std::string legendUnknown;
    std::string legendLights;  // what the two lights beside an apparatus are
    std::string legendAllowed;
    std::string legendForbidden;
    std::string legendHint;
    std::string legendError;
};

const DrawingTexts& Texts();
// Every text of the drawing by its name.
interlock::TextList DrawingTextList();

}  // namespace mimic
