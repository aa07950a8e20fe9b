#include "ui/main/form1_sources.h"

#include <QCheckBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QTimer>

#include "ui/model/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "ui/model/texts.h"

namespace ui {

namespace {

QCheckBox* Box(TForm1& form, acquisition::ServerBox box) {
    switch (box) {
        case acquisition::ServerBox::Check_Server:
            return form.Check_Server;
        case acquisition::ServerBox::Check_Get_TS_Server:
            return form.Check_Get_TS_Server;
        case acquisition::ServerBox::Check_Get_Names_Server:
            return form.Check_Get_Names_Server;
    }
    return form.Check_Server;
}

void EnableTimer(QTimer* timer, bool enabled) {
    if (!enabled) {
        timer->stop();
    } else if (!timer->isActive()) {
        timer->start();
    }
}

}  // namespace

// ---- The port ----

void TForm1SourcePort::ShowError(const std::string& text) {
    form_.Boxes().Message({text, Texts().errorCaption, interlock::Icon::Error});
}

std::optional<std::string> TForm1SourcePort::AskText(const std::string& caption, const std::string& prompt,
                                                     const std::string& value) {
    return form_.Boxes().InputBox(caption, prompt, value);
}

void TForm1SourcePort::TsValuesChanged(const interlock::TsCascade& cascade) {
    form_.TsValuesChanged(cascade);
}

// ---- The server controls ----

bool TForm1ServerControls::WindowReady() const { return form_.WindowReady(); }

bool TForm1ServerControls::Checked(acquisition::ServerBox box) const { return Box(form_, box)->isChecked(); }

void TForm1ServerControls::SetChecked(acquisition::ServerBox box, bool checked) {
    Box(form_, box)->setChecked(checked);
}

void TForm1ServerControls::SetServerPanelVisible(bool visible) { form_.Server_Panel->setVisible(visible); }

void TForm1ServerControls::SetServerTimerEnabled(bool enabled) {
    EnableTimer(form_.Get_TS_Server_Timer, enabled);
}

void TForm1ServerControls::SetReceptionBoxEnabled(bool enabled) {
    form_.Check_Get_TS_Server->setEnabled(enabled);
}

// ---- The RTU reception controls ----

bool TForm1RtuControls::WindowReady() const { return form_.WindowReady(); }

bool TForm1RtuControls::Checked() const { return form_.Check_Get_TS_Orvesk->isChecked(); }

void TForm1RtuControls::SetChecked(bool checked) { form_.Check_Get_TS_Orvesk->setChecked(checked); }

void TForm1RtuControls::SetEnabled(bool enabled) { form_.Check_Get_TS_Orvesk->setEnabled(enabled); }

void TForm1RtuControls::SetTimerEnabled(bool enabled) { EnableTimer(form_.Get_TS_Orvesk_Timer, enabled); }

// The log is brought up to date right after the handler that logged, so that the verdict of a
// response reaches the screen first. Only the lines the log keeps are added: a burst longer than
// the log shows its newest lines.
void TForm1RtuControls::AppendLog(const std::vector<std::string>& lines) {
    const bool idle = pendingLog_.empty();
    pendingLog_.insert(pendingLog_.end(), lines.begin(), lines.end());
    const int keep = form_.Memo1->maximumBlockCount();
    if (keep > 0 && pendingLog_.size() > static_cast<size_t>(keep))
        pendingLog_.erase(pendingLog_.begin(), pendingLog_.end() - keep);
    if (idle)
        QMetaObject::invokeMethod(
            &form_, [this] { FlushLog(); }, Qt::QueuedConnection);
}

// A slice of the waiting lines a turn of the event loop: laying out a burst of long lines (a
// datagram may be kilobytes of noise) at once would hold the window up for a second.
void TForm1RtuControls::FlushLog() {
    constexpr size_t kSliceChars = 32 * 1024;
    if (pendingLog_.empty()) return;
    QString text;
    size_t taken = 0, chars = 0;
    while (taken < pendingLog_.size() && (taken == 0 || chars < kSliceChars)) {
        if (taken > 0) text += '\n';
        text += ToQString(pendingLog_[taken]);
        chars += pendingLog_[taken].size();
        ++taken;
    }
    pendingLog_.erase(pendingLog_.begin(), pendingLog_.begin() + static_cast<std::ptrdiff_t>(taken));
    form_.Memo1->appendPlainText(text);
    if (!pendingLog_.empty())
        QMetaObject::invokeMethod(
            &form_, [this] { FlushLog(); }, Qt::QueuedConnection);
}

}  // namespace ui
