// The Qt side of the operator interface's plain helpers: colouring a QTextEdit from runs,
// text conversions and the colour mapping.

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QtTest>

#include "ui/colors.h"
#include "interlock/cp1251.h"
#include "ui/editor_colouring.h"
#include "ui/qt_text.h"

Q_DECLARE_METATYPE(ui::ColourRun)

namespace {

constexpr interlock::Colour kGreen = interlock::colour::kGreen;
constexpr interlock::Colour kRed = interlock::colour::kRed;
constexpr interlock::Colour kGrey = interlock::colour::kGrey;
constexpr interlock::Colour kBlack = interlock::colour::kBlack;

// The format of the character at (line, column).
QTextCharFormat FormatAt(QTextEdit& editor, int line, int column) {
    QTextCursor cursor(editor.document()->findBlockByNumber(line));
    cursor.setPosition(cursor.block().position() + column + 1);
    return cursor.charFormat();
}

// One code per character, as in the model tests: '.', 'G', 'R', 'Y' (grey bold underlined),
// 'B' (black bold underlined), '?' for anything else.
QStringList Codes(QTextEdit& editor) {
    QStringList lines;
    for (QTextBlock block = editor.document()->firstBlock(); block.isValid(); block = block.next()) {
        QString codes;
        for (int column = 0; column < block.length() - 1; ++column) {
            const QTextCharFormat f = FormatAt(editor, block.blockNumber(), column);
            const QColor c = f.foreground().color();
            const bool bold = f.fontWeight() == QFont::Bold && f.fontUnderline();
            const bool plain = f.fontWeight() == QFont::Normal && !f.fontUnderline();
            if (plain && c == ui::ToQColor(kBlack))
                codes += '.';
            else if (plain && c == ui::ToQColor(kGreen))
                codes += 'G';
            else if (plain && c == ui::ToQColor(kRed))
                codes += 'R';
            else if (bold && c == ui::ToQColor(kGrey))
                codes += 'Y';
            else if (bold && c == ui::ToQColor(kBlack))
                codes += 'B';
            else
                codes += '?';
        }
        lines << codes;
    }
    return lines;
}

// Everything blue, bold and italic, caret at the start, typing blue: what a previous colouring
// or the user may have left.
void Disturb(QTextEdit& editor) {
    QTextCursor cursor(editor.document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat f;
    f.setForeground(Qt::blue);
    f.setFontWeight(QFont::Bold);
    f.setFontUnderline(true);
    cursor.mergeCharFormat(f);
    QTextCursor start(editor.document());
    editor.setTextCursor(start);
    editor.mergeCurrentCharFormat(f);
}

}  // namespace

class EditorColouringTest : public QObject {
    Q_OBJECT

private slots:
    void appliesRuns_data();
    void appliesRuns();
    void leavesCaretAtEndAndTypingPlain();
    void isOneEditStep();
    void keepsTheEditorFont();
    void manyRunsAreFast();
    void textConversions_data();
    void textConversions();
    void conversionsAgreeWithTheCodePage();
    void displayText_data();
    void displayText();
    void colours_data();
    void colours();
};

void EditorColouringTest::appliesRuns_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<ui::ColourRun>>("runs");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("operands") << "V1=AND(S5,~S6)\nM1=OR(S1)"
                              << QList<ui::ColourRun>{{0, 0, 2, kRed, false},
                                                      {0, 7, 2, kGreen, false},
                                                      {0, 10, 3, kRed, false},
                                                      {1, 6, 2, kGrey, true}}
                              << QStringList{"RR.....GG.RRR.", "......YY."};
    QTest::newRow("error line") << "V1=AND(S1)\nM1=XOR(S1)" << QList<ui::ColourRun>{{1, 0, 10, kBlack, true}}
                                << QStringList{"..........", "BBBBBBBBBB"};
    QTest::newRow("no runs resets everything")
        << "V1=AND(S1)\n\nM1" << QList<ui::ColourRun>{} << QStringList{"..........", "", ".."};
    QTest::newRow("run past the line end is cut there")
        << "AB\nCD" << QList<ui::ColourRun>{{0, 1, 5, kGreen, false}, {5, 0, 1, kRed, false}}
        << QStringList{".G", ".."};
    QTest::newRow("non-adjacent lines")
        << "S1\nX\nX\nS4" << QList<ui::ColourRun>{{0, 0, 2, kGreen, false}, {3, 0, 2, kRed, false}}
        << QStringList{"GG", ".", ".", "RR"};
}

