#include "ui/highlight.h"

#include <algorithm>

#include "interlock/int_rule.h"

namespace ui {

using interlock::Colour;
namespace colour = interlock::colour;

EditorText::EditorText(const std::vector<std::string>& lines) {
    size_t total = 0;
    for (const std::string& line : lines) total += line.size() + 2;
    text_.reserve(total);
    lineStarts_.reserve(lines.size());
    lineLengths_.reserve(lines.size());
    for (const std::string& line : lines) {
        lineStarts_.push_back(text_.size());
        lineLengths_.push_back(line.size());
        text_ += line;
        text_ += "\r\n";
    }
}

void EditorText::AppendRuns(const TextRange& range, std::vector<ColourRun>& out) const {
    AppendRunsFrom(FirstLineOf(range.offset), range, out);
}

size_t EditorText::FirstLineOf(size_t offset) const {
    // The last line that starts at or before the offset.
    auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const size_t line = static_cast<size_t>(it - lineStarts_.begin());
    return line > 0 ? line - 1 : 0;
}

size_t EditorText::AppendRunsFrom(size_t line, const TextRange& range, std::vector<ColourRun>& out) const {
    if (range.length == 0 || lineStarts_.empty()) return line;
    const size_t begin = range.offset;
    const size_t end = range.offset + range.length;
    const size_t first = line;
    for (; line < lineStarts_.size() && lineStarts_[line] < end; ++line) {
        const size_t contentBegin = lineStarts_[line];
        const size_t contentEnd = contentBegin + lineLengths_[line];
        const size_t from = std::max(begin, contentBegin);
        const size_t to = std::min(end, contentEnd);
        if (from >= to) continue;  // only the line break of this line is covered
        out.push_back({static_cast<int>(line), static_cast<int>(from - contentBegin),
                       static_cast<int>(to - from), range.colour, range.boldUnderline});
    }
    // The range's last line: the next range in text order starts on it or after it.
    return line > first ? line - 1 : first;
}

std::vector<ColourRun> EditorText::ToRuns(const std::vector<TextRange>& ranges) const {
    std::vector<ColourRun> runs;
    runs.reserve(ranges.size());
    // Ranges in text order walk the lines once; one that starts further back is looked up.
    size_t line = 0;
    size_t lastOffset = 0;
    for (const TextRange& range : ranges) {
        if (range.offset < lastOffset || lineStarts_.empty() || lineStarts_[line] > range.offset) {
            line = FirstLineOf(range.offset);
        } else {
            while (line + 1 < lineStarts_.size() && lineStarts_[line + 1] <= range.offset) ++line;
        }
        lastOffset = range.offset;
        line = AppendRunsFrom(line, range, runs);
    }
    return runs;
}

namespace {

// The number token of an operand whose letter is at i: the characters after the letter up to,
// not including, the next terminator or the end of the text. Line breaks do not end it.
size_t TokenEnd(const std::string& text, size_t i, const char* terminators) {
    size_t end = text.find_first_of(terminators, i + 1);
    return end == std::string::npos ? text.size() : end;
}

bool TildeBefore(const std::string& text, size_t i) { return i > 0 && text[i - 1] == '~'; }

// The coloured range of an operand: from a preceding "~" (when there is one) through the
// letter and its number token.
TextRange OperandRange(const std::string& text, size_t letter, size_t tokenEnd) {
    size_t start = TildeBefore(text, letter) ? letter - 1 : letter;
    return {start, tokenEnd - start, colour::kBlack, false};
}

}  // namespace

std::vector<TextRange> TsOperandRanges(const std::string& text, const interlock::Workspace& ws) {
    std::vector<TextRange> ranges;
    ranges.reserve(text.size() / 6);  // an operand and its comma take at least three characters
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // The D of AND and END is not an operand.
        const bool starts = c == 'S' || (c == 'D' && (i == 0 || text[i - 1] != 'N'));
        if (!starts) continue;
        const size_t end = TokenEnd(text, i, "),");
        int32_t n = 0;
        if (!interlock::IsIntInRange(std::string_view(text).substr(i + 1, end - i - 1), 1,
                                     interlock::kTsCount, &n)) {
            break;  // the pass ends at the first operand that is not a TS number
        }
        TextRange range = OperandRange(text, i, end);
        int value = ws.TsTable.Value[n];
        if (TildeBefore(text, i)) value ^= 1;
        if (ws.TsTable.Unreliability[n] == 2) {
            range.colour = colour::kGrey;
            range.boldUnderline = true;
        } else {
            range.colour = value == 1 ? colour::kGreen : colour::kRed;
        }
        ranges.push_back(range);
    }
    return ranges;
}

