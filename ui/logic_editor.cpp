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

// The looks the characters of an editor line have now: the document's formats with the
// colouring of the line's layout over them. Text that never had a colour of its own is plain
// black.
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
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        const int to = std::min(range.start + range.length, static_cast<int>(looks.size()));
        for (int i = std::max(0, range.start); i < to; ++i) {
            CharLook& look = looks[static_cast<size_t>(i)];
            if (range.format.hasProperty(QTextFormat::ForegroundBrush))
                look.colour = range.format.foreground().color().rgb();
            if (range.format.hasProperty(QTextFormat::FontUnderline) ||
                range.format.hasProperty(QTextFormat::FontWeight))
                look.marked = range.format.fontUnderline() || range.format.fontWeight() > QFont::Normal;
        }
    }
    return looks;
}

// The colouring of a line: every character covered, so that the document's own formats (a
// format set through the QPlainTextEdit functions) never show through.
QList<QTextLayout::FormatRange> LineFormats(const std::vector<CharLook>& looks, LookFormats& formats) {
    QList<QTextLayout::FormatRange> ranges;
    for (size_t i = 0; i < looks.size();) {
        size_t j = i + 1;
        while (j < looks.size() && looks[j] == looks[i]) ++j;
        ranges.append({static_cast<int>(i), static_cast<int>(j - i), formats.Of(looks[i])});
        i = j;
    }
    return ranges;
}

void KeepGlyphs(QTextBlock from, const QTextBlock& to) {
    for (; from.isValid(); from = from.next()) {
        from.layout()->setCacheEnabled(true);
        if (from == to) break;
    }
}

}  // namespace

LogicEditor::LogicEditor(QWidget* parent) : QPlainTextEdit(parent) {
    // Any change to the document that this class did not make may have changed the text or
    // the looks: what it remembers is forgotten, and the colours of the edited line follow its
    // text. The lines touched keep their glyphs.
    connect(document(), &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        if (!ownEdit_) {
            Forget();
            FollowEdit(position, removed, added);
        }
        blockCount_ = document()->blockCount();
        if (blockCount_ <= kCachedLineLimit)
            KeepGlyphs(document()->findBlock(position), document()->findBlock(position + added));
    });
}

void LogicEditor::Forget() { shownKnown_ = readKnown_ = looksKnown_ = false; }

// Typing within one line keeps the colours before and after it, moved with the text; the typed
// characters are plain. An edit over several lines leaves those lines plain until the next
// refresh.
void LogicEditor::FollowEdit(int position, int removed, int added) {
    QTextDocument* document = this->document();
    const QTextBlock first = document->findBlock(position);
    if (!first.isValid()) return;
    const QTextBlock last = document->findBlock(position + added);
    const bool oneLine = document->blockCount() == blockCount_ && last == first;
    const int offset = position - first.position();
    QList<QTextLayout::FormatRange> kept;
    for (const QTextLayout::FormatRange& range : first.layout()->formats()) {
        const int end = range.start + range.length;
        if (range.start < offset)
            kept.append({range.start, std::min(end, offset) - range.start, range.format});
        const int from = std::max(range.start, offset + removed);
        if (oneLine && from < end) kept.append({from + added - removed, end - from, range.format});
    }
    first.layout()->setFormats(kept);
    if (oneLine) return;
    for (QTextBlock block = first.next(); block.isValid(); block = block.next()) {
        block.layout()->clearFormats();
        if (block == last) break;
    }
}

QTextCharFormat LogicEditor::ShownFormat(int line, int column) const {
    const QTextBlock block = document()->findBlockByNumber(line);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + column + 1);
    QTextCharFormat format = cursor.charFormat();
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length) format.merge(range.format);
    }
    return format;
}

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

// Only the lines whose look changes get new colours: after a TS change that is the few lines
// that read the changed TS or an M variable it moved.
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
        // The new colours go onto the lines' layouts. Each layout marks its line as changed, and
        // the editor lays out again, when next shown, the lines from the first changed to the
        // last; the plain-text layout only drops their line breaks, it does not lay them out now.
        const bool keepGlyphs = document->blockCount() <= kCachedLineLimit;
        LookFormats formats;
        for (ChangedLine& c : changed) {
            QTextLayout* layout = c.block.layout();
            layout->setFormats(LineFormats(c.looks, formats));
            if (keepGlyphs) layout->setCacheEnabled(true);
            looks_[static_cast<size_t>(c.line)] = std::move(c.looks);
        }
        document->markContentsDirty(changed.front().block.position(), 1);
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
        QPlainTextEdit::paintEvent(event);
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
        QPlainTextEdit::paintEvent(event);
        return;
    }
    for (const QRect& r : stretches) {
        QPaintEvent part(region.intersected(r));
        QPlainTextEdit::paintEvent(&part);
    }
}

}  // namespace ui
