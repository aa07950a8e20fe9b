#pragma once

// A logic's text error as one line for a label or a table cell, and the line it names.

#include <string>

#include "interlock/logic_text.h"

namespace ui {

// The engine writes "message в строке: " CR CR "line": every run of line breaks becomes one blank.
inline std::string OneLine(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!s.empty() && s.back() != ' ') s += ' ';
        } else {
            s += c;
        }
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The number (from 1) of the first line of `logic` equal to `errorLine`; 0 when none is.
inline int ErrorLineNumber(const interlock::LogicText& logic, const std::string& errorLine) {
    if (errorLine.empty()) return 0;
    for (size_t i = 0; i < logic.size(); ++i)
        if (logic[i] == errorLine) return static_cast<int>(i) + 1;
    return 0;
}

}  // namespace ui
