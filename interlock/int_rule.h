#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace interlock {

// The integer rule shared by every field of the system: optional leading blanks, an optional
// sign, then decimal digits or a hexadecimal number introduced by "$", "x", "X", "0x" or "0X";
// nothing may follow. A number that does not fit in 32 bits fails.
std::optional<int32_t> ParseInt(std::string_view text);

// True when text converts as a whole by the rule above to v with lo <= v <= hi.
// On success *value receives v.
bool IsIntInRange(std::string_view text, int32_t lo, int32_t hi, int32_t* value = nullptr);

}  // namespace interlock
