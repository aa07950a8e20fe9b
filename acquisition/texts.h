#pragma once

// The fixed texts of the TS sources, in Windows-1251 (line breaks LF CR). They are written in
// UTF-8 in texts.cpp and converted once, on first use.

#include <string>

#include "interlock/text_list.h"

namespace acquisition {

struct AcquisitionTexts {
    // The telemechanics server link.
    std::string connectCaption;
    std::string connectPrompt;
    std::string connectFailed;
    std::string connectCheck;
    std::string connectNamesTooLong;
    std::string pollNoLink;
    std::string pollBadChannel;
    std::string pollBadRtu;
    std::string pollTooManyErrors;
    std::string namesNoLink;
    std::string namesBadChannel;
    std::string namesBadRtu;
    std::string namesLost;
    // The RTU reception.
    std::string rtuReadError;
};

const AcquisitionTexts& Texts();
// Every text of the TS sources by its name.
interlock::TextList AcquisitionTextList();

}  // namespace acquisition
