#include "ui/form1_server_controls.h"

#include <QCheckBox>
#include <QFrame>
#include <QTimer>

#include "ui/main_window.h"

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

}  // namespace

bool TForm1ServerControls::WindowReady() const { return form_.WindowReady(); }

bool TForm1ServerControls::Checked(acquisition::ServerBox box) const { return Box(form_, box)->isChecked(); }

void TForm1ServerControls::SetChecked(acquisition::ServerBox box, bool checked) {
    Box(form_, box)->setChecked(checked);
}

void TForm1ServerControls::SetServerPanelVisible(bool visible) { form_.Server_Panel->setVisible(visible); }

void TForm1ServerControls::SetServerTimerEnabled(bool enabled) {
    QTimer* timer = form_.Get_TS_Server_Timer;
    if (!enabled) {
        timer->stop();
    } else if (!timer->isActive()) {
        timer->start();
    }
}

void TForm1ServerControls::SetGetTsOrveskEnabled(bool enabled) {
    form_.Check_Get_TS_Orvesk->setEnabled(enabled);
}

void TForm1ServerControls::FillTsList() { form_.FillTsList(); }

}  // namespace ui
