#include "ui/report/logic_diagram.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QToolTip>
#include <QHelpEvent>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "ui/report/diagram_painter.h"
#include "ui/model/dialogs.h"
#include "ui/report/interlock_report.h"
#include "ui/widgets/qt_text.h"
#include "ui/model/diagram_texts.h"
#include "interlock/engine_texts.h"
#include "storage/texts.h"
#include "storage/ts_names.h"
#include "ui/model/analysis_page_texts.h"
#include "ui/model/window_analysis_texts.h"

namespace ui {
namespace {
QString ToolTipOf(const interlock::Workspace& ws, int ts);
}  // namespace

// The drawing surface inside the scroll area: sized by the diagram and the zoom, painted from
// the page's diagram (Qt buffers the widget, so a repaint never flickers).
class LogicDiagramPage::Canvas : public QWidget {
public:
    explicit Canvas(LogicDiagramPage& page) : QWidget(nullptr), page_(page) {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
    }

    void Fit() {
        const QSize size(static_cast<int>(std::ceil(page_.diagram_.width * page_.zoom_)),
                         static_cast<int>(std::ceil(page_.diagram_.height * page_.zoom_)));
        if (size != this->size()) resize(size);
        update();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.scale(page_.zoom_, page_.zoom_);
        const QRectF r = e->rect();
        const diagram::Rect visible{r.x() / page_.zoom_, r.y() / page_.zoom_, r.width() / page_.zoom_,
                                    r.height() / page_.zoom_};
        diagram::Paint(p, page_.diagram_, &visible);
    }
    bool event(QEvent* e) override {
        if (e->type() != QEvent::ToolTip) return QWidget::event(e);
        const QPoint pos = static_cast<QHelpEvent*>(e)->pos();
        const int ts = diagram::TsAt(page_.diagram_, {pos.x() / page_.zoom_, pos.y() / page_.zoom_});
        if (ts == 0) {
            QToolTip::hideText();
            e->ignore();
            return true;
        }
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), ToolTipOf(page_.ws_, ts), this);
        return true;
    }
    void mousePressEvent(QMouseEvent* e) override {
        const diagram::Point at{e->position().x() / page_.zoom_, e->position().y() / page_.zoom_};
        if (e->button() == Qt::LeftButton) {
            if (const int line = diagram::LineAt(page_.diagram_, at)) emit page_.LineClicked(line);
        } else if (e->button() == Qt::RightButton) {
            const int ts = diagram::TsAt(page_.diagram_, at);
            if (ts == 0) return;
            QMenu menu(this);
            menu.setObjectName("Diagram_Menu");
            QAction* where = menu.addAction(ToQString(AnalysisPageTexts().pageWhere));
            if (menu.exec(e->globalPosition().toPoint()) == where) emit page_.WhereUsedRequested(ts);
        }
    }
    void wheelEvent(QWheelEvent* e) override {
        if (e->modifiers() & Qt::ControlModifier) {
            page_.SetZoom(page_.zoom_ * (e->angleDelta().y() > 0 ? 1.25 : 0.8));
            e->accept();
            return;
        }
        QWidget::wheelEvent(e);
    }

private:
    LogicDiagramPage& page_;
};

namespace {

// "ТС15 Напряжение: 1, недостоверный (аппаратно)".
QString ToolTipOf(const interlock::Workspace& ws, int ts) {
    const interlock::TsTableData& t = ws.TsTable;
    const DiagramTexts& x = DiagramPageTexts();
    QString s = ToQString(interlock::Texts().ts) + QString::number(ts);
    if (!t.Name[ts].empty()) s += " " + ToQString(t.Name[ts]);
    s += ": " + QString::number(t.Value[ts]);
    if (t.Unreliability[ts] == 2) s += ToQString(x.tipHardware);
    if (t.Unreliability[ts] == 1) s += ToQString(x.tipManual);
    if (t.TwoPosition[ts]) s += ToQString(x.tipPair).arg(ts + 1);
    return s;
}

QToolButton* Button(QWidget* parent, const QString& text, const std::string& tip) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(ToQString(tip));
    return b;
}

}  // namespace

