#include "ui/main/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolTip>

#include "interlock/engine_texts.h"
#include "interlock/int_rule.h"
#include "interlock/report.h"
#include "storage/config_text.h"
#include "storage/texts.h"
#include "ui/main/editor_feed.h"
#include "ui/main/templates_form.h"
#include "ui/main/ts_captions_form.h"
#include "ui/main/view_file_form.h"
#include "ui/main/window_entries.h"
#include "ui/main/window_settings.h"
#include "ui/mimic/mimic_texts.h"
#include "ui/mimic/mimic_window.h"
#include "ui/mimic/mimic_window_texts.h"
#include "ui/analysis/analysis_form.h"
#include "ui/model/dialogs.h"
#include "ui/model/texts.h"
#include "ui/sources/ts_sources.h"
#include "ui/widgets/color_button.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/command_button.h"
#include "ui/widgets/design_parts.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/signal_grids.h"
#include "ui/widgets/ts_list_grid.h"
#include "ui/widgets/widgets.h"
#include "ui/workbench/document.h"

namespace ui {

using interlock::Side;
using View = interlock::TsCascade::View;
namespace col = interlock::colour;

namespace {

// Typing limits of the one-line fields. They hold for typing only: a text the program puts
// into a field (a name from a configuration file, channel and RTU texts from the settings)
// goes in whole, so that taking the field back into the block or the settings loses nothing.
constexpr int kNameLimit = 40;
constexpr int kStateLimit = 6;
constexpr int kServerFieldLimit = WindowSettings::kServerFieldLimit;

}  // namespace

TForm1::TForm1(Workbench& workbench, QWidget* parent) : TForm1(nullptr, &workbench, parent) {}

TForm1::TForm1(interlock::Workspace& ws, Dialogs& dialogs, storage::FilePlaces places, QWidget* parent)
    : TForm1(std::make_unique<Workbench>(ws, dialogs, std::move(places)), nullptr, parent) {}

TForm1::TForm1(std::unique_ptr<Workbench> own, Workbench* shared, QWidget* parent)
    : QWidget(parent),
      ownWorkbench_(std::move(own)),
      workbench_(ownWorkbench_ ? *ownWorkbench_ : *shared),
      ws_(workbench_.Ws()),
      dialogs_(workbench_.Boxes()) {
    workbench_.Attach(this);
    // 1-7: the tables, the blocks and the tabs start afresh.
    windowReady_ = false;
    ws_.CurrentView = Side::On;
    for (int n = 1; n <= interlock::kBlockCount; ++n) ws_.Blocks[n].Create(n);
    BuildWidgets();
    editorFeed_ = std::make_unique<EditorFeed>(workbench_, *Logic);
    for (int i = 1; i <= 16; ++i) {
        interlock::PaintBlockTab(ws_, i, {col::kWindowBackground, col::kBlack, ws_.Tabs[i].enabled, false});
    }
    ws_.TabGroup = 0;
    workbench_.Doc().SetTempCounter(0);
    ws_.TsTable.Reset();
    // The handlers exist from the start; the gated ones do nothing until the window is ready.
    ConnectHandlers();
    // 8-9: settings (the sources start as their boxes say), then the M panel as its box says.
    settings_->Load();
    sources_->StartUp();
    ApplyShowM();
    // 10-13: width, grid captions, hints.
    TS_Grid->SetCaptions(ToQString(interlock::Texts().ts), ToQString(Texts().gridValue));
    QToolTip::setFont(DesignFont("Verdana", 15));
    windowReady_ = true;
    sources_->SetWindowReady();
    ApplyTabs();
    ApplyHeight();
}

TForm1::~TForm1() {
    FormDestroy();
    // Steps left would act on this window: a workbench shared with others outlives it.
    workbench_.CancelSteps(StepOwner::Load);
    workbench_.CancelSteps(StepOwner::Editor);
    workbench_.Attach(nullptr);
}

void TForm1::BuildWidgets() {
    setWindowTitle(ToQString(storage::MainCaption()));
    setFont(DesignFont("MS Sans Serif", 13));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(col::kWindowBackground));
    setPalette(pal);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowTitleHint);

    auto tab = [this](QWidget* parent, const QString& caption, QRect g) {
        auto* b = new TColorButton(parent);
        b->setCaption(caption);
        b->setGeometry(g);
        b->setFlat(false);
        b->setFont(DesignFont("MS Sans Serif", 13));
        return b;
    };
    Tab1_16 = tab(this, "1-16", QRect(0, 0, 45, 34));
    Tab17_32 = tab(this, "17-32", QRect(45, 0, 55, 25));
    for (int i = 1; i <= 16; ++i) {
        Tab[i] = tab(this, QString::number(i), QRect(112 + 40 * (i - 1), 0, 40, i == 1 ? 34 : 25));
        Tab[i]->setObjectName(QString("Tab%1").arg(i));
    }

    Top_Label_Name = MakeLabel(this, ToQString(interlock::Texts().nameLabelDesign), QRect(56, 38, 633, 33),
                               24, Qt::AlignHCenter | Qt::AlignTop);
    Top_Label3 = MakeLabel(this, ToQString(Texts().stateCaption), QRect(16, 70, 105, 25), 19);
    Top_Label4 = MakeLabel(this, ToQString(interlock::Texts().unknown), QRect(128, 70, 121, 25), 19,
                           Qt::AlignLeft | Qt::AlignTop, true);
    Top_Label7 = MakeLabel(this, ToQString(interlock::Texts().warningDesign), QRect(264, 70, 225, 25), 19,
                           Qt::AlignHCenter | Qt::AlignTop);
    {
        QPalette p = Top_Label7->palette();
        p.setColor(QPalette::WindowText, ToQColor(col::kRed));
        Top_Label7->setPalette(p);
        Top_Label7->hide();
    }
    Top_Label5 = MakeLabel(this, ToQString(interlock::Texts().controlCaption), QRect(502, 70, 123, 25), 19,
                           Qt::AlignRight | Qt::AlignTop);
    Top_Label6 = MakeLabel(this, QStringLiteral("???"), QRect(632, 70, 113, 25), 19,
                           Qt::AlignLeft | Qt::AlignTop, true);

    Logic_Panel = MakePanel(this, QRect(8, 96, 385, 393), true);
    Tab_On = tab(Logic_Panel, ToQString(Texts().onTab), QRect(16, 16, 129, 25));
    Tab_Off = tab(Logic_Panel, ToQString(Texts().offTab), QRect(145, 16, 129, 25));
    Tab_On->setFont(DesignFont("Verdana", 13));
    Tab_Off->setFont(DesignFont("Verdana", 13));
    Logic = new LogicEditor(Logic_Panel);
    Logic->setGeometry(16, 40, 353, 289);
    Logic->setLineWrapMode(QPlainTextEdit::NoWrap);
    Logic->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Logic->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Logic->setFont(DesignFont("Lucida Sans", 16));
    auto* labelName = MakeLabel(Logic_Panel, ToQString(interlock::Texts().nameLabelDesign),
                                QRect(16, 336, 193, 25), 13, Qt::AlignLeft | Qt::AlignTop, true);
    labelName->setObjectName("Label_Block_Name");
    Block_Name = new QLineEdit(Logic_Panel);
    Block_Name->setGeometry(16, 360, 193, 20);
    LimitTyping(Block_Name, kNameLimit);
    Block_Name->setAlignment(Qt::AlignHCenter);
    Block_Name->setFont(DesignFont("MS Sans Serif", 11));
    auto* labelState = MakeLabel(Logic_Panel, ToQString(Texts().stateTsLabel), QRect(224, 336, 153, 25), 13,
                                 Qt::AlignLeft | Qt::AlignTop, true);
    labelState->setObjectName("Label_TS_State");
    TS_State_Number = new QLineEdit(QStringLiteral("S1"), Logic_Panel);
    TS_State_Number->setGeometry(224, 360, 65, 20);
    LimitTyping(TS_State_Number, kStateLimit);
    TS_State_Number->setAlignment(Qt::AlignHCenter);
    TS_State_Value = new ClickableLabel(Logic_Panel);
    TS_State_Value->setGeometry(304, 360, 65, 20);
    TS_State_Value->setText("0");
    TS_State_Value->setAlignment(Qt::AlignCenter);
    TS_State_Value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TS_State_Value->setFont(DesignFont("MS Sans Serif", 13, true));
    TS_State_Value->setAutoFillBackground(true);
    {
        QPalette p = TS_State_Value->palette();
        p.setColor(QPalette::Window, Qt::white);
        TS_State_Value->setPalette(p);
    }

    M_Panel = MakePanel(this, QRect(392, 96, 129, 393), true);
    M_Grid = new MGridWidget(M_Panel);
    M_Grid->setGeometry(16, 16, 102, 369);

    Control_Panel = MakePanel(this, QRect(519, 96, 226, 393), true);
    Tab_Control = tab(Control_Panel, ToQString(Texts().controlTab), QRect(8, 16, 106, 25));
    Tab_Settings = tab(Control_Panel, ToQString(Texts().settingsTab), QRect(112, 16, 105, 25));
    Tab_Control->setFont(DesignFont("Verdana", 13));
    Tab_Settings->setFont(DesignFont("Verdana", 13));
    Buttons_Panel = MakePanel(Control_Panel, QRect(2, 56, 223, 281), false);
    Settings_Panel = MakePanel(Control_Panel, QRect(2, 56, 223, 329), false);
    Settings_Panel->hide();

    auto command = [this](const QString& caption, int top) {
        auto* b = new TColorButton(Buttons_Panel);
        b->setCaption(caption);
        b->setGeometry(20, top, 185, top == 4 ? 26 : 25);
        StyleCommandButton(b);
        return b;
    };
    Recalculate_Button = command(ToQString(Texts().recalculateButton), 4);
    Templates_Button = command(ToQString(Texts().templatesButton), 52);
    Show_TS_Captions_Button = command(ToQString(Texts().tsListButton), 84);
    View_File_Button = command(ToQString(Texts().viewFileButton), 132);
    Load_File_Button = command(ToQString(Texts().loadFileButton), 164);
    Save_File_Button = command(ToQString(Texts().saveFileButton), 196);
    Nullify_Button = command(ToQString(Texts().nullifyButton), 244);

    Check_Color = MakeCheck(Settings_Panel, ToQString(Texts().colourCheck), ToQString(Texts().colourHint),
                            QRect(12, 0, 190, 25));
    Check_Show_TS = MakeCheck(Settings_Panel, ToQString(Texts().showTsCheck), ToQString(Texts().showTsHint),
                              QRect(12, 29, 190, 25));
    Check_Change_TS = MakeCheck(Settings_Panel, ToQString(Texts().changeTsCheck),
                                ToQString(Texts().changeTsHint), QRect(12, 50, 190, 25));
    Check_Show_M = MakeCheck(Settings_Panel, ToQString(Texts().showMCheck), ToQString(Texts().showMHint),
                             QRect(12, 71, 190, 25));
    Check_Save_Temp = MakeCheck(Settings_Panel, ToQString(Texts().saveTempCheck),
                                ToQString(Texts().saveTempHint), QRect(12, 104, 190, 25));
    Check_Save_TS = MakeCheck(Settings_Panel, ToQString(Texts().saveTsCheck), ToQString(Texts().saveTsHint),
                              QRect(12, 125, 205, 25));
    Check_Get_TS_Orvesk = MakeCheck(Settings_Panel, ToQString(Texts().rtuCheck), ToQString(Texts().rtuHint),
                                    QRect(12, 158, 190, 25));
    Check_Server = MakeCheck(Settings_Panel, ToQString(Texts().serverCheck), ToQString(Texts().serverHint),
                             QRect(12, 191, 190, 25));
    Check_Color->setChecked(true);
    Check_Show_TS->setChecked(true);
    Check_Save_TS->setChecked(true);

    Server_Panel = MakePanel(Settings_Panel, QRect(32, 216, 185, 105), false);
    Server_Panel->hide();
    auto* labelChannel = MakeLabel(Server_Panel, ToQString(Texts().channelLabel), QRect(0, 4, 100, 20), 13);
    labelChannel->setObjectName("Label_Channel");
    Server_channel_Number = new QLineEdit("0", Server_Panel);
    Server_channel_Number->setGeometry(104, 2, 40, 20);
    LimitTyping(Server_channel_Number, kServerFieldLimit);
    auto* labelRtu = MakeLabel(Server_Panel, ToQString(Texts().rtuLabel), QRect(0, 28, 100, 20), 13);
    labelRtu->setObjectName("Label_RTU");
    Server_RTU_Number = new QLineEdit("1", Server_Panel);
    Server_RTU_Number->setGeometry(104, 26, 40, 20);
    LimitTyping(Server_RTU_Number, kServerFieldLimit);
    Check_Get_Names_Server = MakeCheck(Server_Panel, ToQString(Texts().namesServerCheck),
                                       ToQString(Texts().namesServerHint), QRect(0, 52, 185, 25));
    Check_Get_TS_Server = MakeCheck(Server_Panel, ToQString(Texts().tsServerCheck),
                                    ToQString(Texts().tsServerHint), QRect(0, 78, 185, 25));

    TS_Grid = new TsGridWidget(this);
    TS_Grid->setGeometry(0, 496, 753, 67);
    TS_Grid->setToolTipDuration(kHintPause);

    Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), this);
    Memo1->setGeometry(760, 352, 297, 201);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

    // Initial looks of the tabs.
    ApplyLook(Tab1_16, interlock::ActiveTabLook());
    ApplyLook(Tab17_32, {col::kWindowBackground, col::kBlack, true, false});
    ApplyLook(Tab_On, interlock::ActiveTabLook());
    ApplyLook(Tab_Off, {col::kWindowBackground, col::kBlack, true, false});
    ApplyLook(Tab_Control, {col::kHighlight, col::kWhite, true, true});
    ApplyLook(Tab_Settings, {col::kWindowBackground, col::kBlack, true, false});
    setFixedSize(kOuterWidth - kFrameWidth, outerHeight_ - kFrameHeight);
}

