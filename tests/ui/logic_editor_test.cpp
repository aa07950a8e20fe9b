// LogicEditor, the editor of the logic on view: what it remembers between refreshes must never
// hide a change made by someone else (typing, a paste, an undo, a direct call of the QPlainTextEdit
// functions), and the work it skips must leave the same text, looks, caret and pixels as doing
// all of it.

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>
#include <QtTest>

#include <functional>
#include <string>
#include <vector>

#include "ui/widgets/colours.h"
#include "interlock/workspace.h"
#include "ui/widgets/logic_editor.h"
#include "ui/widgets/qt_text.h"

namespace {

using ui::ColourRun;
using ui::LogicEditor;
constexpr interlock::Colour kGreen = interlock::colour::kGreen;
constexpr interlock::Colour kRed = interlock::colour::kRed;
constexpr interlock::Colour kGrey = interlock::colour::kGrey;
constexpr interlock::Colour kBlack = interlock::colour::kBlack;

const std::vector<std::string> kLines{"M1=AND(S1,~S2,S3)", "M2=OR(S4,M1)", "V1=AND(M1,M2,S5)", "M3=AND(S6)"};

// Operands of every line in one colour each, from `colours` (one letter a line: G, R or Y).
std::vector<ColourRun> Runs(const char* colours) {
    std::vector<ColourRun> runs;
    auto colourOf = [](char c) { return c == 'G' ? kGreen : c == 'R' ? kRed : kGrey; };
    for (int line = 0; line < 4 && colours[line]; ++line) {
        const interlock::Colour c = colourOf(colours[line]);
        runs.push_back({line, 0, 2, c, c == kGrey});
        runs.push_back({line, 7, 2, c, c == kGrey});
    }
    return runs;
}

// One code per character: '.' black, 'G' green, 'R' red, 'Y' grey bold underlined, '?' other.
QString Code(const QTextCharFormat& f) {
    const QColor c = f.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : f.foreground().color();
    const bool marked = f.fontWeight() == QFont::Bold && f.fontUnderline();
    const bool plain = f.fontWeight() == QFont::Normal && !f.fontUnderline();
    if (plain && c == ui::ToQColor(kBlack)) return ".";
    if (plain && c == ui::ToQColor(kGreen)) return "G";
    if (plain && c == ui::ToQColor(kRed)) return "R";
    if (marked && c == ui::ToQColor(kGrey)) return "Y";
    return "?";
}

QStringList Codes(const LogicEditor& editor) {
    QStringList lines;
    for (QTextBlock block = editor.document()->firstBlock(); block.isValid(); block = block.next()) {
        QString codes;
        for (int i = 0; i < block.length() - 1; ++i)
            codes += Code(editor.ShownFormat(block.blockNumber(), i));
        lines << codes;
    }
    return lines;
}

// What colouring the editor's present text afresh with `runs` gives.
QStringList Fresh(const QPlainTextEdit& editor, const std::vector<ColourRun>& runs) {
    QStringList lines;
    for (QTextBlock block = editor.document()->firstBlock(); block.isValid(); block = block.next()) {
        QString codes(block.length() - 1, '.');
        for (const ColourRun& r : runs) {
            if (r.line != block.blockNumber()) continue;
            const QString code = r.colour == kGreen ? "G" : r.colour == kRed ? "R" : "Y";
            for (int i = r.column; i < r.column + r.length && i < codes.size(); ++i) codes[i] = code[0];
        }
        lines << codes;
    }
    return lines;
}

void TypeAt(QPlainTextEdit& editor, int position, const QString& text) {
    QTextCursor cursor(editor.document());
    cursor.setPosition(position);
    cursor.insertText(text);
}

}  // namespace

class LogicEditorTest : public QObject {
    Q_OBJECT

private slots:
    void recolourMatchesAFreshColouring();
    void recolourTouchesOnlyTheLinesThatChange();
    void linesFollowEveryEdit();
    void everyByteShownIsReadBackAsTheDocumentGivesIt();
    void textBuiltAsideEqualsTextShownAtOnce();
    void showLinesPutsBackAnEditedText();
    void caretEndsAtTheEndInView();
    void repaintMatchesAFreshPaint();
    void colouringKeepsTheUndoHistory();
    void typingMovesTheColoursOfItsLine();
    void longTextIsColouredAsItComesIntoView();
    void paintsWhatTextFormattedInItsColoursShows();
    void linesShownAreTheLinesReadBack();
};

