#include "ui/mimic/mimic_window.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/sequences_texts.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "topology/topology_texts.h"
#include "ui/mimic/mimic_painter.h"
#include "ui/mimic/mimic_texts.h"
#include "ui/mimic/mimic_window_texts.h"
#include "ui/model/diagram_texts.h"
#include "ui/model/dialogs.h"
#include "ui/widgets/qt_text.h"
#include "ui/workbench/workbench.h"

namespace mimic {
namespace {

using interlock::Side;
using ui::ToQString;

bool IsElementSymbol(SymbolKind kind) { return kind != SymbolKind::Source && kind != SymbolKind::Load; }

// The scale and offset that fit the layout's bounds into the target, keeping the aspect ratio,
// centred: the painter's own fitting.
struct Fit {
    double scale = 1, dx = 0, dy = 0;
};
Fit FitOf(const QRectF& target, const Rect& bounds) {
    Fit f;
    if (bounds.w <= 0 || bounds.h <= 0 || target.isEmpty()) return f;
    f.scale = std::min(target.width() / bounds.w, target.height() / bounds.h);
    f.dx = target.x() + (target.width() - bounds.w * f.scale) / 2 - bounds.x * f.scale;
    f.dy = target.y() + (target.height() - bounds.h * f.scale) / 2 - bounds.y * f.scale;
    return f;
}

std::string PositionWord(const ElementLook& e) {
    const MimicTexts& mx = WindowTexts();
    std::string s;
    switch (e.position) {
        case Position::Closed:
            s = interlock::Texts().stateOn;
            break;
        case Position::Open:
            s = interlock::Texts().stateOff;
            break;
        case Position::Travel:
            s = mx.positionTravel;
            break;
        case Position::Unknown:
            s = mx.positionUnknown;
            break;
        case Position::None:
            break;
    }
    if (e.unreliable) s += "*, " + mx.unreliable;
    return s;
}

// "\n\r" as the core writes line breaks, "\n" as Qt shows them.
std::string ShownBreaks(std::string s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') continue;
        out += s[i];
    }
    return out;
}

}  // namespace

