#include "ui/main/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "ui/widgets/color_button.h"
#include "ui/widgets/command_button.h"
#include "ui/widgets/colours.h"
#include "storage/config_files.h"
#include "interlock/compiled_logic.h"
#include "interlock/cp1251.h"
#include "ui/model/dialogs.h"
#include "ui/model/highlight.h"
#include "interlock/int_rule.h"
#include "ui/widgets/qt_text.h"
#include "interlock/report.h"
#include "storage/settings.h"
#include "interlock/engine_texts.h"
#include "ui/main/form1_sources.h"
#include "acquisition/rtu_reception.h"
#include "acquisition/server_link.h"
#include "acquisition/tm_library.h"
#include "ui/widgets/signal_grids.h"
#include "storage/texts.h"
#include "ui/main/templates_form.h"
#include "ui/model/texts.h"
#include "ui/main/ts_captions_form.h"
#include "ui/main/view_file_form.h"
#include "ui/widgets/widgets.h"

namespace ui {

using interlock::Side;
using View = interlock::TsCascade::View;
namespace col = interlock::colour;

namespace {

constexpr int kHintPause = 30000;

void ApplyLook(TColorButton* b, const interlock::TabLook& look) {
    // The button repaints itself when its normal look changes; the hot and pressed colours it
    // only stores, and a tab under the pointer shows a new hot colour at once only when asked.
    const bool otherLooks = b->HotColor() != look.colour || b->DownColor() != look.colour ||
                            b->HotFontColor() != look.fontColour || b->DownFontColor() != look.fontColour;
    b->setColor(look.colour);
    b->setDownColor(look.colour);
    b->setHotColor(look.colour);
    b->setFontColor(look.fontColour);
    b->setHotFontColor(look.fontColour);
    b->setDownFontColor(look.fontColour);
    b->setFontBold(look.bold);
    b->setEnabled(look.enabled);
    if (otherLooks) b->update();
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, int pixelHeight,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop, bool underline = false) {
    auto* l = new QLabel(text, parent);
    QFont f = DesignFont("MS Sans Serif", pixelHeight);
    f.setUnderline(underline);
    l->setFont(f);
    l->setGeometry(geometry);
    l->setAlignment(align);
    l->setToolTipDuration(kHintPause);
    return l;
}

QFrame* MakePanel(QWidget* parent, QRect geometry, bool bevel) {
    auto* p = new QFrame(parent);
    p->setGeometry(geometry);
    if (bevel) p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return p;
}

QCheckBox* MakeCheck(QWidget* parent, const QString& text, const QString& hint, QRect geometry) {
    auto* c = new QCheckBox(text, parent);
    c->setGeometry(geometry);
    c->setToolTip(hint);
    c->setToolTipDuration(kHintPause);
    c->setFont(DesignFont("MS Sans Serif", 13));
    return c;
}

// Only what changes is set: a palette set anew, even an equal one, makes the label resolve it
// and repaint.
void SetLabel(QLabel* label, const interlock::LabelLook& look) {
    const QString text = ToQString(look.text);
    if (label->text() != text) label->setText(text);
    const QColor colour = ToQColor(look.colour);
    if (label->palette().color(QPalette::WindowText) != colour) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, colour);
        label->setPalette(pal);
    }
    label->setVisible(look.visible);
    const QString hint = look.hintOn ? ToDisplayText(look.hint) : QString();
    if (label->toolTip() != hint) label->setToolTip(hint);
}

// Typing limits of the one-line fields. They hold for typing only: a text the program puts
// into a field (a name from a configuration file, channel and RTU texts from the settings)
// goes in whole, so that taking the field back into the block or the settings loses nothing.
constexpr int kNameLimit = 40;
constexpr int kStateLimit = 6;
constexpr int kServerFieldLimit = 3;

void PutFieldText(QLineEdit* field, const QString& text, int limit) {
    const int maxLength = std::max(limit, static_cast<int>(text.size()));
    if (field->maxLength() != maxLength) field->setMaxLength(maxLength);
    if (field->text() != text) field->setText(text);
}

// The field refuses typing beyond `limit`, and beyond the length of a longer text the program
// put there: once the user shortens such a text the limit follows it down.
void LimitTyping(QLineEdit* field, int limit) {
    field->setMaxLength(limit);
    QObject::connect(field, &QLineEdit::textEdited, field, [field, limit](const QString& text) {
        field->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    });
}

}  // namespace

TForm1::TForm1(Workbench& workbench, storage::FilePlaces places, QWidget* parent)
    : TForm1(nullptr, &workbench, std::move(places), parent) {}

