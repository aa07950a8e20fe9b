#include "ui/logic_editor.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <utility>

#include "ui/colors.h"
#include "ui/qt_text.h"
#include "interlock/workspace.h"

namespace ui {
namespace {

using CharLook = LogicEditor::CharLook;

// Lines whose shaped glyphs are kept between paints. Drawing a line without them shapes its
// text again every time; a text this long is no logic the program reads, and its glyphs are
// not kept.
constexpr int kCachedLineLimit = 2000;

CharLook PlainLook() { return {ToQColor(interlock::colour::kBlack).rgb(), false}; }

QTextCharFormat LookFormat(const CharLook& look) {
    QTextCharFormat format;
    format.setForeground(QColor::fromRgb(look.colour));
    format.setFontWeight(look.marked ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(look.marked);
    return format;
}

// The formats of the few looks a colouring has.
class LookFormats {
public:
    const QTextCharFormat& Of(const CharLook& look) {
        for (const auto& [known, format] : known_) {
            if (known == look) return format;
        }
        known_.emplace_back(look, LookFormat(look));
        return known_.back().second;
    }

private:
    std::vector<std::pair<CharLook, QTextCharFormat>> known_;
};

// The looks of the document's character formats, by format index: a text holds only a few
// distinct formats, and reading a format is slower than looking it up.
class FormatLooks {
public:
    explicit FormatLooks(CharLook plain) : plain_(plain) {}
    CharLook Of(const QTextFragment& fragment) {
        const int index = fragment.charFormatIndex();
        for (const auto& [known, look] : known_) {
            if (known == index) return look;
        }
        const QTextCharFormat format = fragment.charFormat();
        const CharLook look{
            format.foreground().style() == Qt::NoBrush ? plain_.colour : format.foreground().color().rgb(),
            format.fontUnderline() || format.fontWeight() > QFont::Normal};
        known_.emplace_back(index, look);
        return look;
    }

private:
    CharLook plain_;
    std::vector<std::pair<int, CharLook>> known_;
};

// The looks the characters of an editor line have now. Text that never had a colour of its
// own is plain black.
std::vector<CharLook> ShownLooks(const QTextBlock& block, CharLook plain, FormatLooks& formats) {
    std::vector<CharLook> looks(static_cast<size_t>(std::max(0, block.length() - 1)), plain);
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const CharLook look = formats.Of(fragment);
        const int from = fragment.position() - block.position();
        for (int i = std::max(0, from); i < from + fragment.length() && i < static_cast<int>(looks.size());
             ++i)
            looks[static_cast<size_t>(i)] = look;
    }
    return looks;
}

void KeepGlyphs(QTextBlock from, const QTextBlock& to) {
    for (; from.isValid(); from = from.next()) {
        from.layout()->setCacheEnabled(true);
        if (from == to) break;
    }
}

}  // namespace

LogicEditor::LogicEditor(QWidget* parent) : QTextEdit(parent) {
    // Any change to the document that this class did not make may have changed the text or
    // the looks: what it remembers is forgotten. The lines touched keep their glyphs.
    connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        if (!ownEdit_) Forget();
        if (document()->blockCount() <= kCachedLineLimit)
            KeepGlyphs(document()->findBlock(position), document()->findBlock(position + added));
    });
}

void LogicEditor::Forget() { shownKnown_ = readKnown_ = looksKnown_ = false; }

const std::vector<std::string>& LogicEditor::Lines() {
    if (!readKnown_) {
        read_ = interlock::SplitEditorText(FromQString(toPlainText()));
        readKnown_ = true;
    }
    return read_;
}

void LogicEditor::ShowLines(const std::vector<std::string>& lines) {
    if (shownKnown_ && shown_ == lines) return;
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\n';
        text += ToQString(lines[i]);
    }
    if (toPlainText() != text) {
        ownEdit_ = true;
        setPlainText(text);
        ownEdit_ = false;
        readKnown_ = looksKnown_ = false;
    }
    shown_ = lines;
    shownKnown_ = true;
}

std::vector<std::vector<CharLook>> LogicEditor::ReadLooks() const {
    std::vector<std::vector<CharLook>> looks;
    FormatLooks formats(PlainLook());  // an index keeps its format: recolouring only adds formats
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
        looks.push_back(ShownLooks(block, PlainLook(), formats));
    return looks;
}

