#pragma once

// TForm_TS_Captions: the TS list window. It lists the TS of the logic on view, or all 256,
// with their names, values and the "inverted" and "two-position" marks; a double-click on a
// mark toggles it in the TS table. The window is created once, hidden, shown without blocking
// the main window and only hidden when closed; closing recalculates the blocks.

#include <QWidget>

class QRadioButton;

namespace ui {

class TColorButton;
class TForm1;
class TsListGrid;

class TForm_TS_Captions : public QWidget {
    Q_OBJECT
public:
    // The window shows the TS table of the main window's workspace and hands the recalculation
    // on closing to the main window. It stays hidden until shown.
    explicit TForm_TS_Captions(TForm1& mainWindow);

    TsListGrid* StringGrid1 = nullptr;
    QRadioButton* Radio_TS_Block = nullptr;
    QRadioButton* Radio_TS_All = nullptr;
    TColorButton* Templates_Button = nullptr;

    // Refills the list from the TS table, whether the window is shown or not.
    void FillTsList();

    // Handlers (public so that the tests reach them as the user does).
    void Radio_TS_BlockClick();
    void Radio_TS_AllClick();
    void StringGrid1DblClick();
    void Templates_Buttonclick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();

    TForm1& main_;
};

}  // namespace ui