TForm1::TForm1(interlock::Workspace& ws, Dialogs& dialogs, storage::FilePlaces places, QWidget* parent)
    : TForm1(std::make_unique<Workbench>(ws, dialogs), nullptr, std::move(places), parent) {}

TForm1::TForm1(std::unique_ptr<Workbench> own, Workbench* shared, storage::FilePlaces places, QWidget* parent)
    : QWidget(parent),
      ownWorkbench_(std::move(own)),
      workbench_(ownWorkbench_ ? *ownWorkbench_ : *shared),
      ws_(workbench_.Ws()),
      dialogs_(workbench_.Boxes()),
      places_(std::move(places)) {
    workbench_.Attach(this);
    // 1-7: the tables, the blocks and the tabs start afresh.
    windowReady_ = false;
    ws_.CurrentView = Side::On;
    for (int n = 1; n <= interlock::kBlockCount; ++n) ws_.Blocks[n].Create(n);
    BuildWidgets();
    for (int i = 1; i <= 16; ++i) {
        interlock::PaintBlockTab(ws_, i, {col::kWindowBackground, col::kBlack, ws_.Tabs[i].enabled, false});
    }
    ws_.TabGroup = 0;
    tempCounter_ = 0;
    ws_.TsTable.Reset();
    // The handlers exist from the start; the gated ones do nothing until the window is ready.
    ConnectHandlers();
    // 8-9: settings, then the M panel as its box says.
    Load_Settings();
    ApplyShowM();
    // 10-13: width, grid captions, hints.
    TS_Grid->SetCaptions(ToQString(interlock::Texts().ts), ToQString(Texts().gridValue));
    QToolTip::setFont(DesignFont("Verdana", 15));
    windowReady_ = true;
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

    Temp_Saver = new QTimer(this);
    Temp_Saver->setInterval(120000);
    Get_TS_Orvesk_Timer = new QTimer(this);
    Get_TS_Orvesk_Timer->setInterval(1000);
    Get_TS_Server_Timer = new QTimer(this);
    Get_TS_Server_Timer->setInterval(2000);

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
    connect(Load_File_Button, &TColorButton::onclick, this, &TForm1::Load_File_ButtonClick);
    connect(Save_File_Button, &TColorButton::onclick, this, &TForm1::Save_File_ButtonClick);
    connect(Templates_Button, &TColorButton::onclick, this, &TForm1::Templates_ButtonClick);
    connect(Show_TS_Captions_Button, &TColorButton::onclick, this, &TForm1::Show_TS_Captions_ButtonClick);
    connect(Check_Color, &QCheckBox::toggled, this, &TForm1::Check_ColorClick);
    connect(Check_Show_TS, &QCheckBox::toggled, this, &TForm1::Check_Show_TSClick);
    connect(Check_Change_TS, &QCheckBox::toggled, this, &TForm1::Check_Change_TSClick);
    for (QCheckBox* box : {Check_Change_TS, Check_Get_TS_Orvesk, Check_Get_TS_Server})
        connect(box, &QCheckBox::toggled, &workbench_, &Workbench::NotifyTsEditChanged);
    connect(Check_Show_M, &QCheckBox::toggled, this, &TForm1::Check_Show_MClick);
    connect(Check_Save_Temp, &QCheckBox::toggled, this, &TForm1::Check_Save_TempClick);
    connect(Temp_Saver, &QTimer::timeout, this, &TForm1::Temp_SaverTimer);
    SetUpSources();
}

// ---- Settings ----

namespace {
// The options kept in the settings file and their check boxes, in the order they are set.
const std::pair<bool storage::Settings::*, QCheckBox * TForm1::*> kOptionBoxes[] = {
    {&storage::Settings::colour, &TForm1::Check_Color},
    {&storage::Settings::ts_show, &TForm1::Check_Show_TS},
    {&storage::Settings::ts_change, &TForm1::Check_Change_TS},
    {&storage::Settings::ts_get, &TForm1::Check_Get_TS_Orvesk},
    {&storage::Settings::m_show, &TForm1::Check_Show_M},
    {&storage::Settings::temp, &TForm1::Check_Save_Temp},
    {&storage::Settings::save_ts, &TForm1::Check_Save_TS},
    {&storage::Settings::connect, &TForm1::Check_Server},
    {&storage::Settings::get_ts, &TForm1::Check_Get_TS_Server},
    {&storage::Settings::get_names, &TForm1::Check_Get_Names_Server},
};
}  // namespace