MimicWindow::MimicWindow(ui::Workbench& workbench, QWidget* parent)
    : QWidget(parent, Qt::Window), workbench_(workbench) {
    const MimicTexts& mx = WindowTexts();
    setWindowTitle(ToQString(Texts().title));
    setObjectName("Mimic_Window");
    resize(900, 640);
    simulator_ = new Simulator(workbench_, this);

    auto* box = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    box->addWidget(splitter);
    auto* top = new QWidget(splitter);
    auto* topBox = new QVBoxLayout(top);
    topBox->setContentsMargins(0, 0, 0, 0);
    Message_Label = new QLabel(top);
    Message_Label->setWordWrap(true);
    topBox->addWidget(Message_Label);
    Canvas = new MimicCanvas(*this);
    topBox->addWidget(Canvas, 1);

    auto* bottom = new QWidget(splitter);
    auto* bottomBox = new QVBoxLayout(bottom);
    bottomBox->setContentsMargins(0, 0, 0, 0);
    Journal_Tree = new QTreeWidget(bottom);
    Journal_Tree->setRootIsDecorated(false);
    Journal_Tree->setHeaderLabels({ToQString(mx.colTime), ToQString(topology::Texts().colOperation),
                                   ToQString(topology::Texts().colVerdict), ToQString(mx.colForced)});
    bottomBox->addWidget(Journal_Tree, 1);
    auto* actions = new QHBoxLayout;
    bottomBox->addLayout(actions);
    Save_Button = new QPushButton(ToQString(mx.saveButton), bottom);
    Load_Button = new QPushButton(ToQString(sequences::Texts().loadProgram), bottom);
    Step_Button = new QPushButton(ToQString(sequences::Texts().nextStep), bottom);
    Clear_Button = new QPushButton(ToQString(mx.clearButton), bottom);
    for (QPushButton* b : {Save_Button, Load_Button, Step_Button, Clear_Button}) actions->addWidget(b);
    actions->addStretch(1);
    Svg_Button = new QPushButton(QStringLiteral("SVG..."), bottom);
    Svg_Button->setToolTip(ToQString(ui::DiagramPageTexts().svgTip));
    Pdf_Button = new QPushButton(QStringLiteral("PDF..."), bottom);
    Pdf_Button->setToolTip(ToQString(ui::DiagramPageTexts().pdfTip));
    actions->addWidget(Svg_Button);
    actions->addWidget(Pdf_Button);
    auto* travelLabel = new QLabel(ToQString(mx.travelLabel), bottom);
    actions->addWidget(travelLabel);
    Travel_Spin = new QSpinBox(bottom);
    Travel_Spin->setRange(0, 60000);
    Travel_Spin->setSingleStep(100);
    Travel_Spin->setValue(Simulator::kDefaultTravelMs);
    actions->addWidget(Travel_Spin);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);

    connect(Save_Button, &QPushButton::clicked, this, &MimicWindow::SaveClick);
    connect(Load_Button, &QPushButton::clicked, this, &MimicWindow::LoadClick);
    connect(Step_Button, &QPushButton::clicked, this, &MimicWindow::StepClick);
    connect(Clear_Button, &QPushButton::clicked, this, &MimicWindow::ClearClick);
    connect(Svg_Button, &QPushButton::clicked, this, [this] { ExportClick(false); });
    connect(Pdf_Button, &QPushButton::clicked, this, [this] { ExportClick(true); });
    connect(Travel_Spin, &QSpinBox::valueChanged, this, [this](int ms) { simulator_->SetTravelMs(ms); });
    connect(simulator_, &Simulator::JournalChanged, this, &MimicWindow::FillJournal);
    connect(simulator_, &Simulator::TravelChanged, this, &MimicWindow::UpdateActions);

    // Laid out at once, so that every control has its size before the window is first shown.
    for (QWidget* w :
         std::initializer_list<QWidget*>{Save_Button, Load_Button, Step_Button, Clear_Button, travelLabel})
        w->setMinimumWidth(w->sizeHint().width());
    box->activate();

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshDelayMs);
    connect(refreshTimer_, &QTimer::timeout, this, &MimicWindow::Refresh);
    connect(&workbench_, &ui::Workbench::Refreshed, this, &MimicWindow::ScheduleRefresh);
    hintTimer_ = new QTimer(this);
    hintTimer_->setSingleShot(true);
    hintTimer_->setInterval(0);
    connect(hintTimer_, &QTimer::timeout, this, &MimicWindow::NextHint);
    connect(&workbench_, &ui::Workbench::TsEditChanged, this, &MimicWindow::UpdateActions);
}

MimicWindow::~MimicWindow() = default;

void MimicWindow::Open() {
    show();
    raise();
    activateWindow();
    Refresh();
}

void MimicWindow::ScheduleRefresh() {
    if (isVisible() && !refreshTimer_->isActive()) refreshTimer_->start();
}

bool MimicWindow::RefreshPending() const { return refreshTimer_->isActive(); }

void MimicWindow::ReadTopology() {
    const interlock::Workspace& ws = workbench_.Ws();
    // The file beside the configuration, read again each time: it is small, and an edit of it
    // shows without reopening the configuration.
    const std::string file = ws.ConfigFileName.empty()
                                 ? std::string()
                                 : topology::TopologyFileFor(cp1251::ToUtf8(ws.ConfigFileName));
    storage::ReadResult read = file.empty() ? storage::ReadResult{} : storage::ReadWholeFile(file);
    const std::string error = read ? std::string() : (read.error.empty() ? std::string("-") : read.error);
    if (topology_ && file == file_ && read.bytes == bytes_ && error == error_) return;
    file_ = file;
    bytes_ = read.bytes;
    error_ = error;
    topology_ = std::make_unique<topology::Topology>(
        error.empty() ? topology::ReadTopology(storage::SplitLines(bytes_), ws) : topology::Topology{});
    layout_ = HasTopology() ? LayOut(*topology_) : Layout{};
    simulator_->SetTopology(HasTopology() ? topology_.get() : nullptr);
}