std::vector<TextRange> VariableRanges(const std::string& text, const interlock::Workspace& ws) {
    std::vector<TextRange> ranges;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != 'M' && c != 'V') continue;
        const size_t end = TokenEnd(text, i, "),=");
        const int32_t hi = c == 'M' ? interlock::kMCount : interlock::kBlockCount;
        int32_t n = 0;
        if (!interlock::IsIntInRange(std::string_view(text).substr(i + 1, end - i - 1), 1, hi, &n)) {
            break;
        }
        int value = 0;
        if (c == 'M') {
            value = ws.MVariables.Value[n];
        } else {
            const interlock::Block& block = ws.Blocks[n];
            value = ws.CurrentView == interlock::Side::On ? block.OnResult : block.OffResult;
        }
        TextRange range = OperandRange(text, i, end);
        const bool holds = TildeBefore(text, i) ? value == 0 : value == 1;
        range.colour = holds ? colour::kGreen : colour::kRed;
        ranges.push_back(range);
    }
    return ranges;
}

unsigned char LowerCp1251(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
    if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 0x20);  // А..Я
    switch (c) {
        case 0x80:
            return 0x90;  // Ђ
        case 0x81:
            return 0x83;  // Ѓ
        case 0x8A:
            return 0x9A;  // Љ
        case 0x8C:
            return 0x9C;  // Њ
        case 0x8D:
            return 0x9D;  // Ќ
        case 0x8E:
            return 0x9E;  // Ћ
        case 0x8F:
            return 0x9F;  // Џ
        case 0xA1:
            return 0xA2;  // Ў
        case 0xA3:
            return 0xBC;  // Ј
        case 0xA5:
            return 0xB4;  // Ґ
        case 0xA8:
            return 0xB8;  // Ё
        case 0xAA:
            return 0xBA;  // Є
        case 0xAF:
            return 0xBF;  // Ї
        case 0xB2:
            return 0xB3;  // І
        case 0xBD:
            return 0xBE;  // Ѕ
        default:
            return c;
    }
}

size_t FindNoCase(const std::string& text, const std::string& needle) {
    auto same = [](char a, char b) {
        return LowerCp1251(static_cast<unsigned char>(a)) == LowerCp1251(static_cast<unsigned char>(b));
    };
    auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(), same);
    return it == text.end() && !needle.empty() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

std::vector<TextRange> ErrorLineRanges(const std::string& text, const std::string& errorLine) {
    if (errorLine.empty()) return {};
    const size_t at = FindNoCase(text, errorLine);
    if (at == std::string::npos) return {};
    return {{at, errorLine.size(), colour::kBlack, true}};
}

std::vector<ColourRun> HighlightTsOperands(const std::vector<std::string>& lines,
                                           const interlock::Workspace& ws) {
    EditorText text(lines);
    return text.ToRuns(TsOperandRanges(text.Text(), ws));
}

std::vector<ColourRun> HighlightVariables(const std::vector<std::string>& lines,
                                          const interlock::Workspace& ws) {
    EditorText text(lines);
    return text.ToRuns(VariableRanges(text.Text(), ws));
}

std::vector<ColourRun> MarkErrorLine(const std::vector<std::string>& lines, const std::string& errorLine) {
    EditorText text(lines);
    return text.ToRuns(ErrorLineRanges(text.Text(), errorLine));
}

