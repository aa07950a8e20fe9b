#pragma once

// The fixed texts of the window "Мнемосхема" and of the look of its apparatus (Windows-1251,
// written in UTF-8 in mimic_window_texts.cpp and converted once).

#include <string>

#include "interlock/text_list.h"

namespace mimic {

struct MimicTexts {
    std::string buttonHint;      // its tooltip
    std::string noTopology;      // then the file name
    std::string topologyErrors;  // then the file name
    std::string menuOn;
    std::string menuOff;
    std::string menuForce;  // after Включить / Отключить
    std::string menuShow;
    std::string menuAnalysis;
    std::string forcedMark;
    std::string alreadyThere;
    std::string noBlock;
    std::string positionTravel;
    std::string positionUnknown;
    std::string unreliable;
    std::string oneChange;
    std::string changeSets;
    std::string noChangeSet;
    std::string undetermined;
    std::string refusedCaption;
    std::string refused;  // then the operation
    std::string forceQuestion;
    std::string forceCaption;
    std::string cannotOperate;  // then the reason
    std::string inTravel;
    std::string noStateTs;
    std::string colTime;
    std::string colForced;
    std::string saveButton;
    std::string clearButton;
    std::string travelLabel;
    std::string programTitle;
    std::string programDone;
    std::string programErrors;
    std::string programEmpty;
    std::string stepPrefix;
    std::string journalEmpty;
    std::string saveFailed;
    std::string readFailed;
};

const MimicTexts& WindowTexts();
interlock::TextList MimicTextList();

}  // namespace mimic
