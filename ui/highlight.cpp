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

void EditorText::RunWriter::Append(const TextRange& range) {
    const std::vector<size_t>& starts = text_.lineStarts_;
    // Ranges in text order walk the lines once; one that starts further back is looked up.
    if (starts.empty() || range.offset < lastOffset_ || starts[line_] > range.offset) {
        line_ = text_.FirstLineOf(range.offset);
    } else {
        while (line_ + 1 < starts.size() && starts[line_ + 1] <= range.offset) ++line_;
    }
    lastOffset_ = range.offset;
    line_ = text_.AppendRunsFrom(line_, range, out_);
}

std::vector<ColourRun> EditorText::ToRuns(const std::vector<TextRange>& ranges) const {
    std::vector<ColourRun> runs;
    runs.reserve(ranges.size());
    RunWriter writer(*this, runs);
    for (const TextRange& range : ranges) writer.Append(range);
    return runs;
}

namespace {

// The number token of an operand whose letter is at i: the characters after the letter up to,
// not including, the next terminator or the end of the text. Line breaks do not end it.
template <typename IsTerminator>
size_t TokenEnd(const std::string& text, size_t i, IsTerminator isTerminator) {
    size_t end = i + 1;
    while (end < text.size() && !isTerminator(text[end])) ++end;
    return end;
}

bool TildeBefore(const std::string& text, size_t i) { return i > 0 && text[i - 1] == '~'; }

// The coloured range of an operand: from a preceding "~" (when there is one) through the
// letter and its number token.
TextRange OperandRange(const std::string& text, size_t letter, size_t tokenEnd) {
    size_t start = TildeBefore(text, letter) ? letter - 1 : letter;
    return {start, tokenEnd - start, colour::kBlack, false};
}

// The pass over S and D operands, one range at a time.
class TsOperandScan {
public:
    TsOperandScan(const std::string& text, const interlock::Workspace& ws) : text_(text), ws_(ws) {}

    bool Next(TextRange& range) {
        const std::string& text = text_;
        for (; i_ < text.size(); ++i_) {
            const size_t i = i_;
            const char c = text[i];
            // The D of AND and END is not an operand.
            const bool starts = c == 'S' || (c == 'D' && (i == 0 || text[i - 1] != 'N'));
            if (!starts) continue;
            const size_t end = TokenEnd(text, i, [](char t) { return t == ')' || t == ','; });
            int32_t n = 0;
            if (!interlock::IsIntInRange(std::string_view(text).substr(i + 1, end - i - 1), 1,
                                         interlock::kTsCount, &n)) {
                break;  // the pass ends at the first operand that is not a TS number
            }
            range = OperandRange(text, i, end);
            int value = ws_.TsTable.Value[n];
            if (TildeBefore(text, i)) value ^= 1;
            if (ws_.TsTable.Unreliability[n] == 2) {
                range.colour = colour::kGrey;
                range.boldUnderline = true;
            } else {
                range.colour = value == 1 ? colour::kGreen : colour::kRed;
            }
            ++i_;
            return true;
        }
        i_ = text.size();
        return false;
    }

private:
    const std::string& text_;
    const interlock::Workspace& ws_;
    size_t i_ = 0;
};

// The pass over M and V operands, one range at a time.
class VariableScan {
public:
    VariableScan(const std::string& text, const interlock::Workspace& ws) : text_(text), ws_(ws) {}

    bool Next(TextRange& range) {
        const std::string& text = text_;
        for (; i_ < text.size(); ++i_) {
            const size_t i = i_;
            const char c = text[i];
            if (c != 'M' && c != 'V') continue;
            const size_t end = TokenEnd(text, i, [](char t) { return t == ')' || t == ',' || t == '='; });
            const int32_t hi = c == 'M' ? interlock::kMCount : interlock::kBlockCount;
            int32_t n = 0;
            if (!interlock::IsIntInRange(std::string_view(text).substr(i + 1, end - i - 1), 1, hi, &n)) {
                break;
            }
            int value = 0;
            if (c == 'M') {
                value = ws_.MVariables.Value[n];
            } else {
                const interlock::Block& block = ws_.Blocks[n];
                value = ws_.CurrentView == interlock::Side::On ? block.OnResult : block.OffResult;
            }
            range = OperandRange(text, i, end);
            const bool holds = TildeBefore(text, i) ? value == 0 : value == 1;
            range.colour = holds ? colour::kGreen : colour::kRed;
            ++i_;
            return true;
        }
        i_ = text.size();
        return false;
    }

private:
    const std::string& text_;
    const interlock::Workspace& ws_;
    size_t i_ = 0;
};

// The ranges of a vector, one at a time.
class VectorScan {
public:
    explicit VectorScan(const std::vector<TextRange>& ranges) : ranges_(ranges) {}
    bool Next(TextRange& range) {
        if (i_ == ranges_.size()) return false;
        range = ranges_[i_++];
        return true;
    }

private:
    const std::vector<TextRange>& ranges_;
    size_t i_ = 0;
};

template <typename Scan>
std::vector<TextRange> AllRanges(Scan scan, size_t expected) {
    std::vector<TextRange> ranges;
    ranges.reserve(expected);
    TextRange range;
    while (scan.Next(range)) ranges.push_back(range);
    return ranges;
}

}  // namespace

