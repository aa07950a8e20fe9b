#pragma once

// The fixed texts of the logic diagram (its layout, its page in the analysis window, its
// exports) and of the interlock table's print from the window, in Windows-1251. Written in
// UTF-8 in diagram_texts.cpp and converted once, on first use.

#include <string>

#include "interlock/text_list.h"

namespace ui {

struct DiagramTexts {
    // The layout: "стр. 3" above a gate (the side in the title, "включение", is the topology's).
    std::string linePrefix;
    // An input's tooltip after "ТС15 Name: 1"; %1 is the pair's second TS.
    std::string tipHardware;
    std::string tipManual;
    std::string tipPair;
    // The page's tool buttons, their tooltips and the legend.
    std::string zoomOutTip;
    std::string zoomInTip;
    std::string zoomOneTip;
    std::string fitButton;
    std::string fitTip;
    std::string svgTip;
    std::string pdfTip;
    std::string legendUnreliable;
    std::string legendDecisive;
    // Exports and the table's print.
    std::string svgFilter;
    std::string pdfFilter;
    std::string diagramCaption;
    std::string printDefaultName;
    std::string printFailed;
};

const DiagramTexts& DiagramPageTexts();
// Every diagram text by its name.
interlock::TextList DiagramTextList();

}  // namespace ui
