#pragma once

// LogicEditor: the editor of the logic on view (the main window's Logic). A QPlainTextEdit that
// remembers what it shows: the lines it was last given, the lines it last read back and the
// look of every character, for as long as nobody else has changed its document (the operator's
// typing, a paste, an undo or anyone calling the QPlainTextEdit functions directly forgets them).
// A refresh that changes neither the text nor the colour of a line then does no work on the
// document, and a repaint draws only the lines that changed. The editor watches the document it
// holds: its own, and each one it built aside for a text of megabytes (StartLines).
//
// A plain-text editor lays out and draws only the lines in view, so a logic of many megabytes
// costs no more to scroll, colour or paint than a short one. The colours lie on the lines' layouts, over the
// document's own character formats, not in the document: colouring is a display of values, never an edit, so
// it neither adds undo steps nor clears the operator's undo history. Typing moves the colours of its line
// with the text.

#include <QTextBlock>
#include <QTextCharFormat>
#include <QPlainTextEdit>
#include <memory>
#include <string>
#include <vector>

#include "ui/model/highlight.h"

namespace ui {

class LogicEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LogicEditor(QWidget* parent = nullptr);
    ~LogicEditor() override;

    // The text as the workspace holds it: Windows-1251 lines.
    const std::vector<std::string>& Lines();

    // Shows `lines` (one block each), unless the editor shows them already. A new text is
    // black and regular.
    void ShowLines(const std::vector<std::string>& lines);

    // ShowLines in parts, for a text of megabytes, each a short pass of the event loop:
    // StartLines(lines) takes the lines, every BuildLines(characters) puts about that many
    // characters into a document aside and tells whether it holds them all (StartLines with
    // the same lines again leaves that document as far as it is), and ShowBuilt
    // (which builds what is left) puts that document in place of the shown one. The editor then
    // is what ShowLines(lines) leaves; until ShowBuilt it shows what it showed.
    void StartLines(const std::vector<std::string>& lines);
    bool BuildLines(size_t characters);
    void ShowBuilt();

    // Puts a colouring on the text: the runs over a black, regular text, sorted by position.
    // Only the lines whose look differs from what they show are touched; the result is the same
    // as colouring the whole text afresh. The caret ends at the end of the text (scrolled into
    // view) and new typing is black and regular.
    void Recolour(const std::vector<ColourRun>& runs);

    // The look of one character: its colour (as QRgb) and whether it is bold and underlined.
    struct CharLook {
        unsigned colour = 0;
        bool marked = false;
        bool operator==(const CharLook&) const = default;
    };

    // A stretch of one line in one look other than plain black.
    struct Stretch {
        int column = 0;
        int length = 0;
        CharLook look;
        bool operator==(const Stretch&) const = default;
    };

    // The format the character at (line, column) is drawn with: the document's character format
    // with the colouring over it.
    QTextCharFormat ShownFormat(int line, int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Adopt(QTextDocument* own);
    void Forget();
    void FollowEdit(int position, int removed, int added);
    void AllPlain();
    void PutColours(QTextBlock block, int lines);
    void PutColoursInView();
    void PaintColours(const QRegion& region);

    bool ownEdit_ = false;         // the document is being changed by this class
    bool shownKnown_ = false;      // shown_ is the document's text
    bool shownReadsBack_ = false;  // every line of shown_ reads back as it is
    bool readKnown_ = false;       // read_ is the document's text read back
    bool wantedKnown_ = false;     // wanted_ is the colouring of the document's lines
    int blockCount_ = 1;           // the document's lines after the last change seen
    std::vector<std::string> shown_;
    std::vector<std::string> read_;
    std::vector<std::vector<Stretch>> wanted_;  // by line: the colouring asked for
    std::vector<char> stale_;                   // by line: the line does not show it yet
    size_t staleCount_ = 0;
    unsigned glyphGeneration_ = 0;  // counts the font changes: the glyphs kept for painting are of one font

    // A text on its way in (StartLines .. ShowBuilt).
    struct NextText {
        std::vector<std::string> lines;
        QString text;  // the lines as the document holds them
        bool shownAlready = false;
        bool changed = false;   // the document holds another text
        bool readsBack = true;  // the document gives back the lines as they are
        size_t at = 0;          // the characters of text built so far
        QTextCharFormat format;
    };
    std::unique_ptr<NextText> next_;
    std::unique_ptr<QTextDocument> built_;
};

}  // namespace ui
