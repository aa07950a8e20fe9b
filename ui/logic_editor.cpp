#include "ui/logic_editor.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <utility>

#include "ui/colours.h"
#include "ui/qt_text.h"
#include "interlock/workspace.h"

namespace ui {
namespace {

using CharLook = LogicEditor::CharLook;

// Lines whose shaped glyphs are kept between paints. Drawing a line without them shapes its
// text again every time; a text this long is no logic the program reads, and its glyphs are
// not kept.
constexpr int kCachedLineLimit = 2000;

// Changed lines up to this many are laid out again one by one, each repainting only itself.
constexpr size_t kLinesLaidOutAtOnce = 16;

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

// The colouring of a line of `length` characters: the stretches, and plain black between them,
// so that every character is covered and the document's own formats (a format set through the
// QPlainTextEdit functions) never show through.
QList<QTextLayout::FormatRange> LineFormats(const std::vector<LogicEditor::Stretch>& stretches, int length,
                                            LookFormats& formats) {
    QList<QTextLayout::FormatRange> ranges;
    int at = 0;
    for (const LogicEditor::Stretch& s : stretches) {
        if (s.column > at) ranges.append({at, s.column - at, formats.Of(PlainLook())});
        ranges.append({s.column, s.length, formats.Of(s.look)});
        at = s.column + s.length;
    }
    if (at < length || ranges.isEmpty())
        ranges.append({at, std::max(0, length - at), formats.Of(PlainLook())});
    return ranges;
}

// The editor's document layout. A line whose colours changed reports its whole length as
// removed and added again, which the plain-text layout takes for a change reaching into the
// next line: it would lay out again every line from there to the next changed one and repaint
// the whole view. Told that only one line's look changed, it lays out that line alone and
// repaints only it.
class LineLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    void LookChanged(QTextDocument& document, const QTextBlock& block) {
        oneLine_ = true;
        document.markContentsDirty(block.position(), 1);
        oneLine_ = false;
    }

protected:
    void documentChanged(int from, int removed, int added) override {
        if (oneLine_)
            QPlainTextDocumentLayout::documentChanged(from, 0, 1);
        else
            QPlainTextDocumentLayout::documentChanged(from, removed, added);
    }

private:
    bool oneLine_ = false;
};

void KeepGlyphs(QTextBlock from, const QTextBlock& to) {
    for (; from.isValid(); from = from.next()) {
        from.layout()->setCacheEnabled(true);
        if (from == to) break;
    }
}

}  // namespace

LogicEditor::LogicEditor(QWidget* parent) : QPlainTextEdit(parent) { Adopt(new QTextDocument(this)); }

LogicEditor::~LogicEditor() = default;

void LogicEditor::Adopt(QTextDocument* own) {
    own->setDocumentLayout(new LineLayout(own));
    setDocument(own);
    // Any change to the document that this class did not make may have changed the text or
    // the looks: what it remembers is forgotten, and the colours of the edited line follow its
    // text. The lines touched keep their glyphs.
    connect(own, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        if (!ownEdit_) {
            Forget();
            FollowEdit(position, removed, added);
        }
        blockCount_ = document()->blockCount();
        if (blockCount_ <= kCachedLineLimit)
            KeepGlyphs(document()->findBlock(position), document()->findBlock(position + added));
    });
}

void LogicEditor::Forget() {
    shownKnown_ = readKnown_ = wantedKnown_ = false;
    wanted_.clear();
    stale_.clear();
    staleCount_ = 0;
}

void LogicEditor::AllPlain() {
    const size_t count = static_cast<size_t>(document()->blockCount());
    wanted_.assign(count, {});
    stale_.assign(count, 0);
    staleCount_ = 0;
    wantedKnown_ = true;
}

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
    const auto n = static_cast<size_t>(line);
    if (wantedKnown_ && n < stale_.size() && stale_[n]) {  // not put on the line yet
        CharLook look = PlainLook();
        for (const Stretch& s : wanted_[n]) {
            if (column >= s.column && column < s.column + s.length) look = s.look;
        }
        format.merge(LookFormat(look));
        return format;
    }
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

namespace {

// A line the document gives back as it was shown: its bytes survive the conversion both ways,
// and it holds no character the document breaks lines at or reads back as another (control
// characters but the tab, the no-break space).
bool ReadsBackAsShown(const std::string& line) {
    for (const char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t') || b == 0xA0) return false;
    }
    return RoundTrips(line);
}

}  // namespace