void TForm1::ConnectHandlers() {
    for (int i = 1; i <= 16; ++i)
        connect(Tab[i], &TColorButton::onclick, this, [this, i] { BlockTabClick(i); });
    connect(Tab1_16, &TColorButton::onclick, this, [this] { GroupTabClick(0); });
    connect(Tab17_32, &TColorButton::onclick, this, [this] { GroupTabClick(1); });
    connect(Tab_On, &TColorButton::onclick, this, [this] { ViewTabClick(Side::On); });
    connect(Tab_Off, &TColorButton::onclick, this, [this] { ViewTabClick(Side::Off); });
    connect(Tab_Control, &TColorButton::onclick, this, [this] { PanelTabClick(false); });
    connect(Tab_Settings, &TColorButton::onclick, this, [this] { PanelTabClick(true); });
    connect(TS_State_Number, &QLineEdit::returnPressed, this, &TForm1::StateNumberEnter);
    connect(Block_Name, &QLineEdit::returnPressed, this, &TForm1::BlockNameEnter);
    connect(TS_State_Value, &ClickableLabel::doubleClicked, this, &TForm1::StateValueDoubleClick);
    connect(TS_Grid, &TsGridWidget::ValueKey, this, &TForm1::TsGridKey);
    connect(TS_Grid, &TsGridWidget::CellDoubleClicked, this, &TForm1::TsGridDoubleClick);
    connect(TS_Grid, &TsGridWidget::PointerMoved, this, &TForm1::TsGridPointerMoved);
    connect(Recalculate_Button, &TColorButton::onclick, this, &TForm1::Recalculate_ButtonClick);
    connect(Nullify_Button, &TColorButton::onclick, this, &TForm1::Nullify_ButtonClick);
    connect(View_File_Button, &TColorButton::onclick, this, &TForm1::View_File_ButtonClick);
    Document& doc = workbench_.Doc();
    connect(Load_File_Button, &TColorButton::onclick, &doc, &Document::Load_File_ButtonClick);
    connect(Save_File_Button, &TColorButton::onclick, &doc, &Document::Save_File_ButtonClick);
    connect(&doc, &Document::CaptionChanged, this,
            [this](const std::string& caption) { setWindowTitle(ToQString(caption)); });
    connect(Templates_Button, &TColorButton::onclick, this, &TForm1::Templates_ButtonClick);
    connect(Show_TS_Captions_Button, &TColorButton::onclick, this, &TForm1::Show_TS_Captions_ButtonClick);
    connect(Check_Color, &QCheckBox::toggled, this, &TForm1::Check_ColorClick);
    connect(Check_Show_TS, &QCheckBox::toggled, this, &TForm1::Check_Show_TSClick);
    connect(Check_Change_TS, &QCheckBox::toggled, this, &TForm1::Check_Change_TSClick);
    for (QCheckBox* box : {Check_Change_TS, Check_Get_TS_Orvesk, Check_Get_TS_Server})
        connect(box, &QCheckBox::toggled, &workbench_, &Workbench::NotifyTsEditChanged);
    connect(Check_Show_M, &QCheckBox::toggled, this, &TForm1::Check_Show_MClick);
    connect(Check_Save_Temp, &QCheckBox::toggled, this, &TForm1::Check_Save_TempClick);

    sources_ = std::make_unique<TsSources>(workbench_,
                                           SourceWidgets{.Check_Get_TS_Orvesk = Check_Get_TS_Orvesk,
                                                         .Check_Server = Check_Server,
                                                         .Check_Get_Names_Server = Check_Get_Names_Server,
                                                         .Check_Get_TS_Server = Check_Get_TS_Server,
                                                         .Server_Panel = Server_Panel,
                                                         .Memo1 = Memo1});
    // Releasing the server values rebuilds only the TS grid: show it again all the same.
    connect(sources_.get(), &TsSources::ServerValuesReleasing, this, [this] { shownRefresh_ = ~0u; });
    using storage::Settings;
    settings_ =
        std::make_unique<WindowSettings>(workbench_,
                                         std::vector<WindowSettings::BoxOption>{
                                             {&Settings::colour, Check_Color},
                                             {&Settings::ts_show, Check_Show_TS},
                                             {&Settings::ts_change, Check_Change_TS},
                                             {&Settings::ts_get, Check_Get_TS_Orvesk},
                                             {&Settings::m_show, Check_Show_M},
                                             {&Settings::temp, Check_Save_Temp},
                                             {&Settings::save_ts, Check_Save_TS},
                                             {&Settings::connect, Check_Server},
                                             {&Settings::get_ts, Check_Get_TS_Server},
                                             {&Settings::get_names, Check_Get_Names_Server},
                                         },
                                         Server_channel_Number, Server_RTU_Number, sources_->ServerName());
}