void TForm1::Load_Settings() {
    storage::Settings s = storage::LoadSettings(cp1251::ToUtf8(places_.config) + "settings.ini");
    // The only reaction not held back at start-up: TS editing on brings the TS display back.
    for (const auto& [option, box] : kOptionBoxes) (this->*box)->setChecked(s.*option);
    tempCounter_ = s.temp_last;
    serverName_ = s.server_name;
    PutFieldText(Server_channel_Number, ToQString(s.channel), kServerFieldLimit);
    PutFieldText(Server_RTU_Number, ToQString(s.rtu), kServerFieldLimit);

    Temp_Saver->setInterval(120000);
    if (Check_Save_Temp->isChecked())
        Temp_Saver->start();
    else
        Temp_Saver->stop();
    SourcesStartUp();
}

void TForm1::Save_Settings() {
    storage::Settings s;
    for (const auto& [option, box] : kOptionBoxes) s.*option = (this->*box)->isChecked();
    s.temp_last = tempCounter_;
    s.file = ws_.ConfigFileName;
    s.server_name = serverName_;
    s.channel = FromQString(Server_channel_Number->text());
    s.rtu = FromQString(Server_RTU_Number->text());
    // A settings file that cannot be written is simply not kept: nothing to tell at exit.
    storage::SaveSettings(cp1251::ToUtf8(places_.config) + "settings.ini", s, nullptr);
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
        ApplyEditor();
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

void TForm1::ApplyEditor() {
    // A refresh replaces whatever an earlier one left to do.
    workbench_.CancelSteps(StepOwner::Editor);
    size_t bytes = 0;
    for (const std::string& line : ws_.Fields.Logic) bytes += line.size();
    if (bytes < stagedLogicBytes_) {
        Logic->ShowLines(ws_.Fields.Logic);
        ColourEditor();
        return;
    }
    // The text a part at a time, then its colours worked out, then put on the editor.
    auto colouring = std::make_shared<std::optional<std::vector<ColourRun>>>();
    auto step = [this](std::function<bool()> f) { workbench_.PostStep(StepOwner::Editor, std::move(f)); };
    step([this] {
        Logic->StartLines(ws_.Fields.Logic);
        return true;
    });
    step([this] { return Logic->BuildLines(charactersPerStep_); });
    step([this] {
        Logic->ShowBuilt();
        return true;
    });
    step([this, colouring] {
        const interlock::Screen& d = ws_.Display;
        *colouring = ComputeColouring(ws_.Fields.Logic, ws_, d.colouring, d.errorLine);
        return true;
    });
    step([this, colouring] {
        if (*colouring) Logic->Recolour(**colouring);
        return true;
    });
}

void TForm1::ColourEditor() {
    const interlock::Screen& d = ws_.Display;
    std::optional<std::vector<ColourRun>> runs =
        ComputeColouring(ws_.Fields.Logic, ws_, d.colouring, d.errorLine);
    if (runs) Logic->Recolour(*runs);
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

void TForm1::FillTsList() {
    if (tsCaptionsForm_) tsCaptionsForm_->FillTsList();
}

void TForm1::Templates_ButtonClick() {
    // Modal: the window reads the library afresh and closes after one insertion.
    Pull();
    templatesForm_->Open();
    Push();
}

void TForm1::ApplyViewerText(const storage::Lines& lines) {
    Pull();
    storage::Read_Config_Text(ws_, lines);
    interlock::RecalculateAll(ws_);
    interlock::ShowBlock(ws_, ws_.CurrentBlock);
    Push();
}

void TForm1::ShowFileError(const std::string& text) {
    dialogs_.Message({text, Texts().errorCaption, interlock::Icon::Error});
}

void TForm1::Save_File_ButtonClick() {
    Pull();
    interlock::CommitEditor(ws_, ws_.CurrentBlock);
    Push();
    std::string warning = storage::ErroneousBlocksWarning(ws_);
    if (!warning.empty()) dialogs_.Message({warning, interlock::Texts().attention, interlock::Icon::Warning});
    if (!storage::HasBlkEnding(ws_.ConfigFileName))
        ws_.ConfigFileName = storage::DefaultConfigFileName(ws_, places_.documents);
    std::optional<std::string> chosen =
        dialogs_.SaveFile(ws_.ConfigFileName, {{"*.blk", "*.blk"}}, "blk", /*confirmOverwrite=*/false);
    if (chosen) {
        Pull();
        interlock::CommitEditor(ws_, ws_.CurrentBlock);
        Push();
        storage::WriteResult r = storage::Save_Config_File(ws_, *chosen, Check_Save_TS->isChecked());
        if (!r) ShowFileError(r.error);
        ws_.ConfigFileName = *chosen;
    }
    // A cancelled dialog keeps the name it proposed: it is the one remembered.
    Pull();
    Push();
}

void TForm1::Load_File_ButtonClick() {
    if (!storage::HasBlkEnding(ws_.ConfigFileName)) ws_.ConfigFileName = places_.documents + ".blk";
    std::optional<std::string> chosen = dialogs_.OpenFile(
        ws_.ConfigFileName, {{Texts().configFilter, "*.blk"}, {Texts().tempFilter, "*.tmp"}}, "blk");
    if (chosen) LoadChosenFile(*chosen);
}

void TForm1::LoadChosenFile(const std::string& chosen) {
    if (!storage::FileExists(cp1251::ToUtf8(chosen))) {
        dialogs_.Message({Texts().fileNotFound, storage::Texts().openFileError, interlock::Icon::Error});
        return;
    }
    ws_.ConfigFileName = chosen;
    Pull();
    // What the read gave, for the step that completes the load.
    struct Read {
        storage::LoadResult result;
        storage::Lines backup;  // the configuration before the load, for the viewer
    };
    auto read = std::make_shared<Read>();
    read->result = storage::ReadConfigFile(ws_, chosen, read->backup);
    size_t bytes = 0;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        for (const std::string& line : ws_.Blocks[n].OnLogic) bytes += line.size();
        for (const std::string& line : ws_.Blocks[n].OffLogic) bytes += line.size();
    }
    if (!read->result.recalculate || bytes < stagedLogicBytes_) {
        CompleteLoad(std::move(read->result), std::move(read->backup));
        return;
    }
    // Compiling changes nothing the window shows: the recalculation then only evaluates.
    workbench_.PostStep(StepOwner::Load, [this] {
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            const interlock::Block& b = ws_.Blocks[n];
            if (!b.OnLogic.empty()) interlock::CompiledFormOf(b.OnLogic, n);
            if (!b.OffLogic.empty()) interlock::CompiledFormOf(b.OffLogic, n);
        }
        return true;
    });
    workbench_.PostStep(StepOwner::Load, [this, read] {
        CompleteLoad(std::move(read->result), std::move(read->backup));
        return true;
    });
}