LogicDiagramPage::LogicDiagramPage(interlock::Workspace& ws, Dialogs* dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    if (!dialogs_) {
        ownDialogs_ = std::make_unique<QtDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    auto* bar = new QHBoxLayout;
    const DiagramTexts& x = DiagramPageTexts();
    auto* out = Button(this, QString::fromUtf8("−"), x.zoomOutTip);
    auto* in = Button(this, "+", x.zoomInTip);
    auto* one = Button(this, "1:1", x.zoomOneTip);
    auto* fit = Button(this, ToQString(x.fitButton), x.fitTip);
    fit->setObjectName("ZoomFit");
    auto* fitAll = new QToolButton(this);
    fitAll->setText(ToQString(AnalysisTexts().fitAll));
    fitAll->setToolTip(ToQString(AnalysisTexts().fitAllHint));
    fitAll->setObjectName("ZoomFitAll");
    auto* svg = Button(this, "SVG...", x.svgTip);
    auto* pdf = Button(this, "PDF...", x.pdfTip);
    out->setObjectName("ZoomOut");
    in->setObjectName("ZoomIn");
    svg->setObjectName("ExportSvg");
    pdf->setObjectName("ExportPdf");
    zoomLabel_ = new QLabel(this);
    // The palette of the values, as the grids and the editor use it.
    auto* legend = new QLabel(this);
    legend->setObjectName("Legend");
    const auto swatch = [](diagram::Tone t, const QString& text) {
        return QString("<span style='color:%1'>&#9644;</span>&nbsp;%2")
            .arg(diagram::ColourOf(t).name(), text);
    };
    legend->setText(swatch(diagram::Tone::True, "1") + "&nbsp;&nbsp;" + swatch(diagram::Tone::False, "0") +
                    "&nbsp;&nbsp;" + swatch(diagram::Tone::Unreliable, ToQString(x.legendUnreliable)) +
                    "&nbsp;&nbsp;" + "<b>&#9644;</b>&nbsp;" + ToQString(x.legendDecisive));
    bar->addWidget(out);
    bar->addWidget(zoomLabel_);
    bar->addWidget(in);
    bar->addWidget(one);
    bar->addWidget(fit);
    bar->addWidget(fitAll);
    bar->addSpacing(16);
    bar->addWidget(legend);
    bar->addStretch();
    bar->addWidget(svg);
    bar->addWidget(pdf);

    canvas_ = new Canvas(*this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(false);
    scroll_->setBackgroundRole(QPalette::Base);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    connect(out, &QToolButton::clicked, this, [this] { SetZoom(zoom_ * 0.8); });
    connect(in, &QToolButton::clicked, this, [this] { SetZoom(zoom_ * 1.25); });
    connect(one, &QToolButton::clicked, this, [this] { SetZoom(1.0); });
    connect(fit, &QToolButton::clicked, this, [this] {
        const int room = scroll_->viewport()->width() - 4;
        if (diagram_.width > 0 && room > 0) SetZoom(room / diagram_.width);
    });
    connect(fitAll, &QToolButton::clicked, this, &LogicDiagramPage::FitAll);
    const auto key = [this](QKeySequence seq, auto slot) {
        auto* s = new QShortcut(seq, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    key(QKeySequence::ZoomIn, [this] { SetZoom(zoom_ * 1.25); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { SetZoom(zoom_ * 1.25); });
    key(QKeySequence::ZoomOut, [this] { SetZoom(zoom_ * 0.8); });
    key(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { SetZoom(1.0); });
    connect(svg, &QToolButton::clicked, this, &LogicDiagramPage::exportSvg);
    connect(pdf, &QToolButton::clicked, this, &LogicDiagramPage::exportPdf);
    refresh();
}

LogicDiagramPage::~LogicDiagramPage() {
    if (worker_.joinable()) worker_.join();  // its answer, queued to this page, is dropped with it
}

void LogicDiagramPage::refresh() {
    const int n = std::clamp(ws_.CurrentBlock, 1, interlock::kBlockCount);
    if (ws_.Blocks[n].Of(ws_.CurrentView).Logic.size() < kBackgroundLines) {
        if (!working_)
            Show(diagram::LayOutCurrent(ws_));
        else
            pending_ = true;  // the long logic's layout would arrive after this one
        return;
    }
    if (working_) {
        pending_ = true;
        return;
    }
    StartLayout();
}

void LogicDiagramPage::StartLayout() {
    // The worker reads a copy of the one block and the TS table, never the live workspace.
    auto copy = std::make_shared<interlock::Workspace>();
    copy->TsTable = ws_.TsTable;
    copy->CurrentBlock = std::clamp(ws_.CurrentBlock, 1, interlock::kBlockCount);
    copy->CurrentView = ws_.CurrentView;
    copy->Blocks[copy->CurrentBlock] = ws_.Blocks[copy->CurrentBlock];
    if (worker_.joinable()) worker_.join();
    working_ = true;
    worker_ = std::thread([this, copy] {
        auto d = std::make_shared<diagram::Diagram>(diagram::LayOutCurrent(*copy));
        QMetaObject::invokeMethod(
            this,
            [this, d] {
                working_ = false;
                Show(std::move(*d));
                if (pending_) {
                    pending_ = false;
                    refresh();
                }
            },
            Qt::QueuedConnection);
    });
}

void LogicDiagramPage::Show(diagram::Diagram d) {
    diagram_ = std::move(d);
    if (search_) diagram_.found = diagram::Find(diagram_, *search_);
    zoomLabel_->setText(QString::number(std::lround(zoom_ * 100)) + "%");
    canvas_->Fit();
    emit Drawn();
}

void LogicDiagramPage::SetSearch(std::optional<diagram::SearchTerm> term) {
    search_ = term;
    diagram_.found = term ? diagram::Find(diagram_, *term) : std::vector<diagram::Rect>{};
    canvas_->update();
}

void LogicDiagramPage::ShowFound(int index) {
    if (index < 0 || index >= FoundCount()) return;
    const diagram::Rect& r = diagram_.found[static_cast<size_t>(index)];
    const QSize room = scroll_->viewport()->size();
    scroll_->ensureVisible(static_cast<int>((r.x + r.w / 2) * zoom_),
                           static_cast<int>((r.y + r.h / 2) * zoom_), room.width() / 2, room.height() / 2);
}

void LogicDiagramPage::SetZoom(double zoom) {
    zoom_ = std::clamp(zoom, kMinZoom, 4.0);
    zoomLabel_->setText(QString::number(std::lround(zoom_ * 100)) + "%");
    canvas_->Fit();
}

void LogicDiagramPage::FitAll() {
    const QSize room = scroll_->viewport()->size() - QSize(4, 4);
    if (diagram_.width <= 0 || diagram_.height <= 0 || room.isEmpty()) return;
    SetZoom(std::min(room.width() / diagram_.width, room.height() / diagram_.height));
}

void LogicDiagramPage::exportSvg() { Export(true); }
void LogicDiagramPage::exportPdf() { Export(false); }

void LogicDiagramPage::Export(bool svg) {
    const std::string ext = svg ? "svg" : "pdf";
    const AnalysisViewTexts& t = AnalysisTexts();
    const std::string name = t.exportName + std::to_string(ws_.CurrentBlock) +
                             (ws_.CurrentView == interlock::Side::On ? t.exportOn : t.exportOff) + "." + ext;
    const FileFilters filters{
        {svg ? DiagramPageTexts().svgFilter : DiagramPageTexts().pdfFilter, "*." + ext}};
    const std::optional<std::string> chosen = dialogs_->SaveFile(name, filters, ext);
    if (!chosen) return;
    const std::string path = cp1251::ToUtf8(*chosen);
    // The file carries the legend, the time and the TS values with the drawing; not the marks
    // of a search.
    diagram::Diagram d = diagram_;
    d.found.clear();
    diagram::AddExportNotes(d, ws_.TsTable,
                            QDateTime::currentDateTime().toString("dd.MM.yyyy HH:mm:ss").toStdString());
    const std::string error = svg ? diagram::ExportSvg(d, path) : diagram::ExportPdf(d, path);
    if (!error.empty())
        dialogs_->Message({storage::Texts().cannotWrite + " " + *chosen + "\n\r" + cp1251::FromUtf8(error),
                           DiagramPageTexts().diagramCaption, interlock::Icon::Error});
}

QWidget* CreateLogicDiagramPage(interlock::Workspace& ws, QWidget* parent, Dialogs* dialogs) {
    return new LogicDiagramPage(ws, dialogs, parent);
}

void PrintInterlockTable(const interlock::Workspace& ws, Dialogs& dialogs, const std::string& configPath,
                         analysis::Analyser& analyser, PrintTarget target,
                         const sequences::SwitchingForm* form) {
    const DiagramTexts& x = DiagramPageTexts();
    std::optional<std::string> chosen;
    if (target == PrintTarget::Pdf) {
        std::string base = configPath.empty() ? x.printDefaultName : configPath;
        if (const size_t slash = base.find_last_of("/\\"); slash != std::string::npos)
            base = base.substr(slash + 1);
        if (const size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0) base.resize(dot);
        chosen = dialogs.SaveFile(base + ".pdf", {{x.pdfFilter, "*.pdf"}}, "pdf");
        if (!chosen) return;
    }
    // The TS the window knows no name of (no server link) take theirs from the names file
    // beside the configuration, as interlocks-report does.
    const interlock::Workspace* source = &ws;
    std::unique_ptr<interlock::Workspace> named;
    if (!configPath.empty()) {
        named = std::make_unique<interlock::Workspace>(ws);
        const std::string namesFile = storage::NamesFileFor(configPath);
        const storage::NamesRead read = storage::GiveNamesFromFile(*named, cp1251::ToUtf8(namesFile), false);
        std::string problems = read.error;
        for (const storage::TsNamesError& e : read.lines)
            problems += (problems.empty() ? "" : "\n\r") + namesFile + ": " + PageWords().line +
                        std::to_string(e.line) + ": " + e.message;
        if (!problems.empty())
            dialogs.Message({problems, AnalysisPageTexts().print, interlock::Icon::Warning});
        if (read.given > 0) source = named.get();
    }
    if (target != PrintTarget::Pdf) {
        const report::PreparedTable table =
            report::PrepareInterlockTable(*source, configPath, &analyser, {}, form);
        const PrintRequest request{AnalysisPageTexts().print,
                                   target == PrintTarget::Preview ? PrintWay::Preview : PrintWay::Dialog};
        dialogs.Print(request, [&table](QPagedPaintDevice& printer) {
            return report::PrintInterlockTable(table, printer);
        });
        return;
    }
    const std::string error =
        report::WriteInterlockTable(*source, configPath, cp1251::ToUtf8(*chosen), &analyser, {}, form);
    if (!error.empty())
        dialogs.Message({x.printFailed + *chosen + "\n\r" + cp1251::FromUtf8(error),
                         AnalysisPageTexts().print, interlock::Icon::Error});
}

}  // namespace ui
