#include "storage/settings.h"

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "storage/file_io.h"

namespace storage {
namespace {

// ---- The INI text as a list of lines, edited in place ----

struct Line {
    std::string text;  // without its line break
    std::string end;   // "\r\n", "\n", or "" for a last line without a break
};

// CR LF, a lone LF and a lone CR each end a line, as in the configuration reader: a value
// never runs on into the next key.
std::vector<Line> SplitLines(const std::string& bytes) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t stop = bytes.find_first_of("\r\n", start);
        if (stop == std::string::npos) {
            lines.push_back({bytes.substr(start), ""});
            break;
        }
        std::string end = bytes.compare(stop, 2, "\r\n") == 0 ? "\r\n" : bytes.substr(stop, 1);
        lines.push_back({bytes.substr(start, stop - start), end});
        start = stop + end.size();
    }
    return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
    std::string bytes;
    for (const Line& line : lines) bytes += line.text + line.end;
    return bytes;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// "[name]" (blanks allowed around both): the section name, else nothing.
std::optional<std::string_view> SectionOf(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() != '[') return std::nullopt;
    text.remove_prefix(1);
    size_t close = text.find(']');
    if (close != std::string_view::npos) text = text.substr(0, close);
    return Trim(text);
}

// "key=value": the position of the "=" when the line is a key line, else npos.
size_t EqualsOf(std::string_view text) {
    if (SectionOf(text)) return std::string_view::npos;
    std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';') return std::string_view::npos;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos || Trim(text.substr(0, eq)).empty()) return std::string_view::npos;
    return eq;
}

std::string_view KeyOf(std::string_view text, size_t eq) { return Trim(text.substr(0, eq)); }

// Where a section and a key stand: the header line (npos when the section is missing), the
// key line (npos when missing), and the line after the last key line of the section.
struct Place {
    size_t header = std::string::npos;
    size_t keyLine = std::string::npos;
    size_t insertAt = std::string::npos;
};

Place Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Place place;
    size_t i = 0;
    for (; i < lines.size(); ++i) {
        auto name = SectionOf(lines[i].text);
        if (name && SameName(*name, section)) break;
    }
    if (i == lines.size()) return place;
    place.header = i;
    place.insertAt = i + 1;
    for (++i; i < lines.size() && !SectionOf(lines[i].text); ++i) {
        size_t eq = EqualsOf(lines[i].text);
        if (eq == std::string::npos) continue;
        place.insertAt = i + 1;
        if (place.keyLine == std::string::npos && SameName(KeyOf(lines[i].text, eq), key)) place.keyLine = i;
    }
    return place;
}

std::optional<std::string> ReadValue(const std::vector<Line>& lines, std::string_view section,
                                     std::string_view key) {
    Place place = Find(lines, section, key);
    if (place.keyLine == std::string::npos) return std::nullopt;
    const std::string& text = lines[place.keyLine].text;
    return std::string(Trim(std::string_view(text).substr(EqualsOf(text) + 1)));
}

// The line break of a new line: the one the file already uses, CR LF for a new file.
// A lone CR is taken only when the file uses nothing else.
std::string LineBreakOf(const std::vector<Line>& lines) {
    for (const Line& line : lines)
        if (!line.end.empty() && line.end != "\r") return line.end;
    for (const Line& line : lines)
        if (!line.end.empty()) return line.end;
    return "\r\n";
}

void WriteValue(std::vector<Line>& lines, std::string_view section, std::string_view key,
                const std::string& value) {
    const std::string lineBreak = LineBreakOf(lines);
    Place place = Find(lines, section, key);
    if (place.keyLine != std::string::npos) {
        // Keep the key as spelled and the blanks after "=", replace the rest.
        std::string& text = lines[place.keyLine].text;
        size_t valueStart = EqualsOf(text) + 1;
        while (valueStart < text.size() && IsBlank(text[valueStart])) ++valueStart;
        text = text.substr(0, valueStart) + value;
        return;
    }
    std::vector<Line> added;
    size_t at = place.insertAt;
    if (place.header == std::string::npos) {
        at = lines.size();
        if (!lines.empty()) added.push_back({"", lineBreak});
        added.push_back({"[" + std::string(section) + "]", lineBreak});
    }
    added.push_back({std::string(key) + "=" + value, lineBreak});
    if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = lineBreak;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

// ---- Values ----

// Decimal, or hexadecimal after "0x"/"0X", with an optional sign; the whole (trimmed) text
// must be the number. Decimal values must fit in 32 bits; hexadecimal ones may use all 32
// bits and are then taken as two's complement (0xFFFFFFFF is -1).
std::optional<int32_t> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > limit) return std::nullopt;
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