void TForm1::CompleteLoad(storage::LoadResult r, storage::Lines backup) {
    storage::FinishConfigLoad(ws_, r);
    if (viewFileForm_) viewFileForm_->SetLines(std::move(backup));
    if (r.caption) setWindowTitle(ToQString(*r.caption));
    Push();
    if (!r.fileError.empty()) ShowFileError(r.fileError);
}

void TForm1::Temp_SaverTimer() {
    Pull();
    std::optional<storage::WriteResult> r = storage::Temp_SaverTimer(
        ws_, Check_Save_Temp->isChecked(), Check_Save_TS->isChecked(), tempCounter_, places_.state);
    if (r && !*r && !destroyed_) ShowFileError(r->error);
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

void TForm1::Check_Save_TempClick() {
    if (!windowReady_) return;
    if (Check_Save_Temp->isChecked()) {
        Temp_SaverTimer();
        Temp_Saver->start();
    } else {
        Temp_Saver->stop();
    }
}

// ---- Start-up and exit ----

void TForm1::CreateSecondaryWindows() {
    auto* viewer = new TView_File_Form(workbench_);
    StartupRestore(*viewer);  // viewFileForm_ is set only once the viewer's creation is over
    viewFileForm_ = viewer;
    templatesForm_ = new TForm5(workbench_, places_.config);
    tsCaptionsForm_ = new TForm_TS_Captions(workbench_, this);
    SetUpAnalysisWindow();
    SetUpMimicWindow();
}

void TForm1::StartupRestore(TView_File_Form& viewer) {
    Pull();
    interlock::ResetAllBlocks(ws_);
    ws_.CurrentBlock = 1;
    std::string temp = storage::TempFileName(places_.state, tempCounter_);
    if (Check_Save_Temp->isChecked() && storage::FileExists(cp1251::ToUtf8(temp))) {
        storage::Lines backup;
        storage::LoadResult r = storage::Load_Config_File(ws_, temp, backup);
        viewer.SetLines(std::move(backup));
        if (r.caption) setWindowTitle(ToQString(*r.caption));
        if (!r.fileError.empty())
            ws_.Messages.push_back({r.fileError, Texts().errorCaption, interlock::Icon::Error});
    }
    interlock::ShowBlock(ws_, 1);
    Push();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (exitConfirmed_) {
        event->accept();
        return;
    }
    bool yes = dialogs_.AskYesNo(Texts().exitQuestion, Texts().exitCaption, interlock::Icon::Information);
    if (yes && CloseAfterServerCall()) {
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
    if (Check_Save_Temp->isChecked()) Temp_SaverTimer();
    Save_Settings();
    delete viewFileForm_;
    viewFileForm_ = nullptr;
    delete templatesForm_;
    templatesForm_ = nullptr;
    SourcesClose();
}

}  // namespace ui
