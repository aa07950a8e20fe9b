// The main window's side of the mimic: the button on the control panel, F8, and the analysis
// window opened on the block of an apparatus double-clicked there.

#include <QShortcut>

#include "ui/analysis/analysis_form.h"
#include "ui/main/main_window.h"
#include "ui/mimic/mimic_window.h"
#include "ui/mimic/mimic_texts.h"
#include "ui/mimic/mimic_window_texts.h"
#include "ui/widgets/color_button.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/command_button.h"

namespace ui {

void TForm1::SetUpMimicWindow() {
    mimicForm_ = new mimic::MimicWindow(workbench_, this);
    // The button goes under the others; the panel grows by one button's step to hold it.
    Buttons_Panel->resize(Buttons_Panel->width(), Buttons_Panel->height() + 32);
    Mimic_Button = new TColorButton(Buttons_Panel);
    Mimic_Button->setCaption(ToQString(mimic::Texts().title));
    Mimic_Button->setGeometry(20, 276, 185, 25);
    Mimic_Button->setToolTip(ToQString(mimic::WindowTexts().buttonHint));
    StyleCommandButton(Mimic_Button);
    Mimic_Button->show();
    connect(Mimic_Button, &TColorButton::onclick, mimicForm_, &mimic::MimicWindow::Open);
    auto* f8 = new QShortcut(QKeySequence(Qt::Key_F8), this);
    connect(f8, &QShortcut::activated, mimicForm_, &mimic::MimicWindow::Open);
    connect(mimicForm_, &mimic::MimicWindow::AnalysisRequested, this, [this](int block) {
        ShowLogicLine(block, ws_.CurrentView, 0);
        analysisForm_->OpenPage(TForm_Analysis::Why);
    });
}

}  // namespace ui