void LogicEditor::StartLines(const std::vector<std::string>& lines) {
    if (next_ && !next_->shownAlready && next_->lines == lines) return;  // on its way: it goes on
    built_.reset();
    next_ = std::make_unique<NextText>();
    if (shownKnown_ && shown_ == lines) {
        next_->shownAlready = true;
        return;
    }
    size_t length = 0;
    for (const std::string& line : lines) length += line.size() + 1;
    QString& text = next_->text;
    text.reserve(static_cast<qsizetype>(length));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\n';
        AppendToQString(text, lines[i]);
        next_->readsBack = next_->readsBack && ReadsBackAsShown(lines[i]);
    }
    next_->lines = lines;
    // Lines that read back as shown are the text one to one: other lines than those shown are
    // another text, without reading the document.
    next_->changed = shownKnown_ && shownReadsBack_ && next_->readsBack ? true : toPlainText() != text;
}

bool LogicEditor::BuildLines(size_t characters) {
    if (!next_) return true;
    NextText& next = *next_;
    if (!next.changed || next.shownAlready) return true;
    if (!built_) {
        // A document of its own, set up as the present one, takes the text with the format
        // that the editor gives a text put into it.
        QTextDocument* present = document();
        built_ = std::make_unique<QTextDocument>();
        built_->setDefaultFont(present->defaultFont());
        built_->setDefaultTextOption(present->defaultTextOption());
        built_->setDocumentMargin(present->documentMargin());
        built_->setIndentWidth(present->indentWidth());
        built_->setUseDesignMetrics(present->useDesignMetrics());
        built_->setMaximumBlockCount(present->maximumBlockCount());
        built_->setDefaultCursorMoveStyle(present->defaultCursorMoveStyle());
        built_->setUndoRedoEnabled(false);
        next.format = currentCharFormat();
    }
    const auto total = static_cast<size_t>(next.text.size());
    size_t end = std::min(total, next.at + characters);
    // A CR before a line break makes one break with it: the two go in together.
    if (end < total && next.text[static_cast<qsizetype>(end) - 1] == u'\r') ++end;
    QTextCursor cursor(built_.get());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(next.text.mid(static_cast<qsizetype>(next.at), static_cast<qsizetype>(end - next.at)),
                      next.format);
    next.at = end;
    return next.at == total;
}

void LogicEditor::ShowBuilt() {
    while (!BuildLines(size_t{1} << 22)) {
    }
    if (!next_) return;
    std::unique_ptr<NextText> next = std::move(next_);
    if (next->shownAlready) return;
    if (built_) {
        // The built document takes the present one's place, as a text set anew replaces it.
        ownEdit_ = true;
        std::unique_ptr<QTextDocument> old(document());
        old->disconnect(this);
        built_->setUndoRedoEnabled(true);
        built_->setModified(false);
        built_->setParent(this);
        Adopt(built_.release());
        blockCount_ = document()->blockCount();
        ownEdit_ = false;
        readKnown_ = false;
        AllPlain();  // a new text has no colours
    }
    shown_ = std::move(next->lines);
    shownKnown_ = true;
    shownReadsBack_ = next->readsBack;
    if (next->readsBack) {
        // The text read back is the lines shown, but for a last empty line: the document ends
        // with the line break before it, and a final line break starts no line.
        read_ = shown_;
        if (!read_.empty() && read_.back().empty()) read_.pop_back();
        readKnown_ = true;
    }
}

void LogicEditor::ShowLines(const std::vector<std::string>& lines) {
    StartLines(lines);
    if (next_->shownAlready) {
        next_.reset();
        return;
    }
    if (next_->changed) {
        ownEdit_ = true;
        setPlainText(next_->text);
        ownEdit_ = false;
        readKnown_ = false;
        AllPlain();  // a new text has no colours
        next_->changed = false;
    }
    ShowBuilt();
}

