#pragma once

// The fixed texts of interlocks-check and interlocks-report: their messages and their reports.
// The tools speak UTF-8 (terminals, JSON, SARIF, JUnit), so the catalogue holds UTF-8; the
// golden listing shows it in the program's code page like every other catalogue.
// "%1".."%9" stand for what Fill puts in. Words the layers below already hold ("ошибка",
// "контрпример: ", "различается", "состояние: ") are taken from their catalogues, in UTF-8.

#include <initializer_list>
#include <string>
#include <string_view>

#include "interlock/text_list.h"

namespace tools {

struct ToolTexts {
    // Both: the command-line errors (the help is the help catalogue's, cli/help_texts.cpp).
    std::string helpHint;
    std::string argRequired, argExtra, argValue, argMissingValue, argExcludes, argNeeds, argOther;
    std::string badSet, badUnreliable;
    // Several files at once.
    std::string filesSummary, abnormalEnd, noProcess;
    // The check's report.
    std::string blocksSummary;
    // --analyse.
    std::string minChanges, minChangesUndetermined, cannotAllow, pairAnd, decisive, lineShort, notUsed;
    std::string blockCase, blockMessage;
    // Requirements and counterexamples.
    std::string requirementsHead, fileErrors, anyValues;
    std::string requirementRefuted;
    // --diff.
    std::string same, notCompared, bothWays, bAllowsMore, aAllowsMore, forExample;
    std::string inB, nameChanged, stateChanged, attributeChanged, inverted, twoPosition, differingBlocks;
    std::string behaviourChanged;
};

const ToolTexts& Texts();

// The pattern with "%1".."%9" replaced by the arguments in order.
std::string Fill(std::string_view pattern, std::initializer_list<std::string> args);

// Every text by name, in Windows-1251, for the golden listing.
interlock::TextList ToolTextList();

}  // namespace tools
