#include "ui/main/ts_captions_form.h"

#include <QCloseEvent>
#include <QRadioButton>
#include <QShowEvent>

#include "ui/widgets/color_button.h"
#include "ui/widgets/command_button.h"
#include "ui/widgets/colours.h"
#include "ui/main/main_window.h"
#include "interlock/report.h"
#include "interlock/ts_cascade.h"
#include "ui/widgets/signal_grids.h"
#include "ui/widgets/ts_list_grid.h"
#include "interlock/workspace.h"

namespace ui {

namespace col = interlock::colour;

TForm_TS_Captions::TForm_TS_Captions(TForm1& mainWindow)
    : QWidget(&mainWindow, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                               Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      main_(mainWindow) {
    setObjectName("Form_TS_Captions");
    setWindowTitle(QStringLiteral("Список телесигналов"));
    setFixedSize(668, 521);
    setFont(DesignFont("MS Sans Serif", 13));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(col::kWindowBackground));
    setPalette(pal);

    StringGrid1 = new TsListGrid(main_.Ws().TsTable, this);
    StringGrid1->setGeometry(8, 8, 653, 433);

    Radio_TS_Block = new QRadioButton(QStringLiteral("Список ТС текущей блокировки"), this);
    Radio_TS_Block->setGeometry(16, 448, 233, 25);
    Radio_TS_Block->setChecked(true);
    Radio_TS_All = new QRadioButton(QStringLiteral("Список всех ТС"), this);
    Radio_TS_All->setGeometry(16, 480, 233, 25);

    Templates_Button = new TColorButton(this);
    Templates_Button->setCaption(QStringLiteral("Закрыть окно"));
    Templates_Button->setGeometry(468, 480, 185, 25);
    Templates_Button->setAlignment(Qt::AlignHCenter);
    StyleCommandButton(Templates_Button);
    Templates_Button->setHotTrack(true);
    Templates_Button->setMarginHorizontal(8);
    Templates_Button->setMarginVertical(4);

    // A radio button reports its click when it becomes the checked one.
    connect(Radio_TS_Block, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) Radio_TS_BlockClick();
    });
    connect(Radio_TS_All, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) Radio_TS_AllClick();
    });
    connect(StringGrid1, &QAbstractItemView::doubleClicked, this, [this] { StringGrid1DblClick(); });
    connect(Templates_Button, &TColorButton::onclick, this, &TForm_TS_Captions::Templates_Buttonclick);
}

void TForm_TS_Captions::FillTsList() { StringGrid1->Fill(Radio_TS_All->isChecked()); }

void TForm_TS_Captions::Radio_TS_BlockClick() { FillTsList(); }

void TForm_TS_Captions::Radio_TS_AllClick() { FillTsList(); }

void TForm_TS_Captions::StringGrid1DblClick() {
    int row = StringGrid1->CurrentRow();
    int column = StringGrid1->CurrentColumn();
    // The blocks are recalculated only when the window closes.
    if (ToggleTsAttribute(main_.Ws().TsTable, row, column, StringGrid1->CellText(kTsNumberColumn, row)))
        FillTsList();
}

void TForm_TS_Captions::Templates_Buttonclick() { close(); }

void TForm_TS_Captions::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FillTsList();
}

void TForm_TS_Captions::closeEvent(QCloseEvent* event) {
    event->accept();
    hide();
    FormClose();
}

void TForm_TS_Captions::FormClose() {
    // The attribute toggles take effect here: all blocks, then the view that follows the
    // apparatus state, then the verdict of the current block.
    main_.TsValuesChanged({.view = interlock::TsCascade::View::AfterRecalculation, .refillList = false});
}

}  // namespace ui