// ---- Moving data between the widgets and the workspace ----

void TForm1::Pull() {
    workbench_.FinishLoad();
    ws_.Fields.TS_State_Number = FromQString(TS_State_Number->text());
    ws_.Fields.Block_Name = FromQString(Block_Name->text());
    // A logic on its way into the editor is the editor's text: nobody has typed into it (a key
    // or a click first finishes the steps).
    if (!workbench_.StepsPending(StepOwner::Editor)) ws_.Fields.Logic = Logic->Lines();
    ws_.Fields.Server_channel_Number = FromQString(Server_channel_Number->text());
    ws_.Fields.Server_RTU_Number = FromQString(Server_RTU_Number->text());
    ws_.Opts.Check_Color = Check_Color->isChecked();
    ws_.Opts.Check_Show_TS = Check_Show_TS->isChecked();
    ws_.Opts.Check_Change_TS = Check_Change_TS->isChecked();
    ws_.Opts.Check_Save_TS = Check_Save_TS->isChecked();
}

void TForm1::Push() {
    PutFieldText(TS_State_Number, ToQString(ws_.Fields.TS_State_Number), kStateLimit);
    PutFieldText(Block_Name, ToQString(ws_.Fields.Block_Name), kNameLimit);
    PutFieldText(Server_channel_Number, ToQString(ws_.Fields.Server_channel_Number), kServerFieldLimit);
    PutFieldText(Server_RTU_Number, ToQString(ws_.Fields.Server_RTU_Number), kServerFieldLimit);
    ApplyTabs();
    if (ws_.Display.refreshCount != shownRefresh_) {
        shownRefresh_ = ws_.Display.refreshCount;
        ApplyReport();
        editorFeed_->Show();
    }
    ApplyHeight();
    ShowQueuedMessages(dialogs_, ws_);
    workbench_.NotifyRefreshed();
}

