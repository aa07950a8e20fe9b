#include "ui/main/templates_form.h"

#include <QComboBox>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>

#include "ui/widgets/color_button.h"
#include "ui/widgets/command_button.h"
#include "ui/widgets/colours.h"
#include "interlock/cp1251.h"
#include "storage/texts.h"
#include "ui/model/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/signal_grids.h"

namespace ui {

namespace col = interlock::colour;

namespace {

constexpr int kFieldWidth = 50;
constexpr int kFieldHeight = 21;
constexpr int kLabelWidth = 80;
constexpr int kLabelSpacing = 10;
constexpr int kFirstRowTop = 88;
constexpr int kRowStep = 32;
constexpr int kOddFieldLeft = 300;
constexpr int kEvenFieldLeft = 652;

QLabel* MakeLabel(QWidget* parent, const QString& text, QPoint at) {
    auto* l = new QLabel(text, parent);
    l->setFont(DesignFont("MS Sans Serif", 13));
    l->move(at);
    l->adjustSize();
    return l;
}

}  // namespace

TForm5::TForm5(TForm1& mainWindow, Dialogs& dialogs, std::string exeDir)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                           Qt::WindowTitleHint),
      main_(mainWindow),
      dialogs_(dialogs),
      exeDir_(std::move(exeDir)) {
    setWindowTitle(QStringLiteral("Шаблоны конфигурации аппаратов"));
    setFont(DesignFont("MS Sans Serif", 13));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(col::kInactiveTab));
    setPalette(pal);

    Label2 = MakeLabel(this, QStringLiteral("Номер блокировки:"), QPoint(16, 10));
    Label2->setObjectName("Label2");
    Block_Number = new QLineEdit(this);
    Block_Number->setObjectName("Block_Number");
    Block_Number->setGeometry(160, 8, 49, kFieldHeight);
    Label3 = MakeLabel(this, QStringLiteral("Наименование блокировки:"), QPoint(232, 10));
    Label3->setObjectName("Label3");
    Block_Name = new QLineEdit(this);
    Block_Name->setObjectName("Block_Name");
    Block_Name->setGeometry(432, 8, 289, kFieldHeight);
    // The block's name field in the main window takes 40 characters; a longer name would be
    // cut there without a word.
    Block_Name->setMaxLength(40);

    Templates_LB = new QComboBox(this);
    Templates_LB->setObjectName("Templates_LB");
    Templates_LB->setGeometry(176, 48, 385, 24);
    Templates_LB->setMaxVisibleItems(10);
    Templates_LB->setEditable(false);

    for (int j = 1; j <= storage::kParameterCount; ++j) {
        int row = (j - 1) / 2;
        int left = j % 2 == 1 ? kOddFieldLeft : kEvenFieldLeft;
        int top = kFirstRowTop + kRowStep * row;
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString("LabeledEdit%1").arg(j));
        edit->setGeometry(left, top, kFieldWidth, kFieldHeight);
        edit->setMaxLength(5);
        auto* label = new QLabel(this);
        label->setObjectName(QString("LabeledEdit%1Label").arg(j));
        label->setFont(DesignFont("MS Sans Serif", 13));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(edit);
        EditLabel[static_cast<size_t>(j)] = label;  // placed when a caption is given
    }

    auto button = [this](const QString& caption, int left) {
        auto* b = new TColorButton(this);
        b->setCaption(caption);
        b->setGeometry(left, kFirstRowTop, 185, 25);
        StyleCommandButton(b);
        return b;
    };
    Send_Template = button(QStringLiteral("Загрузить шаблон"), 183);
    Send_Template->setObjectName("Send_Template");
    Close_Button = button(QStringLiteral("Закрыть окно"), 383);
    Close_Button->setObjectName("Close_Button");

    connect(Templates_LB, &QComboBox::activated, this, [this] { Templates_LBSelect(); });
    connect(Send_Template, &TColorButton::onclick, this, &TForm5::Send_Templateclick);
    connect(Close_Button, &TColorButton::onclick, this, &TForm5::Close_Buttonclick);

    FormCreate();
    ShowParameters();
}

void TForm5::FormCreate() {
    library_ = {};
    for (int j = 1; j <= storage::kParameterCount; ++j) {
        LabeledEdit[static_cast<size_t>(j)] = findChild<QLineEdit*>(QString("LabeledEdit%1").arg(j));
    }
}

int TForm5::Open() {
    FormShow();
    return exec();
}