void MimicWindow::Refresh() {
    const auto start = std::chrono::steady_clock::now();
    refreshTimer_->stop();
    workbench_.Finish();
    ReadTopology();
    hints_.clear();
    if (HasTopology()) {
        look_ = ComputeLook(*topology_, workbench_.Ws());
        // The next operations that are forbidden get their smallest change sets in slices.
        for (size_t e = 0; e < look_.elements.size(); ++e) {
            const ElementLook& el = look_.elements[e];
            if ((el.position == Position::Open && el.on == Light::Forbidden) ||
                (el.position == Position::Closed && el.off == Light::Forbidden))
                hints_.push_back(static_cast<int>(e));
        }
    } else {
        look_ = Look{};
    }
    if (!hints_.empty()) hintTimer_->start();
    UpdateActions();
    Canvas->update();
    lastRefreshMs_ =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    emit Refreshed();
}

bool MimicWindow::HintsPending() const { return !hints_.empty(); }

void MimicWindow::NextHint() {
    if (hints_.empty() || !HasTopology()) return;
    const int e = hints_.front();
    hints_.pop_front();
    ElementLook& el = look_.elements[static_cast<size_t>(e)];
    const Side side = el.position == Position::Closed ? Side::Off : Side::On;
    std::string& hint = side == Side::On ? el.onHint : el.offHint;
    const Light light = JudgeOperation(workbench_.Ws(), topology_->elements[static_cast<size_t>(e)].block,
                                       side, &workbench_.Analyser(), &hint);
    (side == Side::On ? el.on : el.off) = light;
    if (hints_.empty()) {
        Canvas->update();
    } else {
        hintTimer_->start();
    }
}

void MimicWindow::FinishHints() {
    hintTimer_->stop();
    while (!hints_.empty()) NextHint();
}

void MimicWindow::UpdateActions() {
    const MimicTexts& mx = WindowTexts();
    const bool has = HasTopology();
    Canvas->setVisible(has);
    Journal_Tree->setEnabled(has);
    std::string message;
    if (!has) {
        const std::string name = cp1251::FromUtf8(file_);
        message = topology_ && topology_->HasErrors() ? mx.topologyErrors + name : mx.noTopology + name;
    } else if (const std::string why = simulator_->Refusal(); !why.empty()) {
        message = mx.cannotOperate + why;
    } else if (simulator_->ReplaySize() > 0) {
        message = simulator_->ReplayDone() ? mx.programDone
                                           : mx.stepPrefix + std::to_string(simulator_->ReplayNext() + 1) +
                                                 "/" + std::to_string(simulator_->ReplaySize());
    }
    Message_Label->setText(ToQString(ShownBreaks(message)));
    Message_Label->setVisible(!message.empty());
    const bool operable = has && simulator_->Refusal().empty();
    Save_Button->setEnabled(has && !simulator_->Journal().empty());
    Load_Button->setEnabled(has);
    Clear_Button->setEnabled(has && !simulator_->Journal().empty());
    Step_Button->setEnabled(operable && !simulator_->ReplayDone() && !simulator_->InTravel());
    Travel_Spin->setEnabled(has);
    Svg_Button->setEnabled(has);
    Pdf_Button->setEnabled(has);
}

void MimicWindow::FillJournal() {
    const MimicTexts& mx = WindowTexts();
    Journal_Tree->clear();
    for (const JournalEntry& j : simulator_->Journal()) {
        auto* item = new QTreeWidgetItem(Journal_Tree);
        item->setText(0, j.time.toString("HH:mm:ss.zzz"));
        item->setText(
            1, ToQString((j.op.side == Side::On ? sequences::Texts().opOn : sequences::Texts().opOff) + " " +
                         j.label));
        item->setText(2, ToQString(j.verdict));
        item->setText(3, j.forced ? ToQString(mx.forcedMark) : QString());
    }
    if (Journal_Tree->topLevelItemCount() > 0)
        Journal_Tree->scrollToItem(Journal_Tree->topLevelItem(Journal_Tree->topLevelItemCount() - 1));
    UpdateActions();
}

QPointF MimicWindow::ToWidget(topology::Point p) const {
    const Fit f = FitOf(QRectF(Canvas->rect()), layout_.bounds);
    return {p.x * f.scale + f.dx, p.y * f.scale + f.dy};
}

topology::Point MimicWindow::ToLayout(QPointF p) const {
    const Fit f = FitOf(QRectF(Canvas->rect()), layout_.bounds);
    return {(p.x() - f.dx) / f.scale, (p.y() - f.dy) / f.scale};
}

