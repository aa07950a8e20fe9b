#include "ui/editor_colouring.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <numeric>

#include "ui/colors.h"

namespace ui {
namespace {

QTextCharFormat LookFormat(interlock::Colour colour, bool boldUnderline) {
    QTextCharFormat format;
    format.setForeground(ToQColor(colour));
    format.setFontWeight(boldUnderline ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(boldUnderline);
    return format;
}

// The few distinct formats of one colouring; index 0 is plain black.
class FormatTable {
public:
    FormatTable() { Add(interlock::colour::kBlack, false); }

    int IndexOf(interlock::Colour colour, bool boldUnderline) {
        for (size_t i = 0; i < keys_.size(); ++i) {
            if (keys_[i].first == colour && keys_[i].second == boldUnderline) return static_cast<int>(i);
        }
        return Add(colour, boldUnderline);
    }
    const QTextCharFormat& operator[](int index) const { return formats_[static_cast<size_t>(index)]; }

private:
    int Add(interlock::Colour colour, bool boldUnderline) {
        keys_.emplace_back(colour, boldUnderline);
        formats_.push_back(LookFormat(colour, boldUnderline));
        return static_cast<int>(formats_.size() - 1);
    }
    std::vector<std::pair<interlock::Colour, bool>> keys_;
    std::vector<QTextCharFormat> formats_;
};

// True when every character of the block already has the format its look asks for.
bool BlockMatches(const QTextBlock& block, const std::vector<int>& looks, const FormatTable& formats) {
    const int blockStart = block.position();
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const QTextCharFormat current = fragment.charFormat();
        const int start = fragment.position() - blockStart;
        int checked = -1;
        for (int k = start; k < start + fragment.length() && k < static_cast<int>(looks.size()); ++k) {
            if (looks[static_cast<size_t>(k)] == checked) continue;
            checked = looks[static_cast<size_t>(k)];
            if (!(current == formats[checked])) return false;
        }
    }
    return true;
}

}  // namespace

void ApplyColouring(QTextEdit* editor, const std::vector<ColourRun>& runs) {
    QTextDocument* document = editor->document();

    // The runs of each line, in their order (a later run wins where two overlap).
    std::vector<size_t> order(runs.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&runs](size_t a, size_t b) { return runs[a].line < runs[b].line; });

    // The colouring is a display of values, not an edit the user could undo; the editor's text
    // is reloaded before every colouring anyway.
    const bool undoEnabled = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);

    FormatTable formats;
    std::vector<int> looks;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    // Every line is made black and regular and then given its runs. A line whose characters
    // already look that way is left untouched, so that it need not be laid out again.
    size_t next = 0;
    int line = 0;
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next(), ++line) {
        const int length = block.length() - 1;  // without the block separator
        looks.assign(static_cast<size_t>(std::max(length, 0)), 0);
        while (next < order.size() && runs[order[next]].line < line) ++next;
        for (; next < order.size() && runs[order[next]].line == line; ++next) {
            const ColourRun& run = runs[order[next]];
            const int from = std::max(run.column, 0);
            const int to = std::min(run.column + run.length, length);
            if (from >= to) continue;
            const int look = formats.IndexOf(run.colour, run.boldUnderline);
            std::fill(looks.begin() + from, looks.begin() + to, look);
        }
        if (BlockMatches(block, looks, formats)) continue;
        const int blockStart = block.position();
        for (int i = 0; i < length;) {
            int j = i + 1;
            while (j < length && looks[static_cast<size_t>(j)] == looks[static_cast<size_t>(i)]) ++j;
            cursor.setPosition(blockStart + i);
            cursor.setPosition(blockStart + j, QTextCursor::KeepAnchor);
            cursor.setCharFormat(formats[looks[static_cast<size_t>(i)]]);
            i = j;
        }
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(undoEnabled);

    QTextCursor caret(document);
    caret.movePosition(QTextCursor::End);
    editor->setTextCursor(caret);
    editor->mergeCurrentCharFormat(formats[0]);
}

void ClearHighlighting(QTextEdit* editor) { ApplyColouring(editor, {}); }

}  // namespace ui
