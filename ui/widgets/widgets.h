#pragma once

// Small widget variants the windows need.

#include <QLabel>

namespace ui {

// A static text that reports double-clicks (the apparatus state field).
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent*) override { emit doubleClicked(); }
};

}  // namespace ui