void EditorColouringTest::appliesRuns() {
    QFETCH(QString, text);
    QFETCH(QList<ui::ColourRun>, runs);
    QFETCH(QStringList, expected);
    QTextEdit editor;
    editor.setPlainText(text);
    Disturb(editor);
    ui::ApplyColouring(&editor, std::vector<ui::ColourRun>(runs.begin(), runs.end()));
    QCOMPARE(Codes(editor), expected);
}

void EditorColouringTest::leavesCaretAtEndAndTypingPlain() {
    QTextEdit editor;
    editor.setPlainText("V1=AND(S1)\nM1=OR(S2)");
    Disturb(editor);
    ui::ApplyColouring(&editor, {{1, 6, 2, kGreen, false}});
    QVERIFY(editor.textCursor().atEnd());
    QVERIFY(!editor.textCursor().hasSelection());
    const QTextCharFormat typing = editor.currentCharFormat();
    QCOMPARE(typing.foreground().color(), ui::ToQColor(kBlack));
    QCOMPARE(typing.fontWeight(), int(QFont::Normal));
    QVERIFY(!typing.fontUnderline());
    // What is typed now is plain, even right after a coloured operand.
    editor.insertPlainText("X");
    QCOMPARE(Codes(editor).last(), QString("......GG.."));
}

void EditorColouringTest::isOneEditStep() {
    QTextEdit editor;
    editor.setPlainText("V1=AND(S1,S2,S3)\nM1=OR(S4)\nM2=OR(S5)");
    QSignalSpy changes(editor.document(), &QTextDocument::contentsChange);
    const std::vector<ui::ColourRun> runs = {
        {0, 7, 2, kGreen, false}, {0, 10, 2, kRed, false}, {2, 6, 2, kGreen, false}};
    ui::ApplyColouring(&editor, runs);
    QCOMPARE(changes.count(), 1);
    // Not an edit the user could undo, and undo still works for typing afterwards.
    QCOMPARE(editor.document()->availableUndoSteps(), 0);
    QVERIFY(editor.document()->isUndoRedoEnabled());

    // The same colouring again changes nothing; a changed operand touches only its own line.
    changes.clear();
    ui::ApplyColouring(&editor, runs);
    QCOMPARE(changes.count(), 0);
    std::vector<ui::ColourRun> changed = runs;
    changed[2].colour = kRed;
    ui::ApplyColouring(&editor, changed);
    QCOMPARE(changes.count(), 1);
    const int lineTwo = editor.document()->findBlockByNumber(2).position();
    QCOMPARE(changes.at(0).at(0).toInt(), lineTwo);
    QCOMPARE(Codes(editor), (QStringList{".......GG.RR....", ".........", "......RR."}));
}

void EditorColouringTest::keepsTheEditorFont() {
    QTextEdit editor;
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(16);
    editor.setFont(font);
    editor.setPlainText("V1=AND(S1)");
    ui::ApplyColouring(&editor, {{0, 7, 2, kGrey, true}});
    const QFont coloured = FormatAt(editor, 0, 7).font();
    QCOMPARE(coloured.family(), editor.document()->defaultFont().family());
    QCOMPARE(coloured.pixelSize(), editor.document()->defaultFont().pixelSize());
    QCOMPARE(editor.currentFont().family(), editor.document()->defaultFont().family());
}

void EditorColouringTest::manyRunsAreFast() {
    QStringList lines;
    std::vector<ui::ColourRun> runs;
    for (int i = 0; i < 500; ++i) {
        lines << "V1=AND(S1,~S2,M3)";
        runs.push_back({i, 0, 2, kRed, false});
        runs.push_back({i, 7, 2, kGreen, false});
        runs.push_back({i, 10, 3, kGrey, true});
        runs.push_back({i, 14, 2, kRed, false});
    }
    QTextEdit editor;
    editor.setPlainText(lines.join('\n'));
    QElapsedTimer timer;
    timer.start();
    ui::ApplyColouring(&editor, runs);  // every line changes and is laid out again
    const qint64 first = timer.nsecsElapsed();
    runs[1000].colour = kGreen;
    timer.restart();
    ui::ApplyColouring(&editor, runs);  // one operand changed its value
    const qint64 again = timer.nsecsElapsed();
    qInfo("2000 runs on 500 lines: %.2f ms after loading, %.2f ms for one change", first / 1e6, again / 1e6);
    QVERIFY2(first < 500'000'000, qPrintable(QString::number(first)));
    QVERIFY2(again < 50'000'000, qPrintable(QString::number(again)));
    QCOMPARE(Codes(editor).at(250), QString("GG.....GG.YYY.RR."));
    QCOMPARE(Codes(editor).at(251), QString("RR.....GG.YYY.RR."));
}