void TForm5::PlaceLabel(int j) {
    // The label keeps its right edge at the spacing from its field and grows to the left
    // with its caption (at least 80 pixels), on one line.
    QLabel* label = EditLabel[static_cast<size_t>(j)];
    const QRect field = LabeledEdit[static_cast<size_t>(j)]->geometry();
    const int width = std::max(kLabelWidth, label->fontMetrics().horizontalAdvance(label->text()) + 2);
    label->setGeometry(field.left() - kLabelSpacing - width, field.top(), width, field.height());
}

void TForm5::SetFieldVisible(int j, bool visible) {
    LabeledEdit[static_cast<size_t>(j)]->setVisible(visible);
    EditLabel[static_cast<size_t>(j)]->setVisible(visible);
}

void TForm5::FormShow() {
    Templates_LB->clear();
    for (int j = 1; j <= storage::kParameterCount; ++j) {
        EditLabel[static_cast<size_t>(j)]->clear();
        LabeledEdit[static_cast<size_t>(j)]->clear();
        SetFieldVisible(j, false);
        bound_[static_cast<size_t>(j)] = 0;
    }
    Block_Name->clear();
    Block_Number->setText(QString::number(main_.Ws().CurrentBlock));

    // The folder is the program's text; the file system takes UTF-8 names.
    storage::TemplateFile file =
        storage::ReadTemplateFile(cp1251::ToUtf8(storage::TemplateFilePath(exeDir_)));
    library_ = std::move(file.library);
    if (!file.ok()) {
        dialogs_.Message({file.error, storage::Texts().openFileError, interlock::Icon::Error});
    }

    for (int j = 1; j <= storage::kParameterCount; ++j) LabeledEdit[static_cast<size_t>(j)]->clear();
    if (library_.TemplateCount() > 0) {
        for (const storage::Template& t : library_.templates) Templates_LB->addItem(ToQString(t.name));
        Templates_LB->setCurrentIndex(0);
        Block_Name->setText(ToQString(library_.templates.front().name));
    }
    ShowParameters();
}

const storage::Template* TForm5::SelectedTemplate() const {
    return library_.Find(Templates_LB->currentIndex() + 1);
}

void TForm5::ShowParameters() {
    const storage::Template* t = SelectedTemplate();
    storage::FieldLayout layout = t != nullptr ? storage::LayoutFor(*t) : storage::FieldLayout{};
    const int used = static_cast<int>(layout.parameters.size());
    for (int j = 1; j <= storage::kParameterCount; ++j) {
        // Fields not in use are bound to nothing, so that what was typed into them for
        // another template never reaches this one.
        if (j <= used) {
            int k = layout.parameters[static_cast<size_t>(j - 1)];
            bound_[static_cast<size_t>(j)] = k;
            QString caption = ToQString(t->captions[static_cast<size_t>(k)]);
            EditLabel[static_cast<size_t>(j)]->setText(caption);
            PlaceLabel(j);
            SetFieldVisible(j, true);
        } else {
            bound_[static_cast<size_t>(j)] = 0;
            SetFieldVisible(j, false);
        }
    }
    Send_Template->move(Send_Template->x(), layout.buttonTop);
    Close_Button->move(Close_Button->x(), layout.buttonTop);
    outerHeight_ = layout.outerHeight;
    setFixedSize(kClientWidth, outerHeight_ - TForm1::kFrameHeight);
}

void TForm5::Templates_LBSelect() {
    ShowParameters();
    if (const storage::Template* t = SelectedTemplate()) Block_Name->setText(ToQString(t->name));
}

storage::ParameterValues TForm5::Values() const {
    storage::ParameterValues values{};
    for (int j = 1; j <= storage::kParameterCount; ++j) {
        int k = bound_[static_cast<size_t>(j)];
        if (k != 0) values[static_cast<size_t>(k)] = FromQString(LabeledEdit[static_cast<size_t>(j)]->text());
    }
    return values;
}

void TForm5::Send_Templateclick() {
    main_.Pull();
    storage::SendResult r =
        storage::Send_Template(main_.Ws(), FromQString(Block_Number->text()), SelectedTemplate(), Values(),
                               FromQString(Block_Name->text()));
    if (r != storage::SendResult::Inserted) {
        // The window stays open; only the message, if any, is shown.
        ShowQueuedMessages(dialogs_, main_.Ws());
        return;
    }
    main_.Push();
    library_ = {};
    accept();
}

void TForm5::Close_Buttonclick() {
    library_ = {};
    reject();
}

}  // namespace ui