int MimicWindow::SymbolAtWidget(QPointF p) const {
    return HasTopology() ? layout_.SymbolAt(ToLayout(p)) : -1;
}

int MimicWindow::ElementOfSymbol(int symbol) const {
    if (symbol < 0 || symbol >= static_cast<int>(layout_.symbols.size())) return -1;
    const Symbol& s = layout_.symbols[static_cast<size_t>(symbol)];
    if (!IsElementSymbol(s.kind) || !topology_) return -1;
    return s.index >= 0 && s.index < static_cast<int>(topology_->elements.size()) ? s.index : -1;
}

std::string MimicWindow::HintOf(int symbol) const {
    const int e = ElementOfSymbol(symbol);
    if (e < 0 || e >= static_cast<int>(look_.elements.size())) return {};
    const topology::Element& el = topology_->elements[static_cast<size_t>(e)];
    const ElementLook& look = look_.elements[static_cast<size_t>(e)];
    std::string text = el.label;
    if (const std::string p = PositionWord(look); !p.empty()) text += ": " + p;
    if (el.binding == topology::Binding::Block) {
        const MimicTexts& mx = WindowTexts();
        text += "\n\r\n\r" + mx.menuOn + ": " + look.onHint;
        text += "\n\r\n\r" + mx.menuOff + ": " + look.offHint;
    } else if (el.IsApparatus()) {
        text += "\n\r" + look.onHint;
    }
    return text;
}

void MimicWindow::SymbolClicked(int symbol) {
    const int e = ElementOfSymbol(symbol);
    if (e < 0) return;
    const topology::Element& el = topology_->elements[static_cast<size_t>(e)];
    if (el.binding != topology::Binding::Block) return;
    // The logic of the next operation: OFF while the apparatus is closed.
    const Position p = e < static_cast<int>(look_.elements.size())
                           ? look_.elements[static_cast<size_t>(e)].position
                           : Position::Unknown;
    workbench_.ShowLogicLine(el.block, p == Position::Closed ? Side::Off : Side::On, 0);
}

void MimicWindow::SymbolDoubleClicked(int symbol) {
    const int e = ElementOfSymbol(symbol);
    if (e < 0) return;
    const topology::Element& el = topology_->elements[static_cast<size_t>(e)];
    if (el.binding == topology::Binding::Block) emit AnalysisRequested(el.block);
}

QMenu* MimicWindow::MenuFor(int symbol, QWidget* parent) {
    const int e = ElementOfSymbol(symbol);
    if (e < 0 || e >= static_cast<int>(look_.elements.size())) return nullptr;
    const topology::Element& el = topology_->elements[static_cast<size_t>(e)];
    if (el.binding != topology::Binding::Block) return nullptr;
    const MimicTexts& mx = WindowTexts();
    const ElementLook& look = look_.elements[static_cast<size_t>(e)];
    auto* menu = new QMenu(parent);
    menu->setObjectName("Mimic_Menu");
    const std::string refusal = simulator_->Refusal();
    for (Side side : {Side::On, Side::Off}) {
        const Light light = side == Side::On ? look.on : look.off;
        const std::string& word = side == Side::On ? mx.menuOn : mx.menuOff;
        QAction* act = menu->addAction(ToQString(word + " - " + LightWord(light)));
        act->setEnabled(refusal.empty());
        act->setToolTip(ToQString(
            ShownBreaks(refusal.empty() ? (side == Side::On ? look.onHint : look.offHint) : refusal)));
        connect(act, &QAction::triggered, this, [this, e, side] { simulator_->Operate(e, side); });
        if (light != Light::Allowed) {
            QAction* force = menu->addAction(ToQString(word + mx.menuForce));
            force->setEnabled(refusal.empty());
            connect(force, &QAction::triggered, this,
                    [this, e, side] { simulator_->Operate(e, side, true); });
        }
    }
    menu->setToolTipsVisible(true);
    menu->addSeparator();
    const int block = el.block;
    connect(menu->addAction(ToQString(mx.menuShow)), &QAction::triggered, this,
            [this, symbol] { SymbolClicked(symbol); });
    connect(menu->addAction(ToQString(mx.menuAnalysis)), &QAction::triggered, this,
            [this, block] { emit AnalysisRequested(block); });
    return menu;
}

