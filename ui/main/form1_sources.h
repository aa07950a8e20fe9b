#pragma once

// The main window as the TS sources see it: the boxes and the "TS values changed" cascade
// (SourcePort), the server controls and the RTU reception controls.

#include "acquisition/rtu_reception.h"
#include "acquisition/server_link.h"

namespace ui {

class TForm1;

class TForm1SourcePort : public acquisition::SourcePort {
public:
    explicit TForm1SourcePort(TForm1& form) : form_(form) {}

    void ShowError(const std::string& text) override;
    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& value) override;
    void TsValuesChanged(const interlock::TsCascade& cascade) override;

private:
    TForm1& form_;
};

// QCheckBox::setChecked emits toggled only on a change, which runs the box's handler as a click
// does.
class TForm1ServerControls : public acquisition::ServerControls {
public:
    explicit TForm1ServerControls(TForm1& form) : form_(form) {}

    bool WindowReady() const override;
    bool Checked(acquisition::ServerBox box) const override;
    void SetChecked(acquisition::ServerBox box, bool checked) override;
    void SetServerPanelVisible(bool visible) override;
    void SetServerTimerEnabled(bool enabled) override;
    void SetReceptionBoxEnabled(bool enabled) override;

private:
    TForm1& form_;
};

class TForm1RtuControls : public acquisition::RtuControls {
public:
    explicit TForm1RtuControls(TForm1& form) : form_(form) {}

    bool WindowReady() const override;
    bool Checked() const override;
    void SetChecked(bool checked) override;
    void SetEnabled(bool enabled) override;
    void SetTimerEnabled(bool enabled) override;
    void AppendLog(const std::vector<std::string>& lines) override;
    // Puts the lines waiting for the log into it now.
    void FlushLog();

private:
    TForm1& form_;
    std::vector<std::string> pendingLog_;
};

}  // namespace ui
