#pragma once

// TForm1: the main window. It shows one interlock block at a time with its verdict line,
// its logic in the editor, the TS and M grids, the command buttons and the options. The window
// owns the widgets and runs the handlers; the interlock engine decides what they show.

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "storage/config_files.h"
#include "storage/config_text.h"
#include "storage/file_places.h"
#include "interlock/ts_cascade.h"
#include "interlock/workspace.h"
#include "ui/widgets/logic_editor.h"
#include "ui/workbench/workbench.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QFrame;

namespace acquisition {
class ReceptionRule;
class RtuReception;
class HostTmLibrary;
class QtTmHostLoop;
class ServerLink;
class TmLibrary;
}  // namespace acquisition

namespace ui {

class Dialogs;
class TColorButton;
class TsGridWidget;
class MGridWidget;
class TView_File_Form;
class TForm5;
class TForm_TS_Captions;
class ClickableLabel;
class TForm1ServerControls;
class TForm_Analysis;
class TForm1RtuControls;
class TForm1SourcePort;

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
    // workbench the program shares. `places` are the folders of the program's files (one
    // folder: all beside each other), ending in "/", as Windows-1251 text like every path the
    // window keeps (file names become UTF-8 only where a file is opened).
    TForm1(Workbench& workbench, storage::FilePlaces places, QWidget* parent = nullptr);
    // A main window with a workbench of its own (a window standing alone, as tests run it).
    TForm1(interlock::Workspace& ws, Dialogs& dialogs, storage::FilePlaces places, QWidget* parent = nullptr);
    ~TForm1() override;

    // Creates the secondary windows; the viewer's creation restores the last temporary file
    // and shows block 1.
    void CreateSecondaryWindows();

    // The outer height the window has by design (524, 577 or 596).
    int OuterHeight() const { return outerHeight_; }
    bool WindowReady() const { return windowReady_; }
    int8_t TempCounter() const { return tempCounter_; }

    interlock::Workspace& Ws() { return ws_; }
    Dialogs& Boxes() { return dialogs_; }
    Workbench& Bench() { return workbench_; }
    TView_File_Form* ViewFileForm() const { return viewFileForm_; }
    TForm5* TemplatesForm() const { return templatesForm_; }
    TForm_TS_Captions* TsCaptionsForm() const { return tsCaptionsForm_; }
    TForm_Analysis* AnalysisForm() const { return analysisForm_; }

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
    QTimer* Temp_Saver = nullptr;
    QTimer* Get_TS_Orvesk_Timer = nullptr;
    QTimer* Get_TS_Server_Timer = nullptr;

    // Handlers (public so that the other windows and the tests reach them as a click does).
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
    void Load_File_ButtonClick();
    // Loads a file named by the user outside the window (the command line, a file manager) as
    // if chosen in the open dialog; `name` in the program's text.
    void LoadChosenFile(const std::string& name);
    void Save_File_ButtonClick();
    void Templates_ButtonClick();
    void Temp_SaverTimer();
    void Show_TS_Captions_ButtonClick();

    // Refills the TS list window, shown or hidden (after TS values have changed).
    void FillTsList();

    // TS values changed (from a source, the grid, the state value or the TS list): the
    // cascade the trigger needs, the TS list refilled when asked, the window shown again.
    void TsValuesChanged(const interlock::TsCascade& cascade) override;

    // The TS sources, and the handlers of their controls and timers.
    static constexpr int kMemoLineLimit = 1000;  // newest receipt log lines kept in Memo1
    acquisition::RtuReception& Rtu();
    acquisition::ServerLink& Server();
    // A server call waits for the helper's answer.
    bool ServerCallPending() const;
    void Check_Get_TS_OrveskClick();
    void Get_TS_Orvesk_TimerTimer();
    void Check_ServerClick();
    void Check_Get_Names_ServerClick();
    void Check_Get_TS_ServerClick();
    void Get_TS_Server_TimerTimer();

    // Applies the text edited in the configuration viewer (after its confirmation).
    void ApplyViewerText(const storage::Lines& lines) override;

    // A block, side and line (from 1; 0: none) shown as a block tab click shows a block.
    void ShowLogicLine(int block, interlock::Side side, int line) override;
    // The right-click menus that open the analysis window (shown at `pos` of the widget).
    void VerdictContextMenu(QPoint pos);
    void TsGridContextMenu(QPoint pos);
    void TsListContextMenu(QPoint pos);

    // Copies the fields into the workspace before a core operation, and shows the workspace
    // again afterwards (labels, tabs, grids, editor, queued messages).
    void Pull() override;
    void Push() override;

