#include "ui/main/view_file_form.h"

#include <QPlainTextEdit>

#include "ui/widgets/color_button.h"
#include "ui/widgets/command_button.h"
#include "ui/widgets/colours.h"
#include "interlock/cp1251.h"
#include "ui/model/dialogs.h"
#include "ui/workbench/document.h"
#include "ui/workbench/workbench.h"
#include "ui/widgets/qt_text.h"
#include "ui/model/texts.h"
#include "ui/widgets/signal_grids.h"

namespace ui {

namespace col = interlock::colour;

TView_File_Form::TView_File_Form(Workbench& workbench)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                           Qt::WindowTitleHint),
      workbench_(workbench),
      dialogs_(workbench.Boxes()) {
    setWindowTitle(ToQString(Texts().viewerCaption));
    setFixedSize(662, 414);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(col::kWindowBackground));
    setPalette(pal);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(8, 8, 641, 361);
    Memo1->setFont(DesignFont("Verdana", 15));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto button = [this](const QString& caption, int left) {
        auto* b = new TColorButton(this);
        b->setCaption(caption);
        b->setGeometry(left, 380, 185, 25);
        StyleCommandButton(b);
        return b;
    };
    Save_Button = button(ToQString(Texts().saveChangesButton), 144);
    Close_Button = button(ToQString(Texts().closeWindowButton), 360);
    connect(Save_Button, &TColorButton::onclick, this, &TView_File_Form::Save_ButtonClick);
    connect(Close_Button, &TColorButton::onclick, this, &TView_File_Form::Close_ButtonClick);
}

void TView_File_Form::SetLines(storage::Lines lines) {
    pending_ = std::move(lines);
    if (isVisible()) ShowPendingLines();
}

void TView_File_Form::ShowPendingLines() {
    if (!pending_) return;
    QString text;
    for (size_t i = 0; i < pending_->size(); ++i) {
        if (i) text += '\n';
        text += ToQString((*pending_)[i]);
    }
    pending_.reset();
    Memo1->setPlainText(text);
}

void TView_File_Form::showEvent(QShowEvent* event) {
    ShowPendingLines();
    QDialog::showEvent(event);
}

storage::Lines TView_File_Form::Lines() const {
    if (pending_) return *pending_;
    return storage::SplitLines(FromQString(Memo1->toPlainText()));
}

void TView_File_Form::Save_ButtonClick() {
    if (!dialogs_.AskYesNo(Texts().saveChangesQuestion, Texts().saveChangesCaption,
                           interlock::Icon::Information))
        return;
    workbench_.Doc().ApplyViewerText(Lines());
}

void TView_File_Form::Close_ButtonClick() { reject(); }

}  // namespace ui