void TForm1::ApplyTabs() {
    for (int i = 1; i <= 16; ++i) {
        ApplyLook(Tab[i], ws_.Tabs[i]);
        Tab[i]->setCaption(QString::number(i + 16 * ws_.TabGroup));
        bool selected = ws_.CurrentBlock == i + 16 * ws_.TabGroup;
        Tab[i]->resize(40, selected ? 34 : 25);
    }
    ApplyLook(Tab1_16, ws_.GroupTabs[0]);
    ApplyLook(Tab17_32, ws_.GroupTabs[1]);
    Tab1_16->resize(Tab1_16->width(), ws_.TabGroup == 0 ? 34 : 25);
    Tab17_32->resize(Tab17_32->width(), ws_.TabGroup == 1 ? 34 : 25);
    bool on = ws_.CurrentView == Side::On;
    ApplyLook(Tab_On, on ? interlock::ActiveTabLook() : interlock::InactiveTabLook());
    ApplyLook(Tab_Off, on ? interlock::InactiveTabLook() : interlock::ActiveTabLook());
}

void TForm1::ApplyReport() {
    const interlock::Screen& d = ws_.Display;
    SetLabel(Top_Label_Name, d.Top_Label_Name);
    SetLabel(Top_Label4, d.Top_Label4);
    SetLabel(Top_Label5, d.Top_Label5);
    SetLabel(Top_Label6, d.Top_Label6);
    SetLabel(Top_Label7, d.Top_Label7);
    std::vector<std::pair<int, int>> columns;
    for (const auto& [n, v] : d.tsGrid.columns) columns.emplace_back(n, v);
    TS_Grid->SetColumns(columns);
    TS_State_Value->setText(ToQString(d.tsGrid.stateValueText));
    QPalette p = TS_State_Value->palette();
    p.setColor(QPalette::WindowText, ToQColor(d.tsGrid.stateValueColour));
    TS_State_Value->setPalette(p);
    std::vector<std::pair<QString, int>> rows;
    for (const auto& [name, v] : d.mGrid.rows) rows.emplace_back(ToQString(name), v);
    M_Grid->SetRows(rows);
    M_Grid->resize(M_Grid->width(),
                   std::max(369, static_cast<int>(rows.size()) * (MGridWidget::kRowHeight + 1)));
}