    // A logic of many lines reaches the editor in steps of the workbench's queue (its text a
    // part at a time, then its colours), so that the window answers in between. Until then the
    // logic on its way is the editor's text for Pull, so that a timer's refresh (the TS sources)
    // need not wait for it; a refresh replaces the steps left. A configuration of a logic as
    // large is loaded in steps too: the file is read and its blocks compiled in two passes, and
    // the blocks recalculated and the window refreshed in a third; Pull, a key or mouse press
    // and the analysis window's refresh first finish the load.
    bool StepsPending() const { return workbench_.StepsPending(); }
    // The size, in bytes of its lines, from which a logic is shown in steps, and the characters
    // a step puts into the editor's document.
    void SetStaging(size_t logicBytes, size_t charactersPerStep) {
        stagedLogicBytes_ = logicBytes;
        charactersPerStep_ = charactersPerStep;
    }
    static constexpr size_t kStagedLogicBytes = 1 << 20;
    static constexpr size_t kCharactersPerStep = 2 << 20;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWidgets();
    void ConnectHandlers();
    void Load_Settings();
    void Save_Settings();
    void FormDestroy();
    void Check_ColorClick();
    void Check_Show_TSClick();
    void Check_Change_TSClick();
    void Check_Show_MClick();
    void ApplyShowM();
    void Check_Save_TempClick();
    void ApplyTabs();
    void ApplyReport();
    void ApplyEditor();
    void ColourEditor();
    // The load's last step: the blocks recalculated, the viewer given the configuration before.
    void CompleteLoad(storage::LoadResult r, storage::Lines backup);
    void ApplyHeight();
    void ShowFileError(const std::string& text);
    // The start-up restore run once the viewer is created: it receives the backup taken before
    // the temporary file is read.
    void StartupRestore(TView_File_Form& viewer);
    interlock::TsEditState TsEditState() const override;
    QWidget* MainWidget() override { return this; }
    TForm1(std::unique_ptr<Workbench> own, Workbench* shared, storage::FilePlaces places, QWidget* parent);

    std::unique_ptr<Workbench> ownWorkbench_;  // only for a window standing alone
    Workbench& workbench_;
    interlock::Workspace& ws_;
    Dialogs& dialogs_;
    storage::FilePlaces places_;
    bool windowReady_ = false;
    int8_t tempCounter_ = 0;
    int outerHeight_ = 524;
    unsigned shownRefresh_ = ~0u;
    std::string serverName_;
    bool destroyed_ = false;
    TView_File_Form* viewFileForm_ = nullptr;
    TForm5* templatesForm_ = nullptr;
    TForm_TS_Captions* tsCaptionsForm_ = nullptr;  // a child window, deleted with this one
    TForm_Analysis* analysisForm_ = nullptr;       // a child window, deleted with this one
    void SetUpAnalysisWindow();
    // The TS sources: the port they reach the window through, each source with its controls,
    // and the rule that only one receives at a time.
    void SetUpSources();
    void SourcesStartUp();
    void SourcesClose();
    void StartUpSources(const std::function<void()>& step);
    // Runs `operation` between Pull and Push, unless an operation already runs.
    void RunOperation(const std::function<void()>& operation);
    void RunServerOperation(void (acquisition::ServerLink::*operation)());
    // A server call waits for the helper's answer in the event loop: the operation that made
    // it is put aside (its data shown, the panel disabled) and taken up again afterwards.
    void ServerCallWaiting(bool waiting);
    // The window closing while a server call waits: the call is cancelled, the operation ends,
    // then the window closes (the question already answered) with the boxes as they were.
    // True when the close must wait for that.
    bool CloseAfterServerCall();
    bool closeAfterServer_ = false;
    bool exitConfirmed_ = false;
    std::array<bool, 3> serverBoxesAtClose_{};
    bool serverOperation_ = false;                 // a server operation runs (its calls may wait in the loop)
    int suspendedDepth_ = 0;                       // operationDepth_ of the operation put aside
    acquisition::QtTmHostLoop* tmLoop_ = nullptr;  // a child: it outlives tmLibrary_
    std::unique_ptr<TForm1SourcePort> sourcePort_;
    std::unique_ptr<TForm1RtuControls> rtuControls_;
    std::unique_ptr<acquisition::RtuReception> rtu_;
    std::unique_ptr<acquisition::TmLibrary> tmLibrary_;
    std::unique_ptr<TForm1ServerControls> serverControls_;
    std::unique_ptr<acquisition::ServerLink> serverLink_;
    std::unique_ptr<acquisition::ReceptionRule> reception_;
    int operationDepth_ = 0;
    size_t stagedLogicBytes_ = kStagedLogicBytes;
    size_t charactersPerStep_ = kCharactersPerStep;
};

}  // namespace ui
