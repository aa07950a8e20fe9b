#include "ui/widgets/logic_editor.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
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

#include "ui/widgets/colours.h"
#include "ui/widgets/qt_text.h"
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

// A stretch whose colour is painted apart from the text: one in a colour other than black,
// neither bold nor underlined (bold glyphs are laid out anew anyway, and an underline is drawn
// with the text).
bool Painted(const CharLook& look) { return !look.marked && look.colour != PlainLook().colour; }

// What a line's layout holds of a colouring: where the stretches are, and the looks of those
// it draws itself. A painted stretch is laid out with a transparent pen and its colour painted
// from the line's LineLook, so that a change of those colours alone lays out nothing again.
LogicEditor::Stretch ShapeOf(const LogicEditor::Stretch& s) {
    LogicEditor::Stretch shape = s;
    if (Painted(s.look)) shape.look.colour = 0;  // transparent
    return shape;
}

std::vector<LogicEditor::Stretch> ShapeOf(const std::vector<LogicEditor::Stretch>& stretches) {
    std::vector<LogicEditor::Stretch> shape;
    shape.reserve(stretches.size());
    for (const LogicEditor::Stretch& s : stretches) shape.push_back(ShapeOf(s));
    return shape;
}

QTextCharFormat ShapeFormat(const CharLook& shape) {
    QTextCharFormat format = LookFormat(shape);
    if (shape.colour == 0 && !shape.marked) format.setForeground(QColor(Qt::transparent));
    return format;
}

// The colouring a line shows, kept on its block so that it moves with the line when lines are
// added or removed above it: the shape its layout holds, and the stretches with their colours.
struct LineLook : QTextBlockUserData {
    std::vector<LogicEditor::Stretch> shape;
    std::vector<LogicEditor::Stretch> shown;

    // The glyphs of the painted stretches, by stretch, as last laid out: kept while the line's
    // text, shape, extent and the editor's font stay as they were.
    std::vector<QList<QGlyphRun>> glyphs;
    int revision = -1;
    QRectF extent;
    unsigned generation = 0;
};

LineLook* LookOf(const QTextBlock& block) { return dynamic_cast<LineLook*>(block.userData()); }

LineLook& MakeLookOf(QTextBlock block) {
    LineLook* look = LookOf(block);
    if (!look) {
        look = new LineLook;
        block.setUserData(look);
    }
    return *look;
}

// The stretches of `stretches` cut at `offset`: what lies before it, and what lies from
// `offset + removed` on, moved by `added - removed` (dropped when `keepAfter` is false).
std::vector<LogicEditor::Stretch> Follow(const std::vector<LogicEditor::Stretch>& stretches, int offset,
                                         int removed, int added, bool keepAfter) {
    std::vector<LogicEditor::Stretch> kept;
    for (const LogicEditor::Stretch& s : stretches) {
        const int end = s.column + s.length;
        if (s.column < offset) kept.push_back({s.column, std::min(end, offset) - s.column, s.look});
        const int from = std::max(s.column, offset + removed);
        if (keepAfter && from < end) kept.push_back({from + added - removed, end - from, s.look});
    }
    return kept;
}

// The formats of the few shapes a colouring has.
class LookFormats {
public:
    const QTextCharFormat& Of(const CharLook& look) {
        for (const auto& [known, format] : known_) {
            if (known == look) return format;
        }
        known_.emplace_back(look, ShapeFormat(look));
        return known_.back().second;
    }

private:
    std::vector<std::pair<CharLook, QTextCharFormat>> known_;
};