interlock::TsEditState TForm1::TsEditState() const {
    return {.changeTs = Check_Change_TS->isChecked(),
            .rtuReceiving = Check_Get_TS_Orvesk->isChecked(),
            .serverReceiving = Check_Get_TS_Server->isChecked()};
}

void TForm1::ApplyHeight() {
    outerHeight_ = ws_.Display.tsGrid.windowHeight;
    const QSize size(kOuterWidth - kFrameWidth, outerHeight_ - kFrameHeight);
    if (minimumSize() != size || maximumSize() != size || this->size() != size) setFixedSize(size);
}

void TForm1::TsValuesChanged(const interlock::TsCascade& cascade) {
    workbench_.RunOperation([&] {
        interlock::RunTsCascade(ws_, cascade);
        if (cascade.refillList && tsCaptionsForm_) tsCaptionsForm_->FillTsList();
    });
}

void TForm1::ShowLogicLine(int block, interlock::Side side, int line) {
    if (block < 1 || block > interlock::kBlockCount) return;
    workbench_.FinishLoad();
    const int group = (block - 1) / 16;
    if (group != ws_.TabGroup) GroupTabClick(group);
    if (ws_.CurrentBlock != block) BlockTabClick(block - 16 * group);
    if (ws_.CurrentView != side) ViewTabClick(side);
    workbench_.Finish();
    if (line > 0) {
        const QTextBlock text = Logic->document()->findBlockByNumber(line - 1);
        if (text.isValid()) {
            Logic->setTextCursor(QTextCursor(text));
            Logic->ensureCursorVisible();
        }
    }
    raise();
    activateWindow();
    Logic->setFocus();
}