// Whatever happened to the document between two refreshes, the second colouring leaves the
// looks that colouring the text afresh gives.
void LogicEditorTest::recolourMatchesAFreshColouring() {
    struct Row {
        const char* name;
        std::function<void(LogicEditor&)> between;
        const char* second;
    };
    const Row rows[] = {
        {"nothing, one line changes", [](LogicEditor&) {}, "GGRG"},
        {"nothing, nothing changes", [](LogicEditor&) {}, "GGGG"},
        {"text set again directly, looks gone", [](LogicEditor& e) { e.setPlainText(e.toPlainText()); },
         "GGGG"},
        {"a stretch recoloured directly",
         [](LogicEditor& e) {
             QTextCursor c(e.document()->findBlockByNumber(2));
             c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
             QTextCharFormat blue;
             blue.setForeground(Qt::blue);
             c.setCharFormat(blue);
         },
         "GGGG"},
        {"typing in a line", [](LogicEditor& e) { TypeAt(e, 0, "X"); }, "GRGG"},
        {"typing, then undo",
         [](LogicEditor& e) {
             TypeAt(e, 3, "Y");
             e.undo();
         },
         "GGGR"},
        {"a line removed",
         [](LogicEditor& e) {
             QTextCursor c(e.document()->findBlockByNumber(1));
             c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
             c.removeSelectedText();
         },
         "RRR"},
        {"grey bold on a line", [](LogicEditor&) {}, "GYGG"},
    };
    for (const Row& row : rows) {
        LogicEditor editor;
        editor.ShowLines(kLines);
        editor.Recolour(Runs("GGGG"));
        QCOMPARE(Codes(editor), Fresh(editor, Runs("GGGG")));
        row.between(editor);
        editor.Recolour(Runs(row.second));
        QVERIFY2(Codes(editor) == Fresh(editor, Runs(row.second)), row.name);
        // Typing after a refresh is plain.
        QVERIFY2(Code(editor.currentCharFormat()) == ".", row.name);
    }
}

// A refresh touches nothing when no look changes, and never edits the document (no undo step).
void LogicEditorTest::recolourTouchesOnlyTheLinesThatChange() {
    LogicEditor editor;
    editor.resize(300, 200);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.ShowLines(kLines);
    editor.Recolour(Runs("GGGG"));
    QCoreApplication::processEvents();
    QSignalSpy edits(editor.document(), &QTextDocument::contentsChange);
    QSignalSpy layouts(editor.document()->documentLayout(), &QAbstractTextDocumentLayout::update);
    QSignalSpy lines(editor.document()->documentLayout(), &QAbstractTextDocumentLayout::updateBlock);
    editor.Recolour(Runs("GGGG"));
    QCOMPARE(layouts.count() + lines.count(), 0);

    editor.Recolour(Runs("GGRG"));
    QVERIFY(layouts.count() + lines.count() > 0);
    QCOMPARE(edits.count(), 0);
    QCOMPARE(editor.document()->availableUndoSteps(), 0);
}

// The lines read back always follow the document, whoever changed it.
void LogicEditorTest::linesFollowEveryEdit() {
    struct Row {
        const char* name;
        std::function<void(LogicEditor&)> edit;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"no edit", [](LogicEditor&) {}, {"V1=AND(S1)", "M1=OR(S2)"}},
        {"typing at the end", [](LogicEditor& e) { TypeAt(e, 20, "3"); }, {"V1=AND(S1)", "M1=OR(S2)3"}},
        {"a line break typed", [](LogicEditor& e) { TypeAt(e, 3, "\n"); }, {"V1=", "AND(S1)", "M1=OR(S2)"}},
        {"typing undone",
         [](LogicEditor& e) {
             TypeAt(e, 0, "Z");
             e.undo();
         },
         {"V1=AND(S1)", "M1=OR(S2)"}},
        {"text set directly", [](LogicEditor& e) { e.setPlainText("M5=AND(S9)"); }, {"M5=AND(S9)"}},
        {"cleared", [](LogicEditor& e) { e.clear(); }, {}},
        {"Cyrillic pasted",
         [](LogicEditor& e) { e.insertPlainText(QStringLiteral("Щ")); },
         {"V1=AND(S1)", "M1=OR(S2)\xD9"}},
    };
    for (const Row& row : rows) {
        LogicEditor editor;
        editor.ShowLines({"V1=AND(S1)", "M1=OR(S2)"});
        editor.Recolour(Runs("GR"));
        QCOMPARE(editor.Lines(), (std::vector<std::string>{"V1=AND(S1)", "M1=OR(S2)"}));
        editor.moveCursor(QTextCursor::End);
        row.edit(editor);
        QVERIFY2(editor.Lines() == row.expected, row.name);
        editor.Recolour({});
        QVERIFY2(editor.Lines() == row.expected, row.name);
    }
}