namespace {

struct CharLook {
    Colour colour = colour::kBlack;
    bool boldUnderline = false;

    bool operator==(const CharLook&) const = default;
    bool Plain() const { return colour == colour::kBlack && !boldUnderline; }
};

bool ByOffset(const TextRange& x, const TextRange& y) { return x.offset < y.offset; }

}  // namespace

std::vector<TextRange> PaintRanges(size_t textSize, const std::vector<TextRange>& first,
                                   const std::vector<TextRange>& second) {
    // Ranges in text order that do not overlap are the result as they are, with touching ranges
    // of one look joined and plain ones dropped: no look is kept for each of the text's
    // characters (a logic of megabytes has millions). Each pass gives its ranges in text order,
    // so the two are merged, a range of the first pass going before one of the second at the
    // same offset.
    std::vector<TextRange> joined;
    joined.reserve(first.size() + second.size());
    size_t reach = 0;  // the end of the ranges taken so far
    auto take = [&](const TextRange& r) {
        if (r.offset >= textSize) return true;
        TextRange c = r;
        c.length = std::min(c.length, textSize - c.offset);
        if (c.length == 0) return true;
        if (c.offset < reach) return false;
        reach = c.offset + c.length;
        if (CharLook{c.colour, c.boldUnderline}.Plain()) return true;
        TextRange* last = joined.empty() ? nullptr : &joined.back();
        if (last && last->offset + last->length == c.offset && last->colour == c.colour &&
            last->boldUnderline == c.boldUnderline)
            last->length += c.length;
        else
            joined.push_back(c);
        return true;
    };
    bool apart = true;
    if (std::is_sorted(first.begin(), first.end(), ByOffset) &&
        std::is_sorted(second.begin(), second.end(), ByOffset)) {
        size_t i = 0;
        size_t j = 0;
        while (apart && (i < first.size() || j < second.size())) {
            const bool fromSecond =
                i == first.size() || (j < second.size() && second[j].offset < first[i].offset);
            apart = take(fromSecond ? second[j++] : first[i++]);
        }
    } else {
        std::vector<TextRange> sorted;
        sorted.reserve(first.size() + second.size());
        sorted.insert(sorted.end(), first.begin(), first.end());
        sorted.insert(sorted.end(), second.begin(), second.end());
        std::stable_sort(sorted.begin(), sorted.end(), ByOffset);
        for (size_t i = 0; apart && i < sorted.size(); ++i) apart = take(sorted[i]);
    }
    if (apart) return joined;

    // Overlapping ranges: every character gets the look of the last range over it.
    std::vector<CharLook> looks(textSize);
    for (const std::vector<TextRange>* pass : {&first, &second}) {
        for (const TextRange& r : *pass) {
            if (r.offset >= textSize) continue;
            const size_t end = r.offset + std::min(r.length, textSize - r.offset);
            for (size_t i = r.offset; i < end; ++i) looks[i] = {r.colour, r.boldUnderline};
        }
    }
    std::vector<TextRange> flat;
    size_t i = 0;
    while (i < textSize) {
        if (looks[i].Plain()) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < textSize && looks[j] == looks[i]) ++j;
        flat.push_back({i, j - i, looks[i].colour, looks[i].boldUnderline});
        i = j;
    }
    return flat;
}

std::optional<std::vector<ColourRun>> ComputeColouring(const std::vector<std::string>& lines,
                                                       const interlock::Workspace& ws,
                                                       interlock::EditorColouring kind,
                                                       const std::string& errorLine) {
    using interlock::EditorColouring;
    if (kind == EditorColouring::Keep) return std::nullopt;
    if (kind == EditorColouring::Plain) return std::vector<ColourRun>{};
    const EditorText text(lines);
    if (kind == EditorColouring::ErrorLine)
        return text.ToRuns(PaintRanges(text.Text().size(), ErrorLineRanges(text.Text(), errorLine)));
    return text.ToRuns(
        PaintRanges(text.Text().size(), TsOperandRanges(text.Text(), ws), VariableRanges(text.Text(), ws)));
}

}  // namespace ui
