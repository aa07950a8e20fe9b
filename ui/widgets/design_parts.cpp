#include "ui/widgets/design_parts.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

#include "ui/widgets/color_button.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/signal_grids.h"

namespace ui {

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, int pixelHeight, Qt::Alignment align,
                  bool underline) {
    auto* l = new QLabel(text, parent);
    QFont f = DesignFont("MS Sans Serif", pixelHeight);
    f.setUnderline(underline);
    l->setFont(f);
    l->setGeometry(geometry);
    l->setAlignment(align);
    l->setToolTipDuration(kHintPause);
    return l;
}

QFrame* MakePanel(QWidget* parent, QRect geometry, bool bevel) {
    auto* p = new QFrame(parent);
    p->setGeometry(geometry);
    if (bevel) p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return p;
}

QCheckBox* MakeCheck(QWidget* parent, const QString& text, const QString& hint, QRect geometry) {
    auto* c = new QCheckBox(text, parent);
    c->setGeometry(geometry);
    c->setToolTip(hint);
    c->setToolTipDuration(kHintPause);
    c->setFont(DesignFont("MS Sans Serif", 13));
    return c;
}

void ApplyLook(TColorButton* b, const interlock::TabLook& look) {
    // The button repaints itself when its normal look changes; the hot and pressed colours it
    // only stores, and a tab under the pointer shows a new hot colour at once only when asked.
    const bool otherLooks = b->HotColor() != look.colour || b->DownColor() != look.colour ||
                            b->HotFontColor() != look.fontColour || b->DownFontColor() != look.fontColour;
    b->setColor(look.colour);
    b->setDownColor(look.colour);
    b->setHotColor(look.colour);
    b->setFontColor(look.fontColour);
    b->setHotFontColor(look.fontColour);
    b->setDownFontColor(look.fontColour);
    b->setFontBold(look.bold);
    b->setEnabled(look.enabled);
    if (otherLooks) b->update();
}

// A palette set anew, even an equal one, makes the label resolve it and repaint.
void SetLabel(QLabel* label, const interlock::LabelLook& look) {
    const QString text = ToQString(look.text);
    if (label->text() != text) label->setText(text);
    const QColor colour = ToQColor(look.colour);
    if (label->palette().color(QPalette::WindowText) != colour) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, colour);
        label->setPalette(pal);
    }
    label->setVisible(look.visible);
    const QString hint = look.hintOn ? ToDisplayText(look.hint) : QString();
    if (label->toolTip() != hint) label->setToolTip(hint);
}

void PutFieldText(QLineEdit* field, const QString& text, int limit) {
    const int maxLength = std::max(limit, static_cast<int>(text.size()));
    if (field->maxLength() != maxLength) field->setMaxLength(maxLength);
    if (field->text() != text) field->setText(text);
}

void LimitTyping(QLineEdit* field, int limit) {
    field->setMaxLength(limit);
    QObject::connect(field, &QLineEdit::textEdited, field, [field, limit](const QString& text) {
        field->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    });
}

}  // namespace ui