// The lines the editor hands back right after showing them, without reading its document, are
// the lines its document gives: for every byte, and for empty lines at either end.
void LogicEditorTest::everyByteShownIsReadBackAsTheDocumentGivesIt() {
    auto readBack = [](LogicEditor& e) {
        return interlock::SplitEditorText(ui::FromQString(e.toPlainText()));
    };
    std::vector<std::vector<std::string>> texts = {
        {}, {""}, {"", ""}, {"V1=AND(S1)", ""}, {"V1=AND(S1)", "", ""}, {"", "V1=AND(S1)"}, {"a", "", "b"},
    };
    for (int b = 0; b < 256; ++b) {
        const std::string c(1, static_cast<char>(b));
        texts.push_back({"M1=AND(S" + c + "2)", "V1=OR(M1)"});
        texts.push_back({"V1=AND(S1)", c});
    }
    for (const auto& lines : texts) {
        LogicEditor editor;
        editor.ShowLines({"V9=AND(S9)"});  // the text before: read back already
        QCOMPARE(editor.Lines(), readBack(editor));
        editor.ShowLines(lines);
        const std::vector<std::string> handed = editor.Lines();
        QVERIFY2(handed == readBack(editor), (lines.empty() ? std::string("-") : lines[0]).c_str());
        editor.ShowLines(lines);  // shown again: nothing changes
        QVERIFY(editor.Lines() == handed);
    }
}

namespace {

// Everything of the editor a text put into it decides: text, lines, character and line formats,
// looks, undo state, caret and scroll bars.
QString State(LogicEditor& e) {
    QString out;
    QTextStream s(&out);
    QTextDocument* d = e.document();
    s << d->toPlainText() << "|" << d->blockCount() << "|" << d->isUndoAvailable() << d->isRedoAvailable()
      << d->isModified() << "|" << e.textCursor().position() << "," << e.textCursor().anchor() << "|"
      << e.verticalScrollBar()->value() << "," << e.horizontalScrollBar()->value() << "|"
      << d->defaultFont().toString() << "|" << int(d->defaultTextOption().wrapMode()) << "\n";
    for (const std::string& line : e.Lines()) s << QString::fromLatin1(line.c_str()) << "/";
    for (QTextBlock b = d->firstBlock(); b.isValid(); b = b.next()) {
        s << "\n" << b.charFormat().properties().size() << ":" << b.charFormat().foreground().color().name();
        QTextCursor c(b);
        for (int i = 0; i < b.length() - 1; ++i) {
            c.setPosition(b.position() + i + 1);
            const QTextCharFormat f = c.charFormat();
            s << " " << f.foreground().color().name() << f.fontWeight() << f.fontUnderline()
              << f.properties().size();
        }
        s << " " << Codes(e).value(b.blockNumber());
    }
    s.flush();
    return out;
}

}  // namespace

