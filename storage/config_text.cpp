// Writing and reading the configuration text.

#include "storage/config_text.h"

#include <algorithm>

#include "interlock/int_rule.h"
#include "storage/texts.h"

namespace storage {
namespace {

using interlock::Block;
using interlock::kBlockCount;
using interlock::kTsCount;
using interlock::Workspace;

constexpr std::string_view kSectionMark = "@";
constexpr std::string_view kAttributePrefix = "F=";
constexpr std::string_view kChannelPrefix = "#Server_Channel=";
constexpr std::string_view kRtuPrefix = "#Server_RTU=";
constexpr std::string_view kValuePrefix = "#TS";
constexpr std::string_view kHeaderPrefix = "##";
constexpr std::string_view kOffSideMark = "#On->Off";
constexpr std::string_view kOnSideMark = "#Off->On";
constexpr std::string_view kSidePrefix = "#O";
constexpr std::string_view kConditionPrefix = "IF";
constexpr std::string_view kEndLine = "END";

// "F=" and one code per TS.
constexpr size_t kAttributeLineLength = 2 + kTsCount;
// "#TSk=" and at least 31 value characters.
constexpr size_t kValueLineMinLength = 36;

char AttributeCode(bool inverted, bool twoPosition) {
    return static_cast<char>('0' + (inverted ? 1 : 0) + (twoPosition ? 2 : 0));
}

// One character per TS, whatever the value, so the values after it keep their places.
char ValueChar(int16_t value) {
    if (value >= 0 && value <= 9) return static_cast<char>('0' + value);
    return '?';
}

// "S5", "~S5" or "ERROR".
std::string StateToken(int16_t stateSignal) {
    if (stateSignal > 0) return "S" + std::to_string(stateSignal);
    if (stateSignal < 0) return "~S" + std::to_string(-stateSignal);
    return "ERROR";
}

// The token of the other side: the inversion toggled, "ERROR" unchanged.
std::string ToggledToken(const std::string& token) {
    if (token == "ERROR") return token;
    if (!token.empty() && token.front() == '~') return token.substr(1);
    return "~" + token;
}

void WriteSide(Lines& lines, std::string_view mark, const std::string& token,
               const std::vector<std::string>& logic) {
    lines.emplace_back(mark);
    lines.push_back("IF (" + token + ")");
    for (const std::string& line : logic) {
        if (!line.empty()) lines.push_back(line);
    }
    lines.emplace_back(kEndLine);
}

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// Trailing characters with codes 0..32 removed.
std::string_view StripTrailing(std::string_view line) {
    size_t end = line.size();
    while (end > 0 && static_cast<unsigned char>(line[end - 1]) <= 32) --end;
    return line.substr(0, end);
}

enum class OpenSide { None, On, Off };

struct ReadState {
    bool section = false;
    int block = 0;  // 0: no header seen yet
    OpenSide side = OpenSide::None;
};

// A block header inside the section. False when its number is invalid.
bool ApplyHeader(Workspace& ws, std::string_view line, ReadState& st) {
    // The number runs from the third character up to the first space after it.
    size_t space = line.size() > 3 ? line.find(' ', 3) : std::string_view::npos;
    std::string_view numberText = line.substr(2, (space == std::string_view::npos ? line.size() : space) - 2);
    int32_t number = 0;
    if (!interlock::IsIntInRange(numberText, 1, kBlockCount, &number)) return false;
    st.block = number;
    st.side = OpenSide::None;
    // " -" after the number: the name starts at the third character after the space; the one
    // between "-" and the name is skipped unchecked.
    if (space != std::string_view::npos && space + 1 < line.size() && line[space + 1] == '-') {
        size_t nameStart = space + 3;
        ws.Blocks[number].SetName(nameStart < line.size() ? std::string(line.substr(nameStart))
                                                          : std::string());
    }
    return true;
}

void ApplyAttributes(Workspace& ws, std::string_view line) {
    interlock::TsTableData& t = ws.TsTable;
    for (int i = 1; i <= kTsCount; ++i) {
        char c = line[static_cast<size_t>(i) + 1];
        if (c < '0' || c > '4') continue;
        int code = c - '0';
        t.Inverted[i] = (code == 1 || code == 3) ? 1 : 0;
        t.TwoPosition[i] = (code == 2 || code == 3) ? 1 : 0;
        t.PairSecond[i + 1] = t.TwoPosition[i];
    }
}

void ApplyValues(Workspace& ws, std::string_view line) {
    char group = line[3];
    if (group < '0' || group > '7') return;
    int base = 32 * (group - '0');
    std::string_view chars = line.substr(5);
    for (size_t j = 0; j < chars.size() && j < 32; ++j) {
        if (chars[j] == '0' || chars[j] == '1')
            ws.TsTable.Value[base + 1 + j] = static_cast<int16_t>(chars[j] - '0');
    }
}

// A channel or RTU line: the number text as written when it is 0..99.
void ApplyServerNumber(std::string& field, std::string_view text) {
    if (interlock::IsIntInRange(text, 0, 99)) field = std::string(text);
}

void ApplyCondition(Workspace& ws, std::string_view line, const ReadState& st) {
    if (st.side != OpenSide::Off) return;
    std::string_view token;
    if (line.size() > 4) {
        size_t close = line.find(')', 5);
        token = line.substr(4, (close == std::string_view::npos ? line.size() : close) - 4);
    }
    interlock::SetStateSignal(ws, st.block, std::string(token));
}

void ApplyLogicLine(Workspace& ws, std::string_view line, const ReadState& st, ConfigLocations* where,
                    int number) {
    if (!st.section || st.block < 1 || st.side == OpenSide::None) return;
    Block& b = ws.Blocks[st.block];
    (st.side == OpenSide::On ? b.OnLogic : b.OffLogic).emplace_back(line);
    if (where) (st.side == OpenSide::On ? where->on : where->off)[st.block].push_back(number);
}

}  // namespace

void Write_Config_Text(Workspace& ws, Lines& lines, bool with_values) {
    interlock::TsTableData& t = ws.TsTable;
    lines.clear();
    lines.emplace_back(kSectionMark);

    std::string attributes(kAttributePrefix);
    attributes.reserve(kAttributeLineLength);
    for (int i = 1; i <= kTsCount; ++i) {
        if (t.PairSecond[i]) {
            attributes += '4';
            continue;
        }
        attributes += AttributeCode(t.Inverted[i], t.TwoPosition[i]);
        if (t.TwoPosition[i] && !t.PairSecond[i + 1]) t.PairSecond[i + 1] = 1;
    }
    lines.push_back(std::move(attributes));

    lines.push_back(std::string(kChannelPrefix) + ws.Fields.Server_channel_Number);
    lines.push_back(std::string(kRtuPrefix) + ws.Fields.Server_RTU_Number);

    if (with_values) {
        for (int k = 0; k < 8; ++k) {
            std::string line = std::string(kValuePrefix) + static_cast<char>('0' + k) + "=";
            for (int j = 1; j <= 32; ++j) line += ValueChar(t.Value[32 * k + j]);
            lines.push_back(std::move(line));
        }
    }

    for (int n = 1; n <= kBlockCount; ++n) {
        const Block& b = ws.Blocks[n];
        std::string header = std::string(kHeaderPrefix) + std::to_string(n);
        if (!b.Name.empty()) header += " - " + b.Name;
        lines.push_back(std::move(header));
        if (b.IsEmpty()) continue;
        const std::string token = StateToken(b.StateSignal);
        WriteSide(lines, kOffSideMark, token, b.OffLogic);
        WriteSide(lines, kOnSideMark, ToggledToken(token), b.OnLogic);
    }
    lines.emplace_back(kSectionMark);
}

int ConfigLocations::Header(int block) const {
    return block >= 1 && block <= kBlockCount ? header[block] : 0;
}

int ConfigLocations::Logic(int block, interlock::Side side, int logicLine) const {
    if (block < 1 || block > kBlockCount) return 0;
    const std::vector<int>& lines = (side == interlock::Side::On ? on : off)[block];
    if (logicLine >= 1 && static_cast<size_t>(logicLine) <= lines.size()) return lines[logicLine - 1];
    return header[block];
}

bool Read_Config_Text(Workspace& ws, const Lines& lines, ConfigLocations* where) {
    interlock::ResetAllBlocks(ws);
    if (where) *where = ConfigLocations();
    ReadState st;
    int number = 0;
    for (const std::string& raw : lines) {
        ++number;
        std::string_view line = StripTrailing(raw);
        if (line.empty()) continue;
        if (line == kSectionMark) st.section = !st.section;

        if (StartsWith(line, kHeaderPrefix) && st.section) {
            if (!ApplyHeader(ws, line, st)) {
                if (where) where->stop = number;
                ws.Messages.push_back(
                    {Texts().badBlockNumber, Texts().openFileError, interlock::Icon::Error});
                return false;
            }
            if (where && !where->header[st.block]) where->header[st.block] = number;
        } else if (StartsWith(line, kSidePrefix)) {
            if (line.size() > 2 && line[2] == 'n') st.side = OpenSide::Off;
            if (line.size() > 2 && line[2] == 'f') st.side = OpenSide::On;
        } else if (StartsWith(line, kAttributePrefix) && line.size() >= kAttributeLineLength) {
            ApplyAttributes(ws, line);
        } else if (StartsWith(line, kValuePrefix) && line.size() >= kValueLineMinLength) {
            ApplyValues(ws, line);
        } else if (StartsWith(line, kChannelPrefix) && line.size() > kChannelPrefix.size()) {
            ApplyServerNumber(ws.Fields.Server_channel_Number, line.substr(kChannelPrefix.size()));
        } else if (StartsWith(line, kRtuPrefix) && line.size() > kRtuPrefix.size()) {
            ApplyServerNumber(ws.Fields.Server_RTU_Number, line.substr(kRtuPrefix.size()));
        } else if (StartsWith(line, kConditionPrefix)) {
            ApplyCondition(ws, line, st);
        } else if (StartsWith(line, kEndLine)) {
            st.side = OpenSide::None;
        } else {
            ApplyLogicLine(ws, line, st, where, number);
        }
    }
    return true;
}

Lines SplitLines(std::string_view bytes) {
    Lines lines;
    lines.reserve(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    size_t start = 0;
    while (start < bytes.size()) {
        // A plain scan: a search for either of two bytes costs a call per byte.
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (end == bytes.size()) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

std::string JoinLines(const Lines& lines) {
    size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace storage
