// The Qt side of the operator interface's plain helpers: text conversions and the colour
// mapping.

#include <QColor>
#include <QtTest>

#include "interlock/cp1251.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/qt_text.h"

class QtTextTest : public QObject {
    Q_OBJECT

private slots:
    void textConversions_data();
    void textConversions();
    void conversionsAgreeWithTheCodePage();
    void displayText_data();
    void displayText();
    void colours_data();
    void colours();
};

void QtTextTest::textConversions_data() {
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

void QtTextTest::textConversions() {
    QFETCH(QString, text);
    QFETCH(QByteArray, cp1251);
    QFETCH(bool, roundTrip);
    const std::string bytes = ui::FromQString(text);
    QCOMPARE(QByteArray::fromStdString(bytes), cp1251);
    if (roundTrip) QCOMPARE(ui::ToQString(bytes), text);
}

// The table the boundary converts with gives what the general conversion gives, for every byte
// and for characters inside and outside the code page.
void QtTextTest::conversionsAgreeWithTheCodePage() {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    QCOMPARE(ui::ToQString(all), QString::fromStdString(cp1251::ToUtf8(all)));
    for (const QString& text :
         {QString::fromStdString(cp1251::ToUtf8(all)), QString::fromUtf8("\xC2\x98 \xEF\xBF\xBD"),
          QString::fromUtf8("M1=AND(S1) ёЁ№ € a中b 😀 \xC2\xA0"), QString()}) {
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(
            QByteArray::fromStdString(ui::FromQString(text)),
            QByteArray::fromStdString(cp1251::FromUtf8(std::string_view(utf8.constData(), utf8.size()))));
    }
}

void QtTextTest::displayText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << "a\nb";
    QTest::newRow("two LF CR") << QByteArray("a\n\r\n\rb") << "a\n\nb";
    QTest::newRow("CR LF") << QByteArray("a\r\nb") << "a\nb";
    QTest::newRow("two CR") << QByteArray("a\r\rb") << "a\n\nb";
    QTest::newRow("no break") << QByteArray("ab") << "ab";
}

void QtTextTest::displayText() {
    QFETCH(QByteArray, text);
    QFETCH(QString, shown);
    QCOMPARE(ui::ToDisplayText(text.toStdString()), shown);
}

void QtTextTest::colours_data() {
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

void QtTextTest::colours() {
    QFETCH(uint, colour);
    QFETCH(QColor, expected);
    QCOMPARE(ui::ToQColor(colour), expected);
}

QTEST_MAIN(QtTextTest)
#include "qt_text_test.moc"