// A text built aside a part at a time and then shown leaves the editor as showing it at once
// does: after the colouring, after typing, and after undoing the typing; also when the text
// was shown already or has not changed, and when the editor had coloured typing in it before.
void LogicEditorTest::textBuiltAsideEqualsTextShownAtOnce() {
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back("M" + std::to_string(i % 16 + 1) + "=AND(S1,~S2,M3)" + std::string(i % 3, ' '));
    lines.push_back("");
    std::vector<ColourRun> runs;
    for (int line = 0; line < 40; line += 3)
        runs.push_back({line, 7, 2, line % 2 ? kRed : kGreen, line % 5 == 0});
    struct Row {
        const char* name;
        std::vector<std::string> before;  // shown first, coloured and typed into
        std::vector<std::string> after;
        size_t part;  // characters built per step
    };
    const std::vector<Row> rows = {
        {"a new text, small parts", kLines, lines, 7},
        {"a new text, one part", kLines, lines, 1 << 20},
        {"the same text again", lines, lines, 5},
        {"an empty text", kLines, {}, 3},
        {"onto an empty editor", {}, lines, 64},
        {"a CR before a line break, parts cut after it", kLines, {"V1=AND(S1)\r", "\r", "M1\rx", "\r"}, 11},
    };
    for (const Row& row : rows) {
        LogicEditor atOnce;
        LogicEditor aside;
        for (LogicEditor* e : {&atOnce, &aside}) {
            e->setLineWrapMode(QPlainTextEdit::NoWrap);
            e->setFont(QFont("Sans", 13));
            e->resize(260, 200);
            e->show();
            QVERIFY(QTest::qWaitForWindowExposed(e));
            e->ShowLines(row.before);
            e->Recolour(Runs("GRGY"));
            TypeAt(*e, 0, "x");
            e->Recolour(Runs("RRGY"));  // typing black and regular from here on
        }
        atOnce.ShowLines(row.after);
        aside.StartLines(row.after);
        int parts = 0;
        while (!aside.BuildLines(row.part)) ++parts;
        QVERIFY2(State(aside) != State(atOnce) || row.after == row.before || row.after.empty() || parts == 0,
                 "the editor showed the new text before ShowBuilt");
        aside.ShowBuilt();
        QCOMPARE(State(aside), State(atOnce));
        for (LogicEditor* e : {&atOnce, &aside}) e->Recolour(runs);
        QCOMPARE(State(aside), State(atOnce));
        QCoreApplication::processEvents();
        QCOMPARE(aside.viewport()->grab().toImage(), atOnce.viewport()->grab().toImage());
        for (LogicEditor* e : {&atOnce, &aside}) {
            QTest::keyClicks(e, "ab");
            e->Recolour(runs);
        }
        QCOMPARE(State(aside), State(atOnce));
        for (LogicEditor* e : {&atOnce, &aside}) e->undo();
        QCOMPARE(State(aside), State(atOnce));
    }
}

// The lines the workspace holds win over typing that was not taken into it.
void LogicEditorTest::showLinesPutsBackAnEditedText() {
    LogicEditor editor;
    editor.ShowLines(kLines);
    TypeAt(editor, 0, "typed ");
    editor.ShowLines(kLines);
    QCOMPARE(editor.toPlainText(),
             QStringLiteral("M1=AND(S1,~S2,S3)\nM2=OR(S4,M1)\nV1=AND(M1,M2,S5)\nM3=AND(S6)"));
    editor.ShowLines({"V2=AND(S7)"});
    QCOMPARE(editor.toPlainText(), QStringLiteral("V2=AND(S7)"));
    QCOMPARE(editor.Lines(), (std::vector<std::string>{"V2=AND(S7)"}));
}

// After a refresh the caret is at the end of the text, in view, without a selection, however
// the operator left it.
void LogicEditorTest::caretEndsAtTheEndInView() {
    struct Row {
        const char* name;
        std::function<void(LogicEditor&)> before;
    };
    const Row rows[] = {
        {"caret at the start", [](LogicEditor& e) { e.moveCursor(QTextCursor::Start); }},
        {"all selected", [](LogicEditor& e) { e.selectAll(); }},
        {"scrolled to the top, caret at the end",
         [](LogicEditor& e) {
             e.moveCursor(QTextCursor::End);
             e.verticalScrollBar()->setValue(0);
             e.horizontalScrollBar()->setValue(0);
         }},
        {"already at the end", [](LogicEditor& e) { e.moveCursor(QTextCursor::End); }},
    };
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back("M" + std::to_string(i % 16 + 1) + "=AND(S1,S2,S3,S4,S5,S6,S7,S8,S9,S10,S11)");
    for (const Row& row : rows) {
        LogicEditor editor;
        editor.setLineWrapMode(QPlainTextEdit::NoWrap);
        editor.resize(200, 150);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        editor.ShowLines(lines);
        editor.Recolour(Runs("GGGG"));
        row.before(editor);
        editor.Recolour(Runs("RGGG"));
        QVERIFY2(editor.textCursor().atEnd(), row.name);
        QVERIFY2(!editor.textCursor().hasSelection(), row.name);
        QVERIFY2(editor.viewport()->rect().contains(editor.cursorRect()), row.name);
    }
}

