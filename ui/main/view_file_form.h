#pragma once

// TView_File_Form: the configuration as text, edited and applied in one piece. Its text is
// also the backup copy taken before a configuration file is loaded.

#include <QDialog>
#include <optional>

#include "storage/config_text.h"

class QPlainTextEdit;

namespace ui {

class Dialogs;
class TColorButton;
class TForm1;

class TView_File_Form : public QDialog {
    Q_OBJECT
public:
    // Creating the viewer performs the start-up restore of the main window.
    TView_File_Form(TForm1& mainWindow, Dialogs& dialogs);

    // The text of the viewer. It reaches the memo only when the viewer is shown: a load keeps
    // its backup here, and a large configuration laid into a hidden memo would hold up the load.
    void SetLines(storage::Lines lines);
    storage::Lines Lines() const;

    QPlainTextEdit* Memo1 = nullptr;
    TColorButton* Save_Button = nullptr;
    TColorButton* Close_Button = nullptr;

    void Save_ButtonClick();
    void Close_ButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowPendingLines();

    std::optional<storage::Lines> pending_;  // the text, while the memo does not show it yet
    TForm1& main_;
    Dialogs& dialogs_;
};

}  // namespace ui
