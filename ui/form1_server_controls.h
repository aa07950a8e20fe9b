#pragma once

// The main window's server controls as the server link sees them: "Связь с сервером ТМ",
// the server panel with its two boxes, the poll timer and the RTU reception box.

#include "acquisition/server_link.h"

namespace ui {

class TForm1;

class TForm1ServerControls : public acquisition::ServerControls {
public:
    explicit TForm1ServerControls(TForm1& form) : form_(form) {}

    bool WindowReady() const override;
    bool Checked(acquisition::ServerBox box) const override;
    // QCheckBox::setChecked emits toggled only on a change, which runs the box's handler as a
    // click does.
    void SetChecked(acquisition::ServerBox box, bool checked) override;
    void SetServerPanelVisible(bool visible) override;
    void SetServerTimerEnabled(bool enabled) override;
    void SetGetTsOrveskEnabled(bool enabled) override;
    void FillTsList() override;

private:
    TForm1& form_;
};

}  // namespace ui