std::vector<TextRange> TsOperandRanges(const std::string& text, const interlock::Workspace& ws) {
    // An operand and its comma take at least three characters.
    return AllRanges(TsOperandScan(text, ws), text.size() / 3 + 1);
}

std::vector<TextRange> VariableRanges(const std::string& text, const interlock::Workspace& ws) {
    return AllRanges(VariableScan(text, ws), 0);
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

// Takes ranges in text order and hands them on to `out` with touching ranges of one look joined
// and plain ones dropped. Take refuses a range that starts before the end of the ones taken.
template <typename Out>
class Joiner {
public:
    Joiner(size_t textSize, Out& out) : textSize_(textSize), out_(out) {}

    bool Take(const TextRange& r) {
        if (r.offset >= textSize_) return true;
        TextRange c = r;
        c.length = std::min(c.length, textSize_ - c.offset);
        if (c.length == 0) return true;
        if (c.offset < reach_) return false;
        reach_ = c.offset + c.length;
        if (CharLook{c.colour, c.boldUnderline}.Plain()) return true;
        if (held_ && held_->offset + held_->length == c.offset && held_->colour == c.colour &&
            held_->boldUnderline == c.boldUnderline) {
            held_->length += c.length;
            return true;
        }
        if (held_) out_(*held_);
        held_ = c;
        return true;
    }

    void Finish() {
        if (held_) out_(*held_);
        held_.reset();
    }

private:
    size_t textSize_;
    Out& out_;
    size_t reach_ = 0;  // the end of the ranges taken so far
    std::optional<TextRange> held_;
};

// Paints the ranges of two passes, each in text order, when no two of them overlap: merged, a
// range of the first pass going before one of the second at the same offset, joined and handed
// to `out`. False, with part of the result handed on, when a pass is out of order or two ranges
// overlap.
template <typename First, typename Second, typename Out>
bool PaintApart(size_t textSize, First first, Second second, Out& out) {
    Joiner<Out> joiner(textSize, out);
    TextRange a;
    TextRange b;
    bool haveA = first.Next(a);
    bool haveB = second.Next(b);
    while (haveA || haveB) {
        const bool fromSecond = !haveA || (haveB && b.offset < a.offset);
        const TextRange taken = fromSecond ? b : a;
        if (!joiner.Take(taken)) return false;
        if (fromSecond) {
            haveB = second.Next(b);
            if (haveB && b.offset < taken.offset) return false;
        } else {
            haveA = first.Next(a);
            if (haveA && a.offset < taken.offset) return false;
        }
    }
    joiner.Finish();
    return true;
}

// Every character gets the look of the last range over it: ranges that overlap.
std::vector<TextRange> PaintEveryCharacter(size_t textSize, const std::vector<TextRange>& first,
                                           const std::vector<TextRange>& second) {
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

}  // namespace

std::vector<TextRange> PaintRanges(size_t textSize, const std::vector<TextRange>& first,
                                   const std::vector<TextRange>& second) {
    // Ranges that do not overlap are the result as they are: no look is kept for each of the
    // text's characters (a logic of megabytes has millions).
    std::vector<TextRange> joined;
    joined.reserve(first.size() + second.size());
    auto keep = [&joined](const TextRange& r) { joined.push_back(r); };
    if (std::is_sorted(first.begin(), first.end(), ByOffset) &&
        std::is_sorted(second.begin(), second.end(), ByOffset)) {
        if (PaintApart(textSize, VectorScan(first), VectorScan(second), keep)) return joined;
    } else {
        std::vector<TextRange> sorted;
        sorted.reserve(first.size() + second.size());
        sorted.insert(sorted.end(), first.begin(), first.end());
        sorted.insert(sorted.end(), second.begin(), second.end());
        std::stable_sort(sorted.begin(), sorted.end(), ByOffset);
        joined.clear();
        if (PaintApart(textSize, VectorScan(sorted), VectorScan({}), keep)) return joined;
    }
    return PaintEveryCharacter(textSize, first, second);
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
    // The two passes are painted as they scan, straight into editor runs: a logic of megabytes
    // has millions of operands, and no list of their ranges is kept. Only overlapping ranges
    // (odd tokens) need the passes' lists.
    std::vector<ColourRun> runs;
    runs.reserve(text.Text().size() / 3 + 1);
    EditorText::RunWriter writer(text, runs);
    auto write = [&writer](const TextRange& r) { writer.Append(r); };
    if (PaintApart(text.Text().size(), TsOperandScan(text.Text(), ws), VariableScan(text.Text(), ws), write))
        return runs;
    return text.ToRuns(
        PaintRanges(text.Text().size(), TsOperandRanges(text.Text(), ws), VariableRanges(text.Text(), ws)));
}

}  // namespace ui