// Lines far apart recoloured in one refresh are repainted stretch by stretch; what reaches the
// screen is what painting the whole editor afresh gives.
void LogicEditorTest::repaintMatchesAFreshPaint() {
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i) lines.push_back("M" + std::to_string(i + 1) + "=AND(S1,~S2,M3)");
    auto runs = [](const std::vector<int>& red) {
        std::vector<ColourRun> r;
        for (int line = 0; line < 12; ++line) {
            const bool isRed = std::find(red.begin(), red.end(), line) != red.end();
            r.push_back({line, 7, 2, isRed ? kRed : kGreen, false});
            r.push_back({line, 10, 3, kGrey, true});
        }
        return r;
    };
    LogicEditor editor;
    editor.setFocusPolicy(Qt::NoFocus);  // no blinking caret in the pictures
    editor.setLineWrapMode(QPlainTextEdit::NoWrap);
    editor.resize(260, 300);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.ShowLines(lines);
    editor.Recolour(runs({}));
    QCoreApplication::processEvents();
    QScreen* screen = QGuiApplication::primaryScreen();
    for (const std::vector<int>& red :
         {std::vector<int>{1, 9}, std::vector<int>{2, 3, 10}, std::vector<int>{0, 11}, std::vector<int>{}}) {
        editor.Recolour(runs(red));
        QCoreApplication::processEvents();
        const QImage shown =
            screen->grabWindow(editor.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage fresh = editor.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), fresh.size());
        QVERIFY(shown == fresh);
    }
}

// Colouring is no edit: it adds no undo step, and the operator's typing stays undoable and
// redoable across any number of refreshes that leave the text as it is.
void LogicEditorTest::colouringKeepsTheUndoHistory() {
    struct Row {
        const char* name;
        std::function<void(LogicEditor&)> refresh;
    };
    const Row rows[] = {
        {"recoloured", [](LogicEditor& e) { e.Recolour(Runs("RRRR")); }},
        {"the same colours", [](LogicEditor& e) { e.Recolour(Runs("GGGG")); }},
        {"colours cleared", [](LogicEditor& e) { e.Recolour({}); }},
        {"error line marked",
         [](LogicEditor& e) {
             e.Recolour({{1, 0, 12, kBlack, true}});
         }},
        {"the same text shown again",
         [](LogicEditor& e) {
             e.ShowLines(e.Lines());
             e.Recolour(Runs("GRGR"));
         }},
    };
    for (const Row& row : rows) {
        LogicEditor editor;
        editor.ShowLines(kLines);
        editor.Recolour(Runs("GGGG"));
        QVERIFY2(editor.document()->availableUndoSteps() == 0, row.name);
        editor.moveCursor(QTextCursor::End);
        QTest::keyClicks(&editor, ",S9");
        const QString typed = editor.toPlainText();
        const int steps = editor.document()->availableUndoSteps();
        QVERIFY2(steps > 0, row.name);
        row.refresh(editor);
        row.refresh(editor);
        QVERIFY2(editor.document()->availableUndoSteps() == steps, row.name);
        QVERIFY2(editor.toPlainText() == typed, row.name);
        while (editor.document()->isUndoAvailable()) editor.undo();
        QVERIFY2(editor.toPlainText().endsWith("M3=AND(S6)"), row.name);
        row.refresh(editor);
        QVERIFY2(editor.document()->isRedoAvailable(), row.name);
        while (editor.document()->isRedoAvailable()) editor.redo();
        QVERIFY2(editor.toPlainText() == typed, row.name);
    }
    // A different text is another logic: its history starts afresh.
    LogicEditor editor;
    editor.ShowLines(kLines);
    QTest::keyClicks(&editor, "X");
    editor.ShowLines({"V2=AND(S7)"});
    QCOMPARE(editor.document()->availableUndoSteps(), 0);
}