int32_t ReadInteger(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                    int32_t fallback) {
    auto text = ReadValue(lines, section, key);
    if (!text) return fallback;
    return ParseInteger(*text).value_or(fallback);
}

bool ReadBool(const std::vector<Line>& lines, std::string_view section, std::string_view key, bool fallback) {
    return ReadInteger(lines, section, key, fallback ? 1 : 0) != 0;
}

std::string ReadText(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                     const std::string& fallback) {
    return ReadValue(lines, section, key).value_or(fallback);
}

std::string OneLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

std::string Flag(bool value) { return value ? "1" : "0"; }

// The fifteen keys, in the order a new file lists them. "file" is written only.
struct Key {
    std::string_view section;
    std::string_view name;
    std::variant<bool Settings::*, int8_t Settings::*, std::string Settings::*> member;
    bool read = true;
};
constexpr Key kKeys[] = {
    {"Settings", "color", &Settings::colour},
    {"TS", "show", &Settings::ts_show},
    {"TS", "change", &Settings::ts_change},
    {"TS", "get", &Settings::ts_get},
    {"M", "show", &Settings::m_show},
    {"File", "temp", &Settings::temp},
    {"File", "temp_last", &Settings::temp_last},
    {"File", "file", &Settings::file, false},
    {"File", "save_ts", &Settings::save_ts},
    {"Server", "connect", &Settings::connect},
    {"Server", "server_name", &Settings::server_name},
    {"Server", "get_ts", &Settings::get_ts},
    {"Server", "get_names", &Settings::get_names},
    {"Server", "channel", &Settings::channel},
    {"Server", "RTU", &Settings::rtu},
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

Settings LoadSettings(const std::string& path) {
    Settings s;
    ReadResult file = ReadWholeFile(path);
    if (!file) return s;
    const std::vector<Line> lines = SplitLines(file.bytes);
    for (const Key& k : kKeys) {
        if (!k.read) continue;
        std::visit(Overloaded{
                       [&](bool Settings::*m) { s.*m = ReadBool(lines, k.section, k.name, s.*m); },
                       // The counter is the low 8 bits of the number, as a signed value.
                       [&](int8_t Settings::*m) {
                           s.*m = static_cast<int8_t>(
                               static_cast<uint8_t>(ReadInteger(lines, k.section, k.name, s.*m) & 0xFF));
                       },
                       [&](std::string Settings::*m) { s.*m = ReadText(lines, k.section, k.name, s.*m); },
                   },
                   k.member);
    }
    return s;
}

bool SaveSettings(const std::string& path, const Settings& s, std::string* error) {
    ReadResult old = ReadWholeFile(path);
    if (!old && old.errorCode != ENOENT) {
        // Writing now would lose whatever else the file holds.
        if (error) *error = old.error;
        return false;
    }
    std::vector<Line> lines = SplitLines(old.bytes);
    for (const Key& k : kKeys) {
        const std::string value =
            std::visit(Overloaded{
                           [&](bool Settings::*m) { return Flag(s.*m); },
                           [&](int8_t Settings::*m) { return std::to_string(int{s.*m}); },
                           [&](std::string Settings::*m) { return OneLine(s.*m); },
                       },
                       k.member);
        WriteValue(lines, k.section, k.name, value);
    }

    const std::string bytes = JoinLines(lines);
    if (old && bytes == old.bytes) return true;  // nothing to store
    WriteResult written = WriteFileAtomically(path, bytes);
    if (!written && error) *error = written.error;
    return written.ok;
}

}  // namespace storage