// Laying the text out again is what costs, and one edit lays out every line from its first
// change to its last. After a TS change only the few lines that read the changed TS or an M
// variable it moved change colour: each of them is recoloured in an edit of its own. When most
// lines change (a new text, the colouring switched on) one edit for all of them is cheaper.
void LogicEditor::Recolour(const std::vector<ColourRun>& runs) {
    QTextDocument* document = this->document();
    const CharLook plain = PlainLook();
    if (!looksKnown_) {
        looks_ = ReadLooks();
        looksKnown_ = true;
    }

    struct ChangedLine {
        QTextBlock block;
        int line;
        std::vector<CharLook> looks;
    };
    std::vector<ChangedLine> changed;
    size_t next = 0;
    int line = 0;
    std::vector<CharLook> wanted;
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next(), ++line) {
        const int length = std::max(0, block.length() - 1);
        wanted.assign(static_cast<size_t>(length), plain);
        while (next < runs.size() && runs[next].line < line) ++next;
        for (; next < runs.size() && runs[next].line == line; ++next) {
            const ColourRun& run = runs[next];
            const CharLook look{ToQColor(run.colour).rgb(), run.boldUnderline};
            const int to = std::min(length, run.column + run.length);
            for (int i = std::max(0, run.column); i < to; ++i) wanted[static_cast<size_t>(i)] = look;
        }
        if (wanted != looks_[static_cast<size_t>(line)]) changed.push_back({block, line, wanted});
    }

    ownEdit_ = true;
    if (!changed.empty()) {
        // The colouring is a display of values, not an edit to undo.
        const bool undoEnabled = document->isUndoRedoEnabled();
        document->setUndoRedoEnabled(false);
        const int span = changed.back().line - changed.front().line + 1;
        const bool oneEdit = span <= 2 * static_cast<int>(changed.size());
        LookFormats formats;
        QTextCursor cursor(document);
        if (oneEdit) cursor.beginEditBlock();
        for (ChangedLine& c : changed) {
            const int start = c.block.position();
            const std::vector<CharLook>& shown = looks_[static_cast<size_t>(c.line)];
            const std::vector<CharLook>& looks = c.looks;
            const size_t length = looks.size();
            if (!oneEdit) cursor.beginEditBlock();
            // Each stretch of one look that some of its characters do not show yet.
            for (size_t i = 0; i < length;) {
                size_t j = i + 1;
                while (j < length && looks[j] == looks[i]) ++j;
                if (shown.size() != length ||
                    !std::equal(looks.begin() + static_cast<long>(i), looks.begin() + static_cast<long>(j),
                                shown.begin() + static_cast<long>(i))) {
                    cursor.setPosition(start + static_cast<int>(i));
                    cursor.setPosition(start + static_cast<int>(j), QTextCursor::KeepAnchor);
                    cursor.setCharFormat(formats.Of(looks[i]));
                }
                i = j;
            }
            if (!oneEdit) cursor.endEditBlock();
            looks_[static_cast<size_t>(c.line)] = std::move(c.looks);
        }
        if (oneEdit) cursor.endEditBlock();
        document->setUndoRedoEnabled(undoEnabled);
    }
    // The caret goes to the end of the text, scrolled into view. A caret put there anew while
    // it is there and in view already stays where it is, but the scroll bars and the caret's
    // line are repainted, so it is left alone.
    const QTextCursor current = textCursor();
    if (current.hasSelection() || !current.atEnd() ||
        !viewport()->rect().contains(cursorRect().adjusted(-5, 0, 5, 0))) {
        QTextCursor caret(document);
        caret.movePosition(QTextCursor::End);
        setTextCursor(caret);
    }
    mergeCurrentCharFormat(LookFormat(plain));
    ownEdit_ = false;
}

// A repaint of lines far apart (the few lines a TS change recolours) draws each stretch of
// lines on its own instead of every line between the first and the last. The editor draws a
// stretch clipped to it, so each pixel is drawn as before.
void LogicEditor::paintEvent(QPaintEvent* event) {
    const QRegion& region = event->region();
    if (region.rectCount() < 2) {
        QTextEdit::paintEvent(event);
        return;
    }
    const int lineHeight = QFontMetrics(font()).height();
    std::vector<QRect> stretches;
    for (const QRect& r : region) {  // top to bottom
        if (!stretches.empty() && r.top() - stretches.back().bottom() <= lineHeight)
            stretches.back() = stretches.back().united(r);
        else
            stretches.push_back(r);
    }
    if (stretches.size() < 2) {
        QTextEdit::paintEvent(event);
        return;
    }
    for (const QRect& r : stretches) {
        QPaintEvent part(region.intersected(r));
        QTextEdit::paintEvent(&part);
    }
}

}  // namespace ui