// Typing inside a coloured line keeps the colours before and after it in place on the text; the
// typed characters are plain.
void LogicEditorTest::typingMovesTheColoursOfItsLine() {
    struct Row {
        const char* name;
        int position;
        int remove;
        const char* text;
        QString line0;
    };
    // Line 0, "M1=AND(S1,~S2,S3)", coloured "GG.....GG........".
    const Row rows[] = {
        {"before an operand", 0, 0, "ab", "..GG.....GG........"},
        {"inside an operand", 1, 0, "x", "G.G.....GG........"},
        {"after the operands", 17, 0, ")", "GG.....GG........."},
        {"an operand replaced", 7, 2, "S12",
         "GG.........."
         "......"},
        {"a character removed", 3, 1, "", "GG....GG........"},
    };
    for (const Row& row : rows) {
        LogicEditor editor;
        editor.ShowLines(kLines);
        editor.Recolour(Runs("GGGG"));
        QTextCursor cursor(editor.document());
        cursor.setPosition(row.position);
        cursor.setPosition(row.position + row.remove, QTextCursor::KeepAnchor);
        cursor.insertText(row.text);
        const QStringList codes = Codes(editor);
        QVERIFY2(codes[0] == row.line0, qPrintable(QString("%1: %2").arg(row.name, codes[0])));
        QVERIFY2(codes[1] == "GG.....GG...", row.name);
    }
    // A line break typed: the lines it touches are plain until the next refresh, the others keep
    // their colours.
    LogicEditor editor;
    editor.ShowLines(kLines);
    editor.Recolour(Runs("GGGG"));
    TypeAt(editor, 3, "\n");
    QCOMPARE(Codes(editor),
             (QStringList{"GG.", "..............", "GG.....GG...", "GG.....GG.......", "GG.....GG."}));
}

// A text of thousands of lines gets its colours on the lines in view; the others get theirs
// when scrolled into view, and then look as a short text coloured at once does.
void LogicEditorTest::longTextIsColouredAsItComesIntoView() {
    auto linesAndRuns = [](int count, int red) {
        std::vector<std::string> lines;
        std::vector<ColourRun> runs;
        for (int i = 0; i < count; ++i) {
            lines.push_back("M" + std::to_string(i % 16 + 1) + "=AND(S1,~S2,M3)");
            runs.push_back({i, 7, 2, i == red ? kRed : kGreen, false});
            runs.push_back({i, 10, 3, kGrey, true});
        }
        return std::pair{lines, runs};
    };
    auto prepare = [](LogicEditor& e) {
        e.setFocusPolicy(Qt::NoFocus);
        e.setLineWrapMode(QPlainTextEdit::NoWrap);
        e.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        e.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        e.resize(260, 200);
        e.show();
    };
    LogicEditor longText;
    LogicEditor shortText;
    prepare(longText);
    prepare(shortText);
    QVERIFY(QTest::qWaitForWindowExposed(&longText));
    QVERIFY(QTest::qWaitForWindowExposed(&shortText));

    for (int red : {-1, 3}) {  // a first colouring, then one line recoloured
        const auto [lines, runs] = linesAndRuns(5000, red);
        const auto [few, fewRuns] = linesAndRuns(40, red);
        longText.ShowLines(lines);
        longText.Recolour(runs);
        shortText.ShowLines(few);
        shortText.Recolour(fewRuns);
        const QStringList codes = Codes(longText);
        const QStringList fresh = Fresh(longText, runs);
        for (int line : {0, 3, 2500, 4999}) QCOMPARE(codes[line], fresh[line]);

        longText.verticalScrollBar()->setValue(0);
        shortText.verticalScrollBar()->setValue(0);
        QCoreApplication::processEvents();
        QCOMPARE(longText.viewport()->grab().toImage(), shortText.viewport()->grab().toImage());
    }
}

