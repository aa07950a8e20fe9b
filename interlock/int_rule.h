#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace interlock {

// The integer rule shared by every field of the system: optional leading blanks, an optional
// sign, then decimal digits or a hexadecimal number introduced by "$", "x", "X", "0x" or "0X";
// nothing may follow. A number that does not fit in 32 bits fails.
std::optional<int32_t> ParseInt(std::string_view text);

namespace detail {
bool IsIntInRangeGeneral(std::string_view text, int32_t lo, int32_t hi, int32_t* value);
}

// True when text converts as a whole by the rule above to v with lo <= v <= hi.
// On success *value receives v.
//
// Every recalculation reads numbers of many logic lines through this test, so the common case,
// up to nine plain decimal digits, is read here without a call; everything else takes the
// general rule.
inline bool IsIntInRange(std::string_view text, int32_t lo, int32_t hi, int32_t* value = nullptr) {
    const size_t size = text.size();
    if (size - 1 < 9) {
        uint32_t v = 0;
        size_t i = 0;
        for (; i < size; ++i) {
            const uint32_t digit = static_cast<uint32_t>(static_cast<unsigned char>(text[i])) - '0';
            if (digit > 9) break;
            v = v * 10 + digit;
        }
        if (i == size) {
            const int32_t x = static_cast<int32_t>(v);
            if (x < lo || x > hi) return false;
            if (value) *value = x;
            return true;
        }
    }
    return detail::IsIntInRangeGeneral(text, lo, hi, value);
}

}  // namespace interlock