// ---- Tabs ----

void TForm1::BlockTabClick(int i) {
    Pull();
    int oldPos = ws_.CurrentBlock - 16 * ws_.TabGroup;
    if (oldPos >= 1 && oldPos <= 16) ws_.Tabs[oldPos].enabled = true;
    interlock::CommitEditor(ws_, ws_.CurrentBlock);
    ws_.CurrentBlock = i + 16 * ws_.TabGroup;
    ws_.Tabs[i].enabled = false;
    interlock::ShowBlock(ws_, ws_.CurrentBlock);
    Push();
}

void TForm1::GroupTabClick(int group) {
    if (ws_.TabGroup == group) return;
    Pull();
    int oldCurrent = ws_.CurrentBlock;
    int oldPos = oldCurrent - 16 * ws_.TabGroup;
    ws_.TabGroup = group;
    for (int i = 1; i <= 16; ++i) {
        interlock::PaintBlockTab(ws_, i + 16 * group,
                                 {col::kInactiveTab, col::kBlack, ws_.Tabs[i].enabled, false});
    }
    interlock::CommitEditor(ws_, oldCurrent);
    if (oldPos >= 1 && oldPos <= 16) ws_.Tabs[oldPos].enabled = true;
    ws_.Tabs[1].enabled = false;
    ws_.CurrentBlock = 1 + 16 * group;
    interlock::RecalculateAll(ws_);
    interlock::ShowBlock(ws_, ws_.CurrentBlock);
    Push();
}

void TForm1::ViewTabClick(Side side) {
    Pull();
    interlock::Block& b = ws_.CurrentBlockRef();
    (ws_.CurrentView == Side::On ? b.OnLogic : b.OffLogic) = ws_.Fields.Logic;
    interlock::SetView(ws_, side);
    interlock::RefreshBlockDisplay(ws_);
    Push();
}

void TForm1::PanelTabClick(bool settings) {
    ApplyLook(settings ? Tab_Control : Tab_Settings, interlock::InactiveTabLook());
    ApplyLook(settings ? Tab_Settings : Tab_Control, interlock::ActiveTabLook());
    Buttons_Panel->setVisible(!settings);
    Settings_Panel->setVisible(settings);
}

