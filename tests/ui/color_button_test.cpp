#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <vector>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

#include "ui/widgets/color_button.h"
#include "ui/widgets/colours.h"

using ui::TColorButton;

namespace {

constexpr interlock::Colour kNormal = 0x332211;
constexpr interlock::Colour kHot = 0x665544;
constexpr interlock::Colour kDown = 0x998877;
constexpr interlock::Colour kWhite = 0xFFFFFF;
constexpr interlock::Colour kGrey = 0x808080;

enum FrameKind { NoFrame, Raised, Sunken };

QColor Pixel(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

QImage Grab(TColorButton& button) { return button.grab().toImage(); }

void Enter(QWidget& widget) {
    QEnterEvent event(QPointF(3, 3), QPointF(3, 3), widget.mapToGlobal(QPointF(3, 3)));
    QCoreApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &event);
}

bool IsInk(const QColor& c) { return c.red() + c.green() + c.blue() < 3 * 128; }

// Horizontal extent of the dark pixels (the caption on a light fill); {-1, -1} when none.
QPair<int, int> InkColumns(const QImage& image) {
    int first = -1;
    int last = -1;
    for (int x = 1; x < image.width() - 1; ++x) {
        for (int y = 1; y < image.height() - 1; ++y) {
            if (IsInk(Pixel(image, x, y))) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

bool FontsAvailable() { return QFontMetrics(QFont()).horizontalAdvance("WWW") > 0; }

// Counts paint events, to see which setters ask for a repaint.
class CountingButton : public TColorButton {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        TColorButton::paintEvent(event);
    }
};

void Flush() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace

class ColorButtonTest : public QObject {
    Q_OBJECT

private slots:
    void looks_data();
    void looks();
    void clicks_data();
    void clicks();
    void rightPressShowsPressedLookWithoutClick();
    void pointerEntersAndLeaves();
    void clickOnlyAfterPress();
    void captionShiftedOnePixelWhenDown();
    void alignment_data();
    void alignment();
    void growsToFitCaption_data();
    void growsToFitCaption();
    void wordWrapGrowsHeightOnly();
    void backBitmapIsTiled();
    void parentShowsThroughOnlyTransparentPictures();
    void settersRepaintOnlyWhereTheyShould();
};

void ColorButtonTest::looks_data() {
    QTest::addColumn<bool>("flat");
    QTest::addColumn<bool>("hotTrack");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<uint>("fill");
    QTest::addColumn<int>("frame");

    //                                  flat   hot    inside pressed down   enabled
    QTest::newRow("flat, pointer away")
        << true << true << false << false << false << true << uint(kNormal) << int(NoFrame);
    QTest::newRow("flat, hot") << true << true << true << false << false << true << uint(kHot) << int(Raised);
    QTest::newRow("flat, inside without hot track")
        << true << false << true << false << false << true << uint(kNormal) << int(Raised);
    QTest::newRow("tab, pointer away")
        << false << true << false << false << false << true << uint(kNormal) << int(Raised);
    QTest::newRow("tab, hot") << false << true << true << false << false << true << uint(kHot) << int(Raised);
    QTest::newRow("tab, pressed over it")
        << false << true << true << true << false << true << uint(kDown) << int(Sunken);
    QTest::newRow("flat, down") << true << true << false << false << true << true << uint(kDown)
                                << int(Sunken);
    QTest::newRow("disabled looks the same")
        << false << true << false << false << false << false << uint(kNormal) << int(Raised);
    QTest::newRow("disabled and down")
        << true << true << false << false << true << false << uint(kDown) << int(Sunken);
}

void ColorButtonTest::looks() {
    QFETCH(bool, flat);
    QFETCH(bool, hotTrack);
    QFETCH(bool, inside);
    QFETCH(bool, pressed);
    QFETCH(bool, down);
    QFETCH(bool, enabled);
    QFETCH(uint, fill);
    QFETCH(int, frame);

    TColorButton b;
    b.resize(40, 25);
    b.setFlat(flat);
    b.setHotTrack(hotTrack);
    b.setColor(kNormal);
    b.setHotColor(kHot);
    b.setDownColor(kDown);
    b.setDown(down);
    if (inside) Enter(b);
    if (pressed) QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    b.setEnabled(enabled);

    const QImage image = Grab(b);
    const int w = image.width();
    const int h = image.height();
    QCOMPARE(Pixel(image, w / 2, h / 2), ui::ToQColor(fill));

    if (frame == NoFrame) {
        QCOMPARE(Pixel(image, 0, 0), ui::ToQColor(fill));
        QCOMPARE(Pixel(image, w - 1, h - 1), ui::ToQColor(fill));
    } else {
        const QColor first = ui::ToQColor(frame == Raised ? kWhite : kGrey);
        const QColor second = ui::ToQColor(frame == Raised ? kGrey : kWhite);
        // Top row and left column (but its last pixel) in the first colour; bottom row and
        // right column (but its first pixel) in the second.
        QCOMPARE(Pixel(image, 0, 0), first);
        QCOMPARE(Pixel(image, w - 1, 0), first);
        QCOMPARE(Pixel(image, 0, h - 2), first);
        QCOMPARE(Pixel(image, 0, h - 1), second);
        QCOMPARE(Pixel(image, w - 1, 1), second);
        QCOMPARE(Pixel(image, w / 2, h - 1), second);
        QCOMPARE(Pixel(image, 1, 1), ui::ToQColor(fill));
    }
    if (pressed) QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));
}

void ColorButtonTest::clicks_data() {
    QTest::addColumn<bool>("latching");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("down");

    QTest::newRow("left click") << false << int(Qt::LeftButton) << true << 1 << false;
    QTest::newRow("left, released outside") << false << int(Qt::LeftButton) << false << 0 << false;
    QTest::newRow("latching left click") << true << int(Qt::LeftButton) << true << 1 << true;
    QTest::newRow("latching, released outside") << true << int(Qt::LeftButton) << false << 0 << true;
    QTest::newRow("right click") << false << int(Qt::RightButton) << true << 0 << false;
    QTest::newRow("latching right click") << true << int(Qt::RightButton) << true << 0 << true;
}

void ColorButtonTest::clicks() {
    QFETCH(bool, latching);
    QFETCH(int, button);
    QFETCH(bool, releaseInside);
    QFETCH(int, clicks);
    QFETCH(bool, down);

    TColorButton b;
    b.resize(40, 25);
    b.setLatching(latching);
    QSignalSpy spy(&b, &TColorButton::onclick);
    const auto mouseButton = static_cast<Qt::MouseButton>(button);
    QTest::mousePress(&b, mouseButton, {}, QPoint(10, 10));
    QVERIFY(b.Pressed());
    QTest::mouseMove(&b, releaseInside ? QPoint(12, 12) : QPoint(200, 200));
    QTest::mouseRelease(&b, mouseButton, {}, releaseInside ? QPoint(12, 12) : QPoint(200, 200));
    QCOMPARE(spy.count(), clicks);
    QCOMPARE(b.Down(), down);
    QVERIFY(!b.Pressed());
}

void ColorButtonTest::rightPressShowsPressedLookWithoutClick() {
    TColorButton b;
    b.resize(40, 25);
    b.setFlat(false);
    b.setColor(kNormal);
    b.setDownColor(kDown);
    QSignalSpy spy(&b, &TColorButton::onclick);
    QTest::mousePress(&b, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(Pixel(Grab(b), 20, 12), ui::ToQColor(kDown));
    QTest::mouseRelease(&b, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(Pixel(Grab(b), 20, 12), ui::ToQColor(kNormal));
    QCOMPARE(spy.count(), 0);
}

void ColorButtonTest::pointerEntersAndLeaves() {
    TColorButton b;
    b.resize(40, 25);
    b.setColor(kNormal);
    b.setHotColor(kHot);
    Enter(b);
    QVERIFY(b.MouseInside());
    QCOMPARE(Pixel(Grab(b), 20, 12), ui::ToQColor(kHot));
    Leave(b);
    QVERIFY(!b.MouseInside());
    QCOMPARE(Pixel(Grab(b), 20, 12), ui::ToQColor(kNormal));
}

void ColorButtonTest::clickOnlyAfterPress() {
    TColorButton b;
    QSignalSpy spy(&b, &TColorButton::onclick);
    b.Click();  // not begun by a press
    QCOMPARE(spy.count(), 0);
    // A handler that disables the button (the selected tab) still completes the release.
    b.resize(40, 25);
    connect(&b, &TColorButton::onclick, &b, [&b] { b.setEnabled(false); });
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(spy.count(), 1);
    QVERIFY(!b.Pressed());
    QVERIFY(!b.isEnabled());
}

void ColorButtonTest::captionShiftedOnePixelWhenDown() {
    if (!FontsAvailable()) QSKIP("no fonts to draw captions with");
    TColorButton b;
    b.resize(60, 30);
    b.setFlat(false);
    b.setCaption("Ab");
    b.setColor(kWhite);
    b.setDownColor(kWhite);
    const QImage normal = Grab(b);
    b.setDown(true);
    const QImage down = Grab(b);
    QCOMPARE(down.size(), normal.size());
    bool ink = false;
    for (int y = 2; y < normal.height() - 3; ++y) {
        for (int x = 2; x < normal.width() - 3; ++x) {
            QCOMPARE(Pixel(down, x + 1, y + 1), Pixel(normal, x, y));
            ink = ink || IsInk(Pixel(normal, x, y));
        }
    }
    QVERIFY(ink);
}

void ColorButtonTest::alignment_data() {
    QTest::addColumn<int>("alignment");
    QTest::newRow("left") << int(Qt::AlignLeft);
    QTest::newRow("centre") << int(Qt::AlignHCenter);
    QTest::newRow("right") << int(Qt::AlignRight);
}

void ColorButtonTest::alignment() {
    if (!FontsAvailable()) QSKIP("no fonts to draw captions with");
    QFETCH(int, alignment);
    TColorButton b;
    b.resize(120, 25);
    b.setColor(kWhite);
    b.setCaption("Hm");
    b.setAlignment(static_cast<Qt::Alignment>(alignment));
    const auto [first, last] = InkColumns(Grab(b));
    QVERIFY(first >= 0);
    const int margin = b.MarginHorizontal();
    if (alignment == Qt::AlignLeft) {
        QVERIFY2(first >= margin && first <= margin + 3, qPrintable(QString::number(first)));
    } else if (alignment == Qt::AlignRight) {
        QVERIFY2(last < 120 - margin && last >= 120 - margin - 4, qPrintable(QString::number(last)));
    } else {
        QVERIFY2(qAbs((first + last) / 2 - 60) <= 2, qPrintable(QString("%1..%2").arg(first).arg(last)));
    }
}

void ColorButtonTest::growsToFitCaption_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("initial");
    QTest::addColumn<int>("pointSize");
    QTest::newRow("wide caption widens") << "A rather long caption for a tab" << QSize(40, 25) << 9;
    QTest::newRow("short caption never shrinks") << "1" << QSize(90, 40) << 9;
    QTest::newRow("tall font heightens") << "X" << QSize(40, 10) << 20;
}

void ColorButtonTest::growsToFitCaption() {
    if (!FontsAvailable()) QSKIP("no fonts to measure captions with");
    QFETCH(QString, caption);
    QFETCH(QSize, initial);
    QFETCH(int, pointSize);
    TColorButton b;
    QFont font = b.font();
    font.setPointSize(pointSize);
    b.setFont(font);
    b.resize(initial);
    b.setCaption(caption);
    Grab(b);  // the next paint grows the button
    const QFontMetrics metrics(font);
    QCOMPARE(b.width(), qMax(initial.width(), metrics.horizontalAdvance(caption) + 2 * b.MarginHorizontal()));
    QCOMPARE(b.height(), qMax(initial.height(), metrics.height() + 2 * b.MarginVertical()));
}

void ColorButtonTest::wordWrapGrowsHeightOnly() {
    if (!FontsAvailable()) QSKIP("no fonts to measure captions with");
    TColorButton b;
    b.resize(50, 20);
    b.setColor(kWhite);
    b.setWordWrap(true);
    b.setCaption("one two three four");
    const QImage image = Grab(b);
    QCOMPARE(b.width(), 50);
    const int line = QFontMetrics(b.font()).height();
    QVERIFY2(b.height() >= 3 * line, qPrintable(QString::number(b.height())));
    // Wrapped text starts at the top margin.
    const QImage grown = Grab(b);
    int top = -1;
    for (int y = 1; y < grown.height() && top < 0; ++y) {
        for (int x = 1; x < grown.width() - 1; ++x) {
            if (IsInk(Pixel(grown, x, y))) {
                top = y;
                break;
            }
        }
    }
    QVERIFY(top >= b.MarginVertical());
    QVERIFY(top < b.MarginVertical() + line / 2);
    Q_UNUSED(image);
}

void ColorButtonTest::backBitmapIsTiled() {
    QPixmap tile(5, 5);
    tile.fill(QColor(10, 200, 30));
    TColorButton b;
    b.resize(12, 12);
    b.setColor(kNormal);
    b.setBackBitmap(tile);
    tile.fill(Qt::black);  // the button keeps its own copy
    const QImage image = Grab(b);
    for (QPoint p : {QPoint(0, 0), QPoint(6, 6), QPoint(11, 11), QPoint(11, 0)}) {
        QCOMPARE(Pixel(image, p.x(), p.y()), QColor(10, 200, 30));
    }
}

// The button covers its whole area, so its parent is not painted beneath it; only where a
// background picture is transparent does the parent show through (as the screen shows it).
void ColorButtonTest::parentShowsThroughOnlyTransparentPictures() {
    QPixmap opaque(4, 4);
    opaque.fill(QColor(10, 200, 30));
    QPixmap clear(4, 4);
    clear.fill(Qt::transparent);
    struct Row {
        const char* name;
        std::vector<QPixmap> pictures;  // set one after another
        QColor seen;
    };
    const QColor parentColour(200, 20, 20);
    const Row rows[] = {
        {"no picture", {}, ui::ToQColor(kNormal)},
        {"opaque picture", {opaque}, QColor(10, 200, 30)},
        {"transparent picture", {clear}, parentColour},
        {"transparent, then opaque", {clear, opaque}, QColor(10, 200, 30)},
        {"opaque, then transparent", {opaque, clear}, parentColour},
        {"transparent, then none", {clear, QPixmap()}, ui::ToQColor(kNormal)},
    };
    for (const Row& row : rows) {
        QWidget parent;
        parent.resize(40, 40);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, parentColour);
        parent.setPalette(palette);
        auto* b = new TColorButton(&parent);
        b->setGeometry(10, 10, 20, 20);
        b->setColor(kNormal);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        for (const QPixmap& picture : row.pictures) {
            b->setBackBitmap(picture);
            Flush();
        }
        const QImage image = QGuiApplication::primaryScreen()->grabWindow(parent.winId()).toImage();
        QVERIFY2(Pixel(image, 20, 20) == row.seen, row.name);
        QVERIFY2(Pixel(image, 5, 5) == parentColour, row.name);
    }
}

void ColorButtonTest::settersRepaintOnlyWhereTheyShould() {
    struct Row {
        const char* name;
        std::function<void(TColorButton&)> change;
        bool repaints;
    };
    const Row rows[] = {
        {"Color changed", [](TColorButton& b) { b.setColor(0x010203); }, true},
        {"Color same", [](TColorButton& b) { b.setColor(b.Color()); }, false},
        {"Down changed", [](TColorButton& b) { b.setDown(true); }, true},
        {"Flat changed", [](TColorButton& b) { b.setFlat(false); }, true},
        {"Flat same", [](TColorButton& b) { b.setFlat(true); }, false},
        {"MarginHorizontal", [](TColorButton& b) { b.setMarginHorizontal(3); }, true},
        {"MarginVertical", [](TColorButton& b) { b.setMarginVertical(2); }, true},
        {"Alignment", [](TColorButton& b) { b.setAlignment(Qt::AlignLeft); }, true},
        {"WordWrap", [](TColorButton& b) { b.setWordWrap(true); }, true},
        {"Caption", [](TColorButton& b) { b.setCaption("x"); }, true},
        {"FontColor", [](TColorButton& b) { b.setFontColor(0x00FF00); }, true},
        {"Font", [](TColorButton& b) { b.setFontBold(true); }, true},
        {"BackBitmap", [](TColorButton& b) { b.setBackBitmap(QPixmap(4, 4)); }, true},
        {"HotColor", [](TColorButton& b) { b.setHotColor(0x010101); }, false},
        {"DownColor", [](TColorButton& b) { b.setDownColor(0x010101); }, false},
        {"HotFontColor", [](TColorButton& b) { b.setHotFontColor(0x010101); }, false},
        {"DownFontColor", [](TColorButton& b) { b.setDownFontColor(0x010101); }, false},
        {"HotTrack", [](TColorButton& b) { b.setHotTrack(false); }, false},
        {"Latching", [](TColorButton& b) { b.setLatching(true); }, false},
    };
    for (const Row& row : rows) {
        CountingButton b;
        b.resize(40, 25);
        b.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b));
        Enter(b);  // the pointer is over the button: a new hot colour would show at once
        Flush();
        const int before = b.paints;
        row.change(b);
        Flush();
        QVERIFY2((b.paints > before) == row.repaints, row.name);
    }
}

QTEST_MAIN(ColorButtonTest)
#include "color_button_test.moc"
