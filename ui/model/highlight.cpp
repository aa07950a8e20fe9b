#include "ui/model/highlight.h"

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

// Takes ranges in text order that do not overlap and hands them on to `out` with touching
// ranges of one look joined and plain ones dropped.
template <typename Out>
class Joiner {
public:
    explicit Joiner(Out& out) : out_(out) {}

    void Take(const TextRange& c) {
        if (CharLook{c.colour, c.boldUnderline}.Plain()) return;
        if (held_ && held_->offset + held_->length == c.offset && held_->colour == c.colour &&
            held_->boldUnderline == c.boldUnderline) {
            held_->length += c.length;
            return;
        }
        if (held_) out_(*held_);
        held_ = c;
    }

    void Finish() {
        if (held_) out_(*held_);
        held_.reset();
    }

private:
    Out& out_;
    std::optional<TextRange> held_;
};

// Paints ranges handed over in text order, each with its place in the painting order: a range
// that overlaps no other goes on as it is; a cluster of overlapping ones is painted a character
// at a time over its own stretch only, the later one in painting order winning. A logic of
// megabytes with an odd token then costs no look for each of its characters.
template <typename Out>
class Painter {
public:
    Painter(size_t textSize, Out& out) : textSize_(textSize), joiner_(out) {}

    void Add(const TextRange& r, uint64_t order) {
        if (r.offset >= textSize_) return;
        TextRange c = r;
        c.length = std::min(c.length, textSize_ - c.offset);
        if (c.length == 0) return;
        if (!cluster_.empty() && c.offset >= reach_) Flush();
        cluster_.push_back({c, order});
        reach_ = std::max(reach_, c.offset + c.length);
    }

    void Finish() {
        Flush();
        joiner_.Finish();
    }

private:
    struct Ordered {
        TextRange range;
        uint64_t order;
    };

    void Flush() {
        if (cluster_.size() == 1) {
            joiner_.Take(cluster_.front().range);
        } else if (!cluster_.empty()) {
            const size_t begin = cluster_.front().range.offset;
            std::stable_sort(cluster_.begin(), cluster_.end(),
                             [](const Ordered& x, const Ordered& y) { return x.order < y.order; });
            looks_.assign(reach_ - begin, CharLook{});
            for (const Ordered& o : cluster_) {
                for (size_t i = o.range.offset; i < o.range.offset + o.range.length; ++i)
                    looks_[i - begin] = {o.range.colour, o.range.boldUnderline};
            }
            for (size_t i = 0; i < looks_.size();) {
                size_t j = i + 1;
                while (j < looks_.size() && looks_[j] == looks_[i]) ++j;
                joiner_.Take({begin + i, j - i, looks_[i].colour, looks_[i].boldUnderline});
                i = j;
            }
        }
        cluster_.clear();
    }

    size_t textSize_;
    Joiner<Out> joiner_;
    std::vector<Ordered> cluster_;  // ranges overlapping one another, by offset
    size_t reach_ = 0;              // the end of the cluster
    std::vector<CharLook> looks_;
};

constexpr uint64_t kSecondPass = uint64_t{1} << 40;

// Paints the ranges of two passes, the second over the first, each pass giving its ranges in
// text order: merged as they come, with nothing kept but the ranges that overlap one another.
// False, with part of the result handed on, when a pass is out of order.
template <typename First, typename Second, typename Out>
bool PaintInOrder(size_t textSize, First first, Second second, Out& out) {
    Painter<Out> painter(textSize, out);
    TextRange a;
    TextRange b;
    bool haveA = first.Next(a);
    bool haveB = second.Next(b);
    uint64_t seqA = 0;
    uint64_t seqB = kSecondPass;
    while (haveA || haveB) {
        if (!haveA || (haveB && b.offset < a.offset)) {
            painter.Add(b, seqB++);
            const size_t at = b.offset;
            haveB = second.Next(b);
            if (haveB && b.offset < at) return false;
        } else {
            painter.Add(a, seqA++);
            const size_t at = a.offset;
            haveA = first.Next(a);
            if (haveA && a.offset < at) return false;
        }
    }
    painter.Finish();
    return true;
}

}  // namespace

std::vector<TextRange> PaintRanges(size_t textSize, const std::vector<TextRange>& first,
                                   const std::vector<TextRange>& second) {
    std::vector<TextRange> painted;
    painted.reserve(first.size() + second.size());
    auto keep = [&painted](const TextRange& r) { painted.push_back(r); };
    if (PaintInOrder(textSize, VectorScan(first), VectorScan(second), keep)) return painted;
    // Ranges out of text order: sorted by offset, each keeping its place in the painting order.
    painted.clear();
    struct Ordered {
        TextRange range;
        uint64_t order;
    };
    std::vector<Ordered> all;
    all.reserve(first.size() + second.size());
    for (size_t i = 0; i < first.size(); ++i) all.push_back({first[i], i});
    for (size_t i = 0; i < second.size(); ++i) all.push_back({second[i], kSecondPass + i});
    std::stable_sort(all.begin(), all.end(),
                     [](const Ordered& x, const Ordered& y) { return x.range.offset < y.range.offset; });
    Painter<decltype(keep)> painter(textSize, keep);
    for (const Ordered& o : all) painter.Add(o.range, o.order);
    painter.Finish();
    return painted;
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
    // has millions of operands, and no list of their ranges is kept.
    std::vector<ColourRun> runs;
    runs.reserve(text.Text().size() / 3 + 1);
    EditorText::RunWriter writer(text, runs);
    auto write = [&writer](const TextRange& r) { writer.Append(r); };
    if (PaintInOrder(text.Text().size(), TsOperandScan(text.Text(), ws), VariableScan(text.Text(), ws),
                     write))
        return runs;
    return text.ToRuns(
        PaintRanges(text.Text().size(), TsOperandRanges(text.Text(), ws), VariableRanges(text.Text(), ws)));
}

}  // namespace ui