// ---- Fields ----

void TForm1::StateNumberEnter() {
    Pull();
    interlock::Block& b = ws_.CurrentBlockRef();
    (ws_.CurrentView == Side::Off ? b.OffLogic : b.OnLogic) = ws_.Fields.Logic;
    const std::string& t = ws_.Fields.TS_State_Number;
    if (!t.empty()) {
        size_t from = t[0] == '~' ? 2 : 1;
        int32_t n = 0;
        if (t.size() >= from &&
            interlock::IsIntInRange(std::string_view(t).substr(from), 1, interlock::kTsCount, &n)) {
            int s = t[0] == '~' ? -n : n;
            if (s != b.StateSignal) interlock::SelectViewByState(ws_);
        }
    }
    interlock::RefreshBlockDisplay(ws_);
    Push();
}

void TForm1::BlockNameEnter() {
    Pull();
    ws_.CurrentBlockRef().SetName(ws_.Fields.Block_Name);
    interlock::RefreshBlockDisplay(ws_);
    Push();
}

void TForm1::StateValueDoubleClick() {
    if (!workbench_.MayEditTs(interlock::TsEdit::Typed)) return;
    interlock::TsTableData& t = ws_.TsTable;
    int s = ws_.CurrentBlockRef().StateSignal;
    int n = s < 0 ? -s : s;
    if (s != 0) t.Value[n] = static_cast<int16_t>(t.Value[n] ^ 1);
    if (t.TwoPosition[n] == 1 && t.FromServer[n] == 0)
        t.Value[n + 1] = static_cast<int16_t>(t.Value[n + 1] ^ 1);
    TsValuesChanged({.fillGrid = true, .view = View::AfterRecalculation, .refillList = false});
}

void TForm1::TsGridKey(char key) {
    if (TS_Grid->CurrentColumn() < 1 || TS_Grid->CurrentRow() != 1 ||
        !workbench_.MayEditTs(interlock::TsEdit::Typed))
        return;
    int n = TS_Grid->Cell(TS_Grid->CurrentColumn(), 0).toInt();
    interlock::TsTableData& t = ws_.TsTable;
    if (!interlock::OperatorSetsTs(t, n)) return;
    t.Value[n] = key == '1' ? 1 : 0;
    TsValuesChanged({.fillGrid = true, .view = View::Keep, .refillList = false});
}

void TForm1::TsGridDoubleClick() {
    if (!workbench_.MayEditTs(interlock::TsEdit::Typed) || TS_Grid->CurrentColumn() < 1) return;
    int n = TS_Grid->Cell(TS_Grid->CurrentColumn(), 0).toInt();
    interlock::TsTableData& t = ws_.TsTable;
    if (!interlock::OperatorSetsTs(t, n)) return;
    if (TS_Grid->CurrentRow() == 1) {
        t.Value[n] = static_cast<int16_t>(t.Value[n] ^ 1);
        const int s = ws_.CurrentBlockRef().StateSignal;
        const bool state = n == (s < 0 ? -s : s);
        TsValuesChanged(
            {.fillGrid = true, .view = state ? View::AfterRecalculation : View::Keep, .refillList = false});
        return;
    }
    std::string hint = interlock::Texts().ts + std::to_string(n);
    if (!t.Name[n].empty()) hint += ":\n\r" + t.Name[n];
    TS_Grid->setToolTip(ToDisplayText(hint));
    QToolTip::showText(QCursor::pos(), TS_Grid->toolTip(), TS_Grid, QRect(), kHintPause);
}

void TForm1::TsGridPointerMoved(QPoint pos) {
    if (TS_Grid->toolTip().isEmpty()) return;
    if (pos.x() <= 0 || pos.x() >= TS_Grid->width() || pos.y() <= 0 || pos.y() >= TS_Grid->height()) {
        TS_Grid->setToolTip(QString());
        QToolTip::hideText();
    }
}

// ---- Buttons ----

void TForm1::Recalculate_ButtonClick() {
    Pull();
    interlock::RecalculateButton(ws_);
    Push();
}

void TForm1::Nullify_ButtonClick() {
    const interlock::EngineTexts& tx = interlock::Texts();
    if (!dialogs_.AskYesNo(tx.nullifyQuestion, tx.nullifyCaption, interlock::Icon::Information)) return;
    Pull();
    interlock::NullifyConfirmed(ws_);
    Push();
}

void TForm1::View_File_ButtonClick() {
    Pull();
    interlock::CommitEditor(ws_, ws_.CurrentBlock);
    Push();
    storage::Lines lines;
    storage::Write_Config_Text(ws_, lines, true);
    viewFileForm_->SetLines(lines);
    viewFileForm_->exec();
}

