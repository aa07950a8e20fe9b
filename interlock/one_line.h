#pragma once

// A message on one line: the engine's messages break before the offending line of logic
// ("... в строке:" CR CR "V9=..."); where a message stands in a table, a reason or a line of a
// report, each run of line breaks becomes one space.

#include <string>
#include <string_view>

namespace interlock {

inline std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += c;
    }
    return out;
}

}  // namespace interlock
