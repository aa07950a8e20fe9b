#include "tools/rtu_values.h"

namespace rtu {

RtuValues::RtuValues() { groups.fill(std::string(kGroupSize, '0')); }

bool RtuValues::Toggle(int ts) {
    if (ts < 1 || ts > kGroupCount * kGroupSize) return false;
    char& value = groups[(ts - 1) / kGroupSize][(ts - 1) % kGroupSize];
    value = value == '1' ? '0' : '1';
    return true;
}

namespace {

void ApplyLine(std::string_view line, RtuValues& values) {
    constexpr std::size_t kMinLength = 36;
    if (line.size() < kMinLength || line.substr(0, 3) != "#TS") return;
    const char digit = line[3];
    if (digit < '0' || digit > '7') return;
    std::string& group = values.groups[digit - '0'];
    const std::string_view digits = line.substr(5);  // the 5th character, normally "=", is not checked
    for (std::size_t j = 0; j < digits.size() && j < group.size(); ++j) {
        if (digits[j] == '0' || digits[j] == '1') group[j] = digits[j];
    }
}

}  // namespace

void ApplyValueLines(std::string_view text, RtuValues& values) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        ApplyLine(text.substr(start, end - start), values);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

RtuValues ParseValueLines(std::string_view text) {
    RtuValues values;
    ApplyValueLines(text, values);
    return values;
}

std::optional<std::string> Answer(std::string_view request, const RtuValues& values) {
    if (request.size() < 2 || request[0] != 'R' || request[1] < '0' || request[1] > '7') return std::nullopt;
    std::string answer = "r";
    answer += request[1];
    answer += ' ';
    answer += values.groups[request[1] - '0'];
    return answer;
}

}  // namespace rtu