void MimicWindow::SaveClick() {
    const MimicTexts& mx = WindowTexts();
    ui::Dialogs& boxes = workbench_.Boxes();
    if (simulator_->Journal().empty()) {
        boxes.Message({mx.journalEmpty, Texts().title, interlock::Icon::Information});
        return;
    }
    std::optional<std::string> chosen =
        boxes.SaveFile({}, {{sequences::Texts().programFilter, "*.prog"}}, "prog");
    if (!chosen) return;
    const storage::WriteResult w =
        storage::WriteFileAtomically(cp1251::ToUtf8(*chosen), simulator_->JournalProgram());
    if (!w.ok) boxes.Message({mx.saveFailed + w.error, Texts().title, interlock::Icon::Error});
}

void MimicWindow::LoadClick() {
    const MimicTexts& mx = WindowTexts();
    ui::Dialogs& boxes = workbench_.Boxes();
    std::optional<std::string> chosen =
        boxes.OpenFile({}, {{sequences::Texts().programFilter, "*.prog"}}, "prog");
    if (!chosen) return;
    const storage::ReadResult file = storage::ReadWholeFile(cp1251::ToUtf8(*chosen));
    if (!file) {
        boxes.Message({mx.readFailed + file.error, Texts().title, interlock::Icon::Error});
        return;
    }
    workbench_.Finish();
    const sequences::Program program =
        sequences::ParseProgram(storage::SplitLines(file.bytes), workbench_.Ws());
    if (!program.errors.empty()) {
        std::string text = mx.programErrors;
        for (const sequences::ProgramError& e : program.errors) {
            text += "\n\r" + topology::Texts().lineWord + " " + std::to_string(e.line) + ", " +
                    topology::Texts().positionWord + " " + std::to_string(e.position) + ": " + e.message;
        }
        boxes.Message({text, Texts().title, interlock::Icon::Error});
        return;
    }
    if (program.steps.empty()) {
        boxes.Message({mx.programEmpty, Texts().title, interlock::Icon::Information});
        return;
    }
    simulator_->LoadProgram(program);
    UpdateActions();
}

void MimicWindow::StepClick() {
    simulator_->Step();
    UpdateActions();
}

void MimicWindow::ClearClick() { simulator_->ClearJournal(); }

void MimicWindow::ExportClick(bool pdf) {
    if (!HasTopology()) return;
    const ui::DiagramTexts& dx = ui::DiagramPageTexts();
    std::optional<std::string> chosen = workbench_.Boxes().SaveFile(
        {}, {pdf ? ui::FileFilter{dx.pdfFilter, "*.pdf"} : ui::FileFilter{dx.svgFilter, "*.svg"}},
        pdf ? "pdf" : "svg");
    if (!chosen) return;
    Refresh();
    const std::string path = cp1251::ToUtf8(*chosen);
    const std::string error =
        pdf ? ExportPdf(layout_, *topology_, look_, path) : ExportSvg(layout_, *topology_, look_, path);
    if (!error.empty())
        workbench_.Boxes().Message({cp1251::FromUtf8(error), Texts().title, interlock::Icon::Error});
}

// ---- The canvas ----

MimicCanvas::MimicCanvas(MimicWindow& window) : QWidget(&window), window_(window) {
    setObjectName("Mimic_Canvas");
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setMinimumSize(320, 200);
}

void MimicCanvas::paintEvent(QPaintEvent*) {
    if (!window_.HasTopology()) return;
    QPainter painter(this);
    PaintMimic(painter, QRectF(rect()), window_.layout_, *window_.topology_, window_.look_);
}

void MimicCanvas::mouseMoveEvent(QMouseEvent* event) {
    const std::string hint = window_.HintOf(window_.SymbolAtWidget(event->position()));
    setToolTip(ToQString(ShownBreaks(hint)));
    QWidget::mouseMoveEvent(event);
}

void MimicCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) window_.SymbolClicked(window_.SymbolAtWidget(event->position()));
    QWidget::mousePressEvent(event);
}

void MimicCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        window_.SymbolDoubleClicked(window_.SymbolAtWidget(event->position()));
}

void MimicCanvas::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = window_.MenuFor(window_.SymbolAtWidget(event->pos()), this);
    if (!menu) return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

}  // namespace mimic