// Only the lines whose look changes get new colours: after a TS change that is the few lines
// that read the changed TS or an M variable it moved. A long text gets them on the lines in
// view at once, and on the others when they come into view: a logic of many megabytes is not
// coloured line by line while the operator waits.
void LogicEditor::Recolour(const std::vector<ColourRun>& runs) {
    QTextDocument* document = this->document();
    const CharLook plain = PlainLook();
    if (!wantedKnown_ || wanted_.size() != static_cast<size_t>(document->blockCount())) {
        // Someone else changed the document: whatever the lines show, they get their colours.
        AllPlain();
        std::fill(stale_.begin(), stale_.end(), 1);
        staleCount_ = stale_.size();
    }

    size_t next = 0;
    size_t line = 0;
    std::vector<CharLook> looks;
    std::vector<Stretch> stretches;
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next(), ++line) {
        const int length = std::max(0, block.length() - 1);
        stretches.clear();
        while (next < runs.size() && runs[next].line < static_cast<int>(line)) ++next;
        if (next < runs.size() && runs[next].line == static_cast<int>(line)) {
            looks.assign(static_cast<size_t>(length), plain);
            for (; next < runs.size() && runs[next].line == static_cast<int>(line); ++next) {
                const ColourRun& run = runs[next];
                const CharLook look{ToQColor(run.colour).rgb(), run.boldUnderline};
                const int to = std::min(length, run.column + run.length);
                for (int i = std::max(0, run.column); i < to; ++i) looks[static_cast<size_t>(i)] = look;
            }
            for (size_t i = 0; i < looks.size();) {
                size_t j = i + 1;
                while (j < looks.size() && looks[j] == looks[i]) ++j;
                if (!(looks[i] == plain))
                    stretches.push_back({static_cast<int>(i), static_cast<int>(j - i), looks[i]});
                i = j;
            }
        }
        if (stretches != wanted_[line]) {
            wanted_[line].swap(stretches);
            if (!stale_[line]) ++staleCount_;
            stale_[line] = 1;
        }
    }

    ownEdit_ = true;
    // The caret goes to the end of the text, scrolled into view. A caret put there anew while
    // it is there and in view already stays where it is, but the scroll bars and the caret's
    // line are repainted, so it is left alone.
    // Whether the end is in view is told from the line numbers: asking the caret's rectangle
    // would lay out the last line again after every change of its colours.
    const QTextCursor current = textCursor();
    const int lineHeight = std::max(1, QFontMetrics(font()).lineSpacing());
    const int linesInView = viewport()->height() / lineHeight;
    const bool endInView =
        document->blockCount() - 1 - firstVisibleBlock().blockNumber() < std::max(1, linesInView);
    if (current.hasSelection() || !current.atEnd() || !endInView) {
        QTextCursor caret(document);
        caret.movePosition(QTextCursor::End);
        setTextCursor(caret);
    }
    if (document->blockCount() <= kCachedLineLimit)
        PutColours(document->firstBlock(), document->blockCount());
    else
        PutColoursInView();
    mergeCurrentCharFormat(LookFormat(plain));
    ownEdit_ = false;
}

// The colours go onto the lines' layouts. A few changed lines (what a TS change recolours) are
// each laid out again at once and only they are repainted; many are told to the document as one
// stretch, laid out again when next shown, with the whole view repainted.
void LogicEditor::PutColours(QTextBlock block, int lines) {
    if (staleCount_ == 0) return;
    QTextDocument* document = this->document();
    const bool keepGlyphs = document->blockCount() <= kCachedLineLimit;
    auto* lineLayout = dynamic_cast<LineLayout*>(document->documentLayout());
    const bool lineByLine = lineLayout && staleCount_ <= kLinesLaidOutAtOnce;
    const bool own = ownEdit_;
    ownEdit_ = true;
    LookFormats formats;
    int first = -1;
    for (int k = 0; k < lines && block.isValid(); ++k, block = block.next()) {
        const auto n = static_cast<size_t>(block.blockNumber());
        if (n >= stale_.size() || !stale_[n]) continue;
        QTextLayout* layout = block.layout();
        layout->setFormats(LineFormats(wanted_[n], std::max(0, block.length() - 1), formats));
        if (keepGlyphs) layout->setCacheEnabled(true);
        stale_[n] = 0;
        --staleCount_;
        if (lineByLine)
            lineLayout->LookChanged(*document, block);
        else if (first < 0)
            first = block.position();
    }
    if (first >= 0) document->markContentsDirty(first, 1);
    ownEdit_ = own;
}

void LogicEditor::PutColoursInView() {
    const int lineHeight = std::max(1, QFontMetrics(font()).lineSpacing());
    PutColours(firstVisibleBlock(), viewport()->height() / lineHeight + 2);
}

// A repaint of lines far apart (the few lines a TS change recolours) draws each stretch of
// lines on its own instead of every line between the first and the last. The editor draws a
// stretch clipped to it, so each pixel is drawn as before.
void LogicEditor::paintEvent(QPaintEvent* event) {
    if (wantedKnown_ && staleCount_ > 0) PutColoursInView();
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
