#pragma once

// The ways from the main window into the analysis window and the mimic: F9 and the right-click
// menus on the verdict, the TS grid and the TS list; F8, the mimic's button, and the analysis
// of an apparatus double-clicked on the mimic.

#include <QObject>
#include <QPoint>

class QLabel;
class QWidget;

namespace mimic {
class MimicWindow;
}

namespace ui {

class TColorButton;
class TForm_Analysis;
class TsGridWidget;
class TsListGrid;
class Workbench;

class WindowEntries : public QObject {
    Q_OBJECT
public:
    // The widgets the entries hang on; the shortcuts belong to `window`.
    struct Widgets {
        QWidget* window = nullptr;
        QLabel* verdict = nullptr;  // Top_Label6
        TsGridWidget* tsGrid = nullptr;
        TsListGrid* tsList = nullptr;  // the TS list window's grid
        TColorButton* mimicButton = nullptr;
    };

    WindowEntries(Workbench& workbench, TForm_Analysis& analysis, mimic::MimicWindow& mimic,
                  const Widgets& w);

private:
    void VerdictMenu(QPoint pos);
    void TsGridMenu(QPoint pos);
    void TsListMenu(QPoint pos);

    Workbench& workbench_;
    TForm_Analysis& analysis_;
    Widgets w_;
};

}  // namespace ui
