#pragma once

// TForm1: the main window. It shows one interlock block at a time with its verdict line,
// its logic in the editor, the TS and M grids, the command buttons and the options. The window
// owns the widgets and runs the handlers; the interlock engine decides what they show.

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "interlock/ts_cascade.h"
#include "interlock/workspace.h"
#include "storage/file_places.h"
#include "ui/widgets/logic_editor.h"
#include "ui/workbench/workbench.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QFrame;

namespace mimic {
class MimicWindow;
}

namespace ui {

class Dialogs;
class TColorButton;
class TsGridWidget;
class MGridWidget;
class TView_File_Form;
class TForm5;
class TForm_TS_Captions;
class ClickableLabel;
class TForm_Analysis;
class TsSources;
class WindowSettings;
class EditorFeed;

class TForm1 : public QWidget, public WorkbenchHost {
    Q_OBJECT
public:
    // Window frame allowances: the design's outer sizes include a title bar and borders. With
    // 30 the tallest window (596) has exactly the design client height of 566, and at 577 both
    // grid rows show while at 524 the grid (top 496) lies below the client area.
    static constexpr int kFrameWidth = 16;
    static constexpr int kFrameHeight = 30;
    static constexpr int kOuterWidth = 1200;

    // Runs the main window's part of the start-up (tables, tabs, settings, layout) over the
    // workbench the program shares.
    explicit TForm1(Workbench& workbench, QWidget* parent = nullptr);
    // A main window with a workbench of its own (a window standing alone, as tests run it).
    // `places` as the workbench takes them.
    TForm1(interlock::Workspace& ws, Dialogs& dialogs, storage::FilePlaces places, QWidget* parent = nullptr);
    ~TForm1() override;

    // Creates the secondary windows; the viewer's creation restores the last temporary file
    // and shows block 1.
    void CreateSecondaryWindows();

    // The outer height the window has by design (524, 577 or 596).
    int OuterHeight() const { return outerHeight_; }
    bool WindowReady() const { return windowReady_; }

    Workbench& Bench() { return workbench_; }
    TsSources& Sources() { return *sources_; }
    TView_File_Form* ViewFileForm() const { return viewFileForm_; }
    TForm5* TemplatesForm() const { return templatesForm_; }
    TForm_TS_Captions* TsCaptionsForm() const { return tsCaptionsForm_; }
    TForm_Analysis* AnalysisForm() const { return analysisForm_; }
    mimic::MimicWindow* MimicForm() const { return mimicForm_; }

    // Widgets, named as the design names them (for the windows' tests and helpers).
    std::array<TColorButton*, 17> Tab{};  // Tab1..Tab16 at 1..16
    TColorButton* Tab1_16 = nullptr;
    TColorButton* Tab17_32 = nullptr;
    TColorButton* Tab_On = nullptr;
    TColorButton* Tab_Off = nullptr;
    TColorButton* Tab_Control = nullptr;
    TColorButton* Tab_Settings = nullptr;
    QLabel* Top_Label_Name = nullptr;
    QLabel* Top_Label3 = nullptr;
    QLabel* Top_Label4 = nullptr;
    QLabel* Top_Label5 = nullptr;
    QLabel* Top_Label6 = nullptr;
    QLabel* Top_Label7 = nullptr;
    QFrame* Logic_Panel = nullptr;
    LogicEditor* Logic = nullptr;
    QLineEdit* Block_Name = nullptr;
    QLineEdit* TS_State_Number = nullptr;
    ClickableLabel* TS_State_Value = nullptr;
    QFrame* M_Panel = nullptr;
    MGridWidget* M_Grid = nullptr;
    QFrame* Control_Panel = nullptr;
    QFrame* Buttons_Panel = nullptr;
    QFrame* Settings_Panel = nullptr;
    QFrame* Server_Panel = nullptr;
    TsGridWidget* TS_Grid = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    TColorButton* Recalculate_Button = nullptr;
    TColorButton* Templates_Button = nullptr;
    TColorButton* Show_TS_Captions_Button = nullptr;
    TColorButton* View_File_Button = nullptr;
    TColorButton* Load_File_Button = nullptr;
    TColorButton* Save_File_Button = nullptr;
    TColorButton* Nullify_Button = nullptr;
    TColorButton* Mimic_Button = nullptr;  // "Мнемосхема", also F8
    QCheckBox* Check_Color = nullptr;
    QCheckBox* Check_Show_TS = nullptr;
    QCheckBox* Check_Change_TS = nullptr;
    QCheckBox* Check_Show_M = nullptr;
    QCheckBox* Check_Save_Temp = nullptr;
    QCheckBox* Check_Save_TS = nullptr;
    QCheckBox* Check_Get_TS_Orvesk = nullptr;
    QCheckBox* Check_Server = nullptr;
    QCheckBox* Check_Get_Names_Server = nullptr;
    QCheckBox* Check_Get_TS_Server = nullptr;
    QLineEdit* Server_channel_Number = nullptr;
    QLineEdit* Server_RTU_Number = nullptr;