// The colouring of a line of `length` characters: the stretches, and plain black between them,
// so that every character is covered and the document's own formats (a format set through the
// QPlainTextEdit functions) never show through.
QList<QTextLayout::FormatRange> LineFormats(const std::vector<LogicEditor::Stretch>& shape, int length,
                                            LookFormats& formats) {
    QList<QTextLayout::FormatRange> ranges;
    int at = 0;
    for (const LogicEditor::Stretch& s : shape) {
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
    if (LineLook* look = LookOf(first)) {
        look->shape = Follow(look->shape, offset, removed, added, oneLine);
        look->shown = Follow(look->shown, offset, removed, added, oneLine);
        look->glyphs.clear();
    }
    if (oneLine) return;
    for (QTextBlock block = first.next(); block.isValid(); block = block.next()) {
        block.layout()->clearFormats();
        if (LineLook* look = LookOf(block)) *look = {};
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
    if (const LineLook* look = LookOf(block)) {
        for (const Stretch& s : look->shown) {
            if (Painted(s.look) && column >= s.column && column < s.column + s.length)
                format.setForeground(QColor::fromRgb(s.look.colour));
        }
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
        stale_[n] = 0;
        --staleCount_;
        LineLook& look = MakeLookOf(block);
        look.shown = wanted_[n];
        std::vector<Stretch> shape = ShapeOf(look.shown);
        if (shape == look.shape) {  // the colours alone: the line is painted again
            emit document->documentLayout()->updateBlock(block);
            continue;
        }
        look.shape.swap(shape);
        look.glyphs.clear();
        QTextLayout* layout = block.layout();
        layout->setFormats(LineFormats(look.shape, std::max(0, block.length() - 1), formats));
        if (keepGlyphs) layout->setCacheEnabled(true);
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
    PaintColours(region);
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

namespace ui {

void LogicEditor::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) ++glyphGeneration_;
    QPlainTextEdit::changeEvent(event);
}

// The coloured stretches of the lines in `region`, painted before the editor draws its text over
// them: the editor draws these stretches with a transparent pen, a selection over them (in the
// selection's colours) and the caret on top, as it would over text it coloured itself.
void LogicEditor::PaintColours(const QRegion& region) {
    const QRect area = region.boundingRect();
    QPainter painter(viewport());
    painter.setClipRegion(region);
    const QTextCursor cursor = textCursor();
    const int selectionStart = cursor.hasSelection() ? cursor.selectionStart() : -1;
    const int selectionEnd = cursor.hasSelection() ? cursor.selectionEnd() : -2;
    QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF r = blockBoundingRect(block).translated(offset);
        if (r.top() > area.bottom()) break;
        LineLook* look = LookOf(block);
        if (block.isVisible() && look && r.bottom() >= area.top()) {
            const QTextLayout* layout = block.layout();
            const int at = block.position();
            const bool selected = selectionStart < at + block.length() && selectionEnd > at;
            if (!selected &&
                (look->revision != block.revision() || look->extent != r.translated(-offset) ||
                 look->generation != glyphGeneration_ || look->glyphs.size() != look->shown.size())) {
                look->glyphs.clear();
                for (const Stretch& s : look->shown)
                    look->glyphs.push_back(Painted(s.look) ? layout->glyphRuns(s.column, s.length)
                                                           : QList<QGlyphRun>());
                look->revision = block.revision();
                look->extent = r.translated(-offset);
                look->generation = glyphGeneration_;
            }
            for (size_t i = 0; i < look->shown.size(); ++i) {
                const Stretch& s = look->shown[i];
                if (!Painted(s.look)) continue;
                painter.setPen(QColor::fromRgb(s.look.colour));
                if (!selected) {
                    for (const QGlyphRun& run : look->glyphs[i]) painter.drawGlyphRun(offset, run);
                    continue;
                }
                // The part of a stretch under the selection is the selection's to draw.
                const int from = at + s.column;
                const int to = from + s.length;
                const int cutFrom = std::clamp(selectionStart, from, to);
                const int cutTo = std::clamp(selectionEnd, from, to);
                for (auto [a, b] : {std::pair{from, cutFrom}, std::pair{cutTo, to}}) {
                    if (a >= b) continue;
                    for (const QGlyphRun& run : layout->glyphRuns(a - at, b - a))
                        painter.drawGlyphRun(offset, run);
                }
            }
        }
        offset.ry() += r.height();
    }
}

}  // namespace ui
