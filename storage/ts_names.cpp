#include "storage/ts_names.h"

#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>

#include "storage/config_text.h"
#include "storage/file_io.h"
#include "storage/texts.h"

namespace storage {
namespace {

bool Space(char c) { return c == ' ' || c == '\t'; }

std::string_view NextWord(std::string_view line, size_t& pos) {
    while (pos < line.size() && Space(line[pos])) ++pos;
    const size_t start = pos;
    while (pos < line.size() && !Space(line[pos])) ++pos;
    return line.substr(start, pos - start);
}

std::string_view Rest(std::string_view line, size_t pos) {
    while (pos < line.size() && Space(line[pos])) ++pos;
    size_t end = line.size();
    while (end > pos && Space(line[end - 1])) --end;
    return line.substr(pos, end - pos);
}

// A whole word as a number in [lo, hi] (decimal, or hexadecimal after "0x").
std::optional<long> Number(std::string_view word, long lo, long hi) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    if (word.size() > 1 && word[0] == '-' && base == 10) {
        const std::optional<long> v = Number(word.substr(1), 0, -lo);
        if (!v) return std::nullopt;
        return -*v;
    }
    long v = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v, base);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || v < lo || v > hi)
        return std::nullopt;
    return v;
}

int NumberOr(const std::string& text, int fallback) {
    const std::optional<long> v = Number(text, 0, 65535);
    return v ? static_cast<int>(*v) : fallback;
}

}  // namespace

TsNames ParseTsNames(const std::string& bytes, int channel, int rtu) {
    TsNames out;
    const Lines lines = SplitLines(bytes);
    const StorageTexts& t = Texts();
    auto name = [&](long ts, std::string_view text) {
        std::string& slot = out.name[static_cast<size_t>(ts)];
        if (slot.empty() && !text.empty()) ++out.count;
        if (!slot.empty() && text.empty()) --out.count;
        slot = std::string(text);
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const int lineNo = static_cast<int>(i) + 1;
        size_t pos = 0;
        const std::string_view first = NextWord(line, pos);
        if (first.empty() || first[0] == '#' || first[0] == ';') continue;
        if (first == "server" || first == "rtu" || first == "lost") continue;
        if (first == "ts") {
            const std::optional<long> ch = Number(NextWord(line, pos), 0, 256);
            const std::optional<long> r = Number(NextWord(line, pos), 1, 256);
            const std::optional<long> point = Number(NextWord(line, pos), 1, interlock::kTsCount);
            const std::optional<long> value = Number(NextWord(line, pos), -32768, 65535);
            const std::optional<long> status = Number(NextWord(line, pos), 0, 0xFFFF);
            if (!ch || !r || !point || !value || !status) {
                out.errors.push_back({lineNo, t.namesBadPointLine});
                continue;
            }
            if (*ch == channel && *r == rtu) name(*point, Rest(line, pos));
            continue;
        }
        const std::optional<long> ts = Number(first, 1, interlock::kTsCount);
        if (!ts) {
            out.errors.push_back({lineNo, t.namesBadLine});
            continue;
        }
        name(*ts, Rest(line, pos));
    }
    return out;
}

std::string NamesFileFor(const std::string& configPath) {
    const size_t slash = configPath.find_last_of("/\\");
    const size_t dot = configPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        return configPath + ".names";
    return configPath.substr(0, dot) + ".names";
}

int ServerChannelOf(const interlock::Workspace& ws) { return NumberOr(ws.Fields.Server_channel_Number, 0); }
int ServerRtuOf(const interlock::Workspace& ws) { return NumberOr(ws.Fields.Server_RTU_Number, 1); }

int FillMissingNames(interlock::TsTableData& table, const TsNames& names) {
    int given = 0;
    for (int ts = 1; ts <= interlock::kTsCount; ++ts) {
        if (!table.Name[ts].empty() || names.name[ts].empty()) continue;
        table.Name[ts] = names.name[ts];
        ++given;
    }
    return given;
}

NamesRead GiveNamesFromFile(interlock::Workspace& ws, const std::string& path, bool required) {
    NamesRead out;
    ReadResult file = ReadWholeFile(path);
    if (!file) {
        if (required || file.errorCode != ENOENT) out.error = file.error;
        return out;
    }
    out.read = true;
    TsNames names = ParseTsNames(file.bytes, ServerChannelOf(ws), ServerRtuOf(ws));
    out.lines = std::move(names.errors);
    out.given = FillMissingNames(ws.TsTable, names);
    return out;
}

}  // namespace storage