    // Handlers (public so that the tests reach them as a click does).
    void BlockTabClick(int i);
    void GroupTabClick(int group);
    void ViewTabClick(interlock::Side side);
    void PanelTabClick(bool settings);
    void StateNumberEnter();
    void BlockNameEnter();
    void StateValueDoubleClick();
    void TsGridKey(char key);
    void TsGridDoubleClick();
    void TsGridPointerMoved(QPoint pos);
    void Recalculate_ButtonClick();
    void Nullify_ButtonClick();
    void View_File_ButtonClick();
    void Templates_ButtonClick();
    void Show_TS_Captions_ButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What the workbench asks of the window. Pull copies the fields into the workspace before a
    // core operation, Push shows the workspace again (labels, tabs, grids, editor, queued
    // messages).
    void Pull() override;
    void Push() override;
    // TS values changed (from a source, the grid, the state value or the TS list): the cascade
    // the trigger needs, the TS list refilled when asked, the window shown again.
    void TsValuesChanged(const interlock::TsCascade& cascade) override;
    // A block, side and line (from 1; 0: none) shown as a block tab click shows a block.
    void ShowLogicLine(int block, interlock::Side side, int line) override;
    interlock::TsEditState TsEditState() const override;
    QWidget* MainWidget() override { return this; }

    TForm1(std::unique_ptr<Workbench> own, Workbench* shared, QWidget* parent);
    void BuildWidgets();
    void ConnectHandlers();
    void FormDestroy();
    void Check_ColorClick();
    void Check_Show_TSClick();
    void Check_Change_TSClick();
    void Check_Show_MClick();
    void ApplyShowM();
    void Check_Save_TempClick();
    void ApplyTabs();
    void ApplyReport();
    void ApplyHeight();
    void AddMimicButton();

    std::unique_ptr<Workbench> ownWorkbench_;  // only for a window standing alone
    Workbench& workbench_;
    interlock::Workspace& ws_;
    Dialogs& dialogs_;
    bool windowReady_ = false;
    bool destroyed_ = false;
    bool exitConfirmed_ = false;
    int outerHeight_ = 524;
    unsigned shownRefresh_ = ~0u;
    TView_File_Form* viewFileForm_ = nullptr;
    TForm5* templatesForm_ = nullptr;
    TForm_TS_Captions* tsCaptionsForm_ = nullptr;  // a child window, deleted with this one
    TForm_Analysis* analysisForm_ = nullptr;       // a child window, deleted with this one
    mimic::MimicWindow* mimicForm_ = nullptr;      // a child window, deleted with this one
    std::unique_ptr<TsSources> sources_;
    std::unique_ptr<WindowSettings> settings_;
    std::unique_ptr<EditorFeed> editorFeed_;  // the logic into the editor, in steps when large
};

}  // namespace ui
