#pragma once

// TColorButton: the flat, self-painted push button of every tab and command button of the
// program. It has its own fill and text colour for the normal, hot (pointer over it) and
// pressed looks, an optional latching behaviour and an optional tiled background picture.
// Its look does not depend on Enabled: the tab logic disables the selected tab and it keeps
// the colours it was given.

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "interlock/workspace.h"

namespace ui {

class TColorButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(bool Latching READ Latching WRITE setLatching)
    Q_PROPERTY(bool Down READ Down WRITE setDown)
    Q_PROPERTY(bool Flat READ Flat WRITE setFlat)
    Q_PROPERTY(int MarginHorizontal READ MarginHorizontal WRITE setMarginHorizontal)
    Q_PROPERTY(int MarginVertical READ MarginVertical WRITE setMarginVertical)
    Q_PROPERTY(bool HotTrack READ HotTrack WRITE setHotTrack)

public:
    explicit TColorButton(QWidget* parent = nullptr);
    ~TColorButton() override;

    // Horizontal placement of the caption: Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment Alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);

    // Tiled background; the button keeps its own copy.
    const QPixmap& BackBitmap() const { return backBitmap_; }
    void setBackBitmap(const QPixmap& bitmap);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);

    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool wordWrap);

    bool Latching() const { return latching_; }
    void setLatching(bool latching);  // stored only

    bool Down() const { return down_; }
    void setDown(bool down);

    bool Flat() const { return flat_; }
    void setFlat(bool flat);

    int MarginHorizontal() const { return marginHorizontal_; }
    void setMarginHorizontal(int margin);
    int MarginVertical() const { return marginVertical_; }
    void setMarginVertical(int margin);

    bool HotTrack() const { return hotTrack_; }
    void setHotTrack(bool hotTrack);  // stored only

    // Colours are 0x00BBGGRR values or system colours.
    interlock::Colour Color() const { return color_; }
    void setColor(interlock::Colour colour);
    interlock::Colour HotColor() const { return hotColor_; }
    void setHotColor(interlock::Colour colour);  // stored only
    interlock::Colour DownColor() const { return downColor_; }
    void setDownColor(interlock::Colour colour);  // stored only
    interlock::Colour HotFontColor() const { return hotFontColor_; }
    void setHotFontColor(interlock::Colour colour);  // stored only
    interlock::Colour DownFontColor() const { return downFontColor_; }
    void setDownFontColor(interlock::Colour colour);  // stored only

    // The colour of the caption font: the text colour of the normal look. The font itself is
    // the widget's font.
    interlock::Colour FontColor() const { return fontColour_; }
    void setFontColor(interlock::Colour colour);
    void setFontBold(bool bold);

    // The tooltip, shown only while ShowHint is true.
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void setShowHint(bool show);

    // A mouse button went down on the button and has not been released yet.
    bool Pressed() const { return pressed_; }
    // The pointer is over the button.
    bool MouseInside() const { return mouseInside_; }

    // Raises onclick, but only for a click that began with a mouse press on this button.
    void Click();

    // The size the button grows to so that the caption fits (it never shrinks).
    QSize FittedSize() const;

signals:
    void onclick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateToolTip();

    bool pressed_ = false;
    bool mouseInside_ = false;
    bool leftDown_ = false;  // the press in progress began with the left button
    bool hotTrack_ = true;
    interlock::Colour color_ = 0xC0C0C0;
    interlock::Colour hotColor_ = 0x00FFFF;
    interlock::Colour hotFontColor_ = 0x0000FF;
    int marginHorizontal_ = 8;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    int marginVertical_ = 4;
    bool wordWrap_ = false;
    QPixmap backBitmap_;
    bool latching_ = false;
    bool down_ = false;
    interlock::Colour downColor_ = 0xA9A9A9;
    interlock::Colour downFontColor_ = 0x000000;
    bool flat_ = true;
    interlock::Colour fontColour_ = 0x000000;
    QString caption_;
    QString hint_;
    bool showHint_ = false;
};

}  // namespace ui
