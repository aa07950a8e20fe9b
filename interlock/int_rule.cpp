#include "interlock/int_rule.h"

namespace interlock {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<int32_t> ParseInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;

    uint64_t magnitude = 0;
    if (hex) {
        // Up to 32 bits of hexadecimal; the bits are taken as a signed 32-bit number.
        for (; i < text.size(); ++i) {
            int d = HexDigit(text[i]);
            if (d < 0) return std::nullopt;
            magnitude = magnitude * 16 + static_cast<uint64_t>(d);
            if (magnitude > 0xFFFFFFFFull) return std::nullopt;
        }
        int32_t v = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : v;
    }
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
        if (magnitude > 2147483648ull) return std::nullopt;
    }
    if (negative) return static_cast<int32_t>(-static_cast<int64_t>(magnitude));
    if (magnitude > 2147483647ull) return std::nullopt;
    return static_cast<int32_t>(magnitude);
}

bool detail::IsIntInRangeGeneral(std::string_view text, int32_t lo, int32_t hi, int32_t* value) {
    if (text.empty()) return false;
    std::optional<int32_t> v = ParseInt(text);
    if (!v || *v < lo || *v > hi) return false;
    if (value) *value = *v;
    return true;
}

}  // namespace interlock
