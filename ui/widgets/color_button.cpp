#include "ui/widgets/color_button.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>

#include "ui/widgets/colours.h"

namespace ui {
namespace {

enum class Frame { None, Raised, Sunken };

constexpr interlock::Colour kFrameLight = 0xFFFFFF;
constexpr interlock::Colour kFrameShadow = 0x808080;

// A one-pixel frame over the outer edge, drawn the way a line-drawing API with exclusive end
// points draws the path (right, 0) -> (0, 0) -> (0, bottom) in the first colour and then
// -> (right, bottom) -> (right, 0) in the second: the first colour gets the whole top row and
// the left column but its last pixel, the second the whole bottom row and the right column
// but its first pixel.
void DrawFrame(QPainter& painter, int width, int height, const QColor& first, const QColor& second) {
    painter.fillRect(0, 0, width, 1, first);
    painter.fillRect(0, 0, 1, height - 1, first);
    painter.fillRect(0, height - 1, width, 1, second);
    painter.fillRect(width - 1, 1, 1, height - 1, second);
}

}  // namespace

TColorButton::TColorButton(QWidget* parent) : QWidget(parent) {
    // The paint covers the whole button, so the parent need not paint beneath it first; a
    // background picture with transparent parts lets the parent show through.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(24, 24);
}

TColorButton::~TColorButton() = default;

void TColorButton::setAlignment(Qt::Alignment alignment) {
    alignment &= Qt::AlignHorizontal_Mask;
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

void TColorButton::setBackBitmap(const QPixmap& bitmap) {
    backBitmap_ = bitmap.copy();
    setAttribute(Qt::WA_OpaquePaintEvent, backBitmap_.isNull() || !backBitmap_.hasAlphaChannel());
    update();
}

void TColorButton::setCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

void TColorButton::setWordWrap(bool wordWrap) {
    if (wordWrap == wordWrap_) return;
    wordWrap_ = wordWrap;
    update();
}

void TColorButton::setLatching(bool latching) { latching_ = latching; }

void TColorButton::setDown(bool down) {
    if (down == down_) return;
    down_ = down;
    update();
}

void TColorButton::setFlat(bool flat) {
    if (flat == flat_) return;
    flat_ = flat;
    update();
}

void TColorButton::setMarginHorizontal(int margin) {
    if (margin == marginHorizontal_) return;
    marginHorizontal_ = margin;
    update();
}

void TColorButton::setMarginVertical(int margin) {
    if (margin == marginVertical_) return;
    marginVertical_ = margin;
    update();
}

void TColorButton::setHotTrack(bool hotTrack) { hotTrack_ = hotTrack; }

void TColorButton::setColor(interlock::Colour colour) {
    if (colour == color_) return;
    color_ = colour;
    update();
}

void TColorButton::setHotColor(interlock::Colour colour) { hotColor_ = colour; }
void TColorButton::setDownColor(interlock::Colour colour) { downColor_ = colour; }
void TColorButton::setHotFontColor(interlock::Colour colour) { hotFontColor_ = colour; }
void TColorButton::setDownFontColor(interlock::Colour colour) { downFontColor_ = colour; }

void TColorButton::setFontColor(interlock::Colour colour) {
    if (colour == fontColour_) return;
    fontColour_ = colour;
    update();
}

void TColorButton::setFontBold(bool bold) {
    if (font().bold() == bold) return;  // a font set anew makes the button and its children resolve it again
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

void TColorButton::setHint(const QString& hint) {
    hint_ = hint;
    UpdateToolTip();
}

void TColorButton::setShowHint(bool show) {
    showHint_ = show;
    UpdateToolTip();
}

void TColorButton::UpdateToolTip() { setToolTip(showHint_ ? hint_ : QString()); }

void TColorButton::Click() {
    if (pressed_) emit onclick();
}

void TColorButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    repaint();
}

void TColorButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const bool leftPress = leftDown_;
        leftDown_ = false;
        if (leftPress && rect().contains(event->position().toPoint())) {
            QPointer<TColorButton> self(this);
            Click();
            if (!self) return;  // the handler destroyed the button
        }
    }
    if (latching_) down_ = !down_;
    pressed_ = false;
    repaint();
}

void TColorButton::enterEvent(QEnterEvent*) {
    mouseInside_ = true;
    repaint();
}

void TColorButton::leaveEvent(QEvent*) {
    mouseInside_ = false;
    repaint();
}

void TColorButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) update();
    QWidget::changeEvent(event);
}

QSize TColorButton::FittedSize() const {
    const QFontMetrics metrics(font());
    int w = width();
    int h = height();
    if (!wordWrap_) {
        w = std::max(w, metrics.horizontalAdvance(caption_) + 2 * marginHorizontal_);
        h = std::max(h, metrics.height() + 2 * marginVertical_);
    } else {
        const QRect room(0, 0, std::max(1, w - 2 * marginHorizontal_), 1 << 20);
        const QRect text = metrics.boundingRect(room, Qt::TextWordWrap | alignment_, caption_);
        h = std::max(h, text.height() + marginVertical_ + 1);
    }
    return {w, h};
}

void TColorButton::paintEvent(QPaintEvent*) {
    const bool useBitmap = !backBitmap_.isNull() && backBitmap_.width() > 0 && backBitmap_.height() > 0;

    // Grow to fit the caption; the resize brings another paint of the whole new area.
    const QSize fitted = FittedSize();
    if (fitted != size()) resize(fitted);
    const int w = width();
    const int h = height();

    QRect textRect = wordWrap_ ? QRect(marginHorizontal_, marginVertical_, w - 2 * marginHorizontal_,
                                       h - 2 * marginVertical_)
                               : QRect(marginHorizontal_, 0, w - 2 * marginHorizontal_, h);
    if (pressed_ || down_) textRect.translate(1, 1);

    interlock::Colour fill = color_;
    interlock::Colour textColour = fontColour_;
    Frame frame = Frame::Raised;
    if (pressed_ || down_) {
        fill = downColor_;
        frame = Frame::Sunken;
        textColour = downFontColor_;
    } else if (mouseInside_ && hotTrack_) {
        fill = hotColor_;
        textColour = hotFontColor_;
    } else if (!mouseInside_ && flat_) {
        frame = Frame::None;
    }

    QPainter painter(this);
    if (useBitmap) {
        const int bw = backBitmap_.width();
        const int bh = backBitmap_.height();
        for (int column = 0; column <= w / bw; ++column) {
            for (int row = 0; row <= h / bh; ++row) painter.drawPixmap(column * bw, row * bh, backBitmap_);
        }
    } else {
        painter.fillRect(rect(), ToQColor(fill));
    }

    const QColor light = ToQColor(kFrameLight);
    const QColor shadow = ToQColor(kFrameShadow);
    if (frame == Frame::Raised) DrawFrame(painter, w, h, light, shadow);
    if (frame == Frame::Sunken) DrawFrame(painter, w, h, shadow, light);

    painter.setFont(font());
    painter.setPen(ToQColor(textColour));
    const int flags = wordWrap_ ? (Qt::TextWordWrap | Qt::AlignTop | alignment_)
                                : (Qt::TextSingleLine | Qt::AlignVCenter | alignment_);
    painter.drawText(textRect, flags, caption_);
}

}  // namespace ui
