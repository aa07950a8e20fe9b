#pragma once

// The TS values that the RTU responder serves: eight groups of 32 value characters, "0" or "1".
// They are read from text in the form of the value lines of a configuration file:
//
//   #TS0=00000000000000000000000000000000
//   ...
//   #TS7=00000000000000000000000000000000
//
// so that a saved configuration can be served as it is.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace rtu {

constexpr int kGroupCount = 8;
constexpr int kGroupSize = 32;

struct RtuValues {
    // groups[g][k-1] is the value character of TS 32g+k.
    std::array<std::string, kGroupCount> groups;

    RtuValues();  // all "0"

    // Flips TS n (1..256) between "0" and "1"; false for a number out of range.
    bool Toggle(int ts);
    bool operator==(const RtuValues&) const = default;
};

// Applies the value lines of a text to the values, in order; other lines are ignored. A value line
// starts with "#TS", is at least 36 characters long and has a group digit 0..7 as its 4th
// character; after its first five characters, each "0" or "1" sets the value of the next TS of the
// group and any other character leaves it. Lines end with CR LF, CR or LF.
void ApplyValueLines(std::string_view text, RtuValues& values);
RtuValues ParseValueLines(std::string_view text);

// The answer to one request "R" + group digit: "r", the digit, a space and the 32 value characters
// of the group. Bytes after the group digit are ignored; anything else gets no answer.
std::optional<std::string> Answer(std::string_view request, const RtuValues& values);

}  // namespace rtu