void EditorColouringTest::textConversions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("cp1251");
    QTest::addColumn<bool>("roundTrip");
    QTest::newRow("ascii") << "V1=AND(S1)" << QByteArray("V1=AND(S1)") << true;
    QTest::newRow("cyrillic") << QString::fromUtf8("Пуск ёЁ") << QByteArray("\xCF\xF3\xF1\xEA \xB8\xA8")
                              << true;
    QTest::newRow("euro sign is in the code page") << QString::fromUtf8("€") << QByteArray("\x88") << true;
    QTest::newRow("chinese becomes ?") << QString::fromUtf8("a中b") << QByteArray("a?b") << false;
    QTest::newRow("surrogate pair becomes one ?") << QString::fromUtf8("a😀b") << QByteArray("a?b") << false;
}

void EditorColouringTest::textConversions() {
    QFETCH(QString, text);
    QFETCH(QByteArray, cp1251);
    QFETCH(bool, roundTrip);
    const std::string bytes = ui::FromQString(text);
    QCOMPARE(QByteArray::fromStdString(bytes), cp1251);
    if (roundTrip) QCOMPARE(ui::ToQString(bytes), text);
}

// The table the boundary converts with gives what the general conversion gives, for every byte
// and for characters inside and outside the code page.
void EditorColouringTest::conversionsAgreeWithTheCodePage() {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    QCOMPARE(ui::ToQString(all), QString::fromStdString(cp1251::ToUtf8(all)));
    for (const QString& text : {QString::fromStdString(cp1251::ToUtf8(all)), QString::fromUtf8("\xC2\x98 \xEF\xBF\xBD"),
                                QString::fromUtf8("M1=AND(S1) ёЁ№ € a中b 😀 \xC2\xA0"), QString()}) {
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(QByteArray::fromStdString(ui::FromQString(text)),
                 QByteArray::fromStdString(cp1251::FromUtf8(std::string_view(utf8.constData(), utf8.size()))));
    }
}

void EditorColouringTest::displayText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << "a\nb";
    QTest::newRow("two LF CR") << QByteArray("a\n\r\n\rb") << "a\n\nb";
    QTest::newRow("CR LF") << QByteArray("a\r\nb") << "a\nb";
    QTest::newRow("two CR") << QByteArray("a\r\rb") << "a\n\nb";
    QTest::newRow("no break") << QByteArray("ab") << "ab";
}

void EditorColouringTest::displayText() {
    QFETCH(QByteArray, text);
    QFETCH(QString, shown);
    QCOMPARE(ui::ToDisplayText(text.toStdString()), shown);
}

void EditorColouringTest::colours_data() {
    QTest::addColumn<uint>("colour");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("red") << uint(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("green") << uint(0x008000) << QColor(0, 128, 0);
    QTest::newRow("window background") << uint(0xFFFBF0) << QColor(0xF0, 0xFB, 0xFF);
    QTest::newRow("inactive tab") << uint(0xFBFFF0) << QColor(0xF0, 0xFF, 0xFB);
    QTest::newRow("highlight") << uint(0x8000000D) << QColor(0x00, 0x78, 0xD7);
    QTest::newRow("inactive caption") << uint(0x80000003) << QColor(0xBF, 0xCD, 0xDB);
    QTest::newRow("window") << uint(0x80000005) << QColor(Qt::white);
}

void EditorColouringTest::colours() {
    QFETCH(uint, colour);
    QFETCH(QColor, expected);
    QCOMPARE(ui::ToQColor(colour), expected);
}

QTEST_MAIN(EditorColouringTest)
#include "editor_colouring_test.moc"