void TForm1::Show_TS_Captions_ButtonClick() {
    // Not modal: the main window stays usable. Showing the list refills it.
    tsCaptionsForm_->show();
    tsCaptionsForm_->raise();
    tsCaptionsForm_->activateWindow();
}

void TForm1::Templates_ButtonClick() {
    // Modal: the window reads the library afresh and closes after one insertion.
    Pull();
    templatesForm_->Open();
    Push();
}

// ---- Check boxes ----

void TForm1::Check_ColorClick() {
    if (!windowReady_) return;
    Pull();
    Logic->Recolour({});  // plain black text again; the text and its undo history stay
    interlock::Recalculate(ws_, ws_.CurrentBlock);
    interlock::RefreshBlockDisplay(ws_);
    Push();
}

void TForm1::Check_Show_TSClick() {
    if (!windowReady_) return;
    Pull();
    interlock::FillTsGrid(ws_);
    ApplyHeight();
}

void TForm1::Check_Change_TSClick() {
    if (Check_Change_TS->isChecked() && !Check_Show_TS->isChecked()) Check_Show_TS->setChecked(true);
}

void TForm1::Check_Show_MClick() {
    if (!windowReady_) return;
    ApplyShowM();
}

void TForm1::ApplyShowM() {
    if (Check_Show_M->isChecked()) {
        M_Panel->show();
        Control_Panel->move(M_Panel->x() + M_Panel->width() - 2, Control_Panel->y());
    } else {
        M_Panel->hide();
        Control_Panel->move(M_Panel->x() - 2, Control_Panel->y());
    }
}

// The autosave follows the box from the start (the settings set it); the box clicked on saves
// at once.
void TForm1::Check_Save_TempClick() {
    workbench_.Doc().SetAutosave(Check_Save_Temp->isChecked());
    if (windowReady_ && Check_Save_Temp->isChecked()) workbench_.Doc().Temp_SaverTimer();
}

// ---- Start-up and exit ----

void TForm1::CreateSecondaryWindows() {
    auto* viewer = new TView_File_Form(workbench_);
    workbench_.Doc().SetBackupKeeper([viewer](storage::Lines lines) { viewer->SetLines(std::move(lines)); });
    workbench_.Doc().StartupRestore();  // viewFileForm_ is set only once the viewer's creation is over
    viewFileForm_ = viewer;
    templatesForm_ = new TForm5(workbench_, workbench_.Places().config);
    tsCaptionsForm_ = new TForm_TS_Captions(workbench_, this);
    analysisForm_ = new TForm_Analysis(workbench_, this);
    mimicForm_ = new mimic::MimicWindow(workbench_, this);
    AddMimicButton();
    new WindowEntries(workbench_, *analysisForm_, *mimicForm_,
                      {.window = this,
                       .verdict = Top_Label6,
                       .tsGrid = TS_Grid,
                       .tsList = tsCaptionsForm_->StringGrid1,
                       .mimicButton = Mimic_Button});
}

// The mimic's button goes under the others; the panel grows by one button's step to hold it.
void TForm1::AddMimicButton() {
    Buttons_Panel->resize(Buttons_Panel->width(), Buttons_Panel->height() + 32);
    Mimic_Button = new TColorButton(Buttons_Panel);
    Mimic_Button->setCaption(ToQString(mimic::Texts().title));
    Mimic_Button->setGeometry(20, 276, 185, 25);
    Mimic_Button->setToolTip(ToQString(mimic::WindowTexts().buttonHint));
    StyleCommandButton(Mimic_Button);
    Mimic_Button->show();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (exitConfirmed_) {
        event->accept();
        return;
    }
    bool yes = dialogs_.AskYesNo(Texts().exitQuestion, Texts().exitCaption, interlock::Icon::Information);
    // A server call that waits is cancelled first; the window closes once its operation ended.
    if (yes && sources_->CloseAfterServerCall([this] {
            exitConfirmed_ = true;
            close();
        })) {
        event->ignore();
        return;
    }
    if (yes)
        event->accept();
    else
        event->ignore();
}

void TForm1::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    workbench_.Doc().Close();
    settings_->Save();
    workbench_.Doc().SetBackupKeeper({});
    delete viewFileForm_;
    viewFileForm_ = nullptr;
    delete templatesForm_;
    templatesForm_ = nullptr;
    sources_->Close();
}

}  // namespace ui