// The editor paints colours apart from laying out its text; the pixels must be those of the same
// text given the colours as character formats, whatever the colouring went through before and
// whatever is selected.
void LogicEditorTest::paintsWhatTextFormattedInItsColoursShows() {
    struct Row {
        const char* name;
        std::vector<std::vector<ColourRun>> colourings;  // in turn; the last one is compared
        int selectFrom = -1;
        int selectTo = -1;
        std::function<void(QPlainTextEdit&)> after = [](QPlainTextEdit&) {};  // to both, once painted
    };
    const std::vector<ColourRun> marked{{1, 0, 12, kBlack, true}};
    const Row rows[] = {
        {"one colouring", {Runs("GRYG")}},
        {"colours changed, shape kept", {Runs("GRGG"), Runs("RGRR")}},
        {"grey marked, then green", {Runs("YYYY"), Runs("GGGG")}},
        {"error line over colours", {Runs("GRYG"), marked}},
        {"colours after an error line", {marked, Runs("RRRR")}},
        {"a selection across stretches", {Runs("GRYG")}, 4, 30},
        {"a selection ending inside stretches", {Runs("GRYG")}, 1, 19},
        {"lines wrapped narrower",
         {Runs("GRYG")},
         -1,
         -1,
         [](QPlainTextEdit& e) {
             e.setLineWrapMode(QPlainTextEdit::WidgetWidth);
             e.setWordWrapMode(QTextOption::WrapAnywhere);
             e.resize(90, 160);
         }},
        {"a larger font",
         {Runs("GRYG")},
         -1,
         -1,
         [](QPlainTextEdit& e) { e.setFont(QFont(e.font().family(), 15)); }},
    };
    auto prepare = [](QPlainTextEdit& e) {
        e.setFocusPolicy(Qt::NoFocus);
        e.setLineWrapMode(QPlainTextEdit::NoWrap);
        e.resize(260, 160);
        e.show();
    };
    for (const Row& row : rows) {
        LogicEditor editor;
        QPlainTextEdit formatted;
        prepare(editor);
        prepare(formatted);
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QVERIFY(QTest::qWaitForWindowExposed(&formatted));
        editor.ShowLines(kLines);
        for (const auto& runs : row.colourings) {
            editor.Recolour(runs);
            QCoreApplication::processEvents();
        }
        formatted.setPlainText(editor.toPlainText());
        for (const ColourRun& r : row.colourings.back()) {
            QTextCursor c(formatted.document()->findBlockByNumber(r.line));
            c.setPosition(c.position() + r.column);
            c.setPosition(c.position() + r.length, QTextCursor::KeepAnchor);
            QTextCharFormat f;
            f.setForeground(ui::ToQColor(r.colour));
            f.setFontWeight(r.boldUnderline ? QFont::Bold : QFont::Normal);
            f.setFontUnderline(r.boldUnderline);
            c.setCharFormat(f);
        }
        for (QPlainTextEdit* e : {static_cast<QPlainTextEdit*>(&editor), &formatted}) {
            QTextCursor c(e->document());
            if (row.selectFrom >= 0) {
                c.setPosition(row.selectFrom);
                c.setPosition(row.selectTo, QTextCursor::KeepAnchor);
            } else {
                c.movePosition(QTextCursor::End);
            }
            e->setTextCursor(c);
            QCoreApplication::processEvents();
            row.after(*e);
        }
        QCoreApplication::processEvents();
        QVERIFY2(editor.viewport()->grab().toImage() == formatted.viewport()->grab().toImage(), row.name);
    }
}

// What the editor hands back right after showing lines is what reading its text gives: lines the
// text cannot hold as they are (line breaks, a no-break space, a last empty line) come back as
// the text holds them.
void LogicEditorTest::linesShownAreTheLinesReadBack() {
    const std::vector<std::vector<std::string>> rows = {
        {},
        {""},
        {"V1=AND(S1)", ""},
        {"", "V1=AND(S1)"},
        {"V1=AND(S1)\r", "M1=OR(S2)"},
        {"a\rb", "c\nd", "e\r\nf"},
        {"V1=AND(S1)\xA0", "x"},
        {"\xC0\xE1\xE2 \xA8\xB8\tq", "\x01\x7F\x98\xAD\xFF"},
        {"M1=AND(S1,~S2)", "V1=OR(M1)"},
    };
    for (const std::vector<std::string>& lines : rows) {
        LogicEditor editor;
        editor.ShowLines(lines);
        const std::vector<std::string> shown = editor.Lines();
        editor.insertPlainText("");  // any edit makes the editor read its text again
        editor.document()->setModified(true);
        LogicEditor fresh;
        fresh.setPlainText(editor.toPlainText());
        QCOMPARE(shown, fresh.Lines());
    }
}

QTEST_MAIN(LogicEditorTest)
#include "logic_editor_test.moc"
