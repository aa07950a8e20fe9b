#pragma once

// Colouring of the logic editor: which characters of the logic on view are green, red or
// grey, and which are bold and underlined. Plain C++; the Qt side only applies the result.
//
// The passes read the editor text as one string with CR LF after every line (the last line
// included) and work with character offsets into that string. The editor itself has no CR LF,
// so every result is handed out as runs in editor coordinates: line index and column within
// the line. All texts are Windows-1251.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace ui {

// One coloured stretch of a single editor line. Characters outside every run are black and
// regular.
struct ColourRun {
    int line = 0;
    int column = 0;
    int length = 0;
    interlock::Colour colour = interlock::colour::kBlack;
    bool boldUnderline = false;

    bool operator==(const ColourRun&) const = default;
};

// A coloured stretch of the joined text (offsets count the CR LF of every line).
struct TextRange {
    size_t offset = 0;
    size_t length = 0;
    interlock::Colour colour = interlock::colour::kBlack;
    bool boldUnderline = false;

    bool operator==(const TextRange&) const = default;
};

// The editor lines joined with CR LF after every line, and the way back from offsets in that
// string to editor lines and columns.
class EditorText {
public:
    explicit EditorText(const std::vector<std::string>& lines);

    const std::string& Text() const { return text_; }
    int LineCount() const { return static_cast<int>(lineStarts_.size()); }

    // The range cut into runs on the lines it touches; the CR LF characters themselves have
    // no place in the editor and are dropped.
    void AppendRuns(const TextRange& range, std::vector<ColourRun>& out) const;
    std::vector<ColourRun> ToRuns(const std::vector<TextRange>& ranges) const;

    // Appends the runs of ranges handed over one at a time; ranges in text order cost no
    // search for their line.
    class RunWriter {
    public:
        RunWriter(const EditorText& text, std::vector<ColourRun>& out) : text_(text), out_(out) {}
        void Append(const TextRange& range);

    private:
        const EditorText& text_;
        std::vector<ColourRun>& out_;
        size_t line_ = 0;
        size_t lastOffset_ = 0;
    };

private:
    size_t FirstLineOf(size_t offset) const;
    // AppendRuns with the search for the range's first line started at `line` (a line that
    // starts at or before it); returns the range's last line.
    size_t AppendRunsFrom(size_t line, const TextRange& range, std::vector<ColourRun>& out) const;

    std::string text_;
    std::vector<size_t> lineStarts_;
    std::vector<size_t> lineLengths_;
};

// The passes over the joined text. Each returns its ranges in the order it colours them.
std::vector<TextRange> TsOperandRanges(const std::string& text, const interlock::Workspace& ws);
std::vector<TextRange> VariableRanges(const std::string& text, const interlock::Workspace& ws);
std::vector<TextRange> ErrorLineRanges(const std::string& text, const std::string& errorLine);

// The ranges of the first pass and then those of the second painted one after another over a
// plain text of textSize characters, each over the ones before it: the result as ranges in text
// order that do not overlap, touching ranges of one look joined, plain stretches left out.
std::vector<TextRange> PaintRanges(size_t textSize, const std::vector<TextRange>& first,
                                   const std::vector<TextRange>& second = {});

// Offset of the first occurrence of needle in text, letters compared without case
// (Latin and Cyrillic of Windows-1251); npos when there is none.
size_t FindNoCase(const std::string& text, const std::string& needle);
unsigned char LowerCp1251(unsigned char c);

// The same passes on editor lines, with the result in editor coordinates.
//  - S and D operands: green when the operand holds, red when not, grey bold underlined for a
//    TS with hardware unreliability; the pass ends at the first operand that is not a TS number.
//  - M and V operands: green / red by the M variable or by the block result of the view kind.
//  - The first occurrence of the error line, bold and underlined.
std::vector<ColourRun> HighlightTsOperands(const std::vector<std::string>& lines,
                                           const interlock::Workspace& ws);
std::vector<ColourRun> HighlightVariables(const std::vector<std::string>& lines,
                                          const interlock::Workspace& ws);
std::vector<ColourRun> MarkErrorLine(const std::vector<std::string>& lines, const std::string& errorLine);

// The colouring a refresh leaves on the editor: nullopt when the editor is to be left as it is
// (EditorColouring::Keep); otherwise the runs over a black, regular text, sorted by position
// and not overlapping (where two passes meet, the later one wins).
std::optional<std::vector<ColourRun>> ComputeColouring(const std::vector<std::string>& lines,
                                                       const interlock::Workspace& ws,
                                                       interlock::EditorColouring kind,
                                                       const std::string& errorLine);

}  // namespace ui
