#include "ui/analysis/analysis_form.h"

#include "sequences/sequences_texts.h"
#include "ui/sequences/sequences_page.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStyle>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>
#include <ctime>
#include <functional>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "storage/texts.h"
#include "ui/widgets/colours.h"
#include "ui/model/dialogs.h"
#include "ui/report/logic_diagram.h"
#include "ui/model/texts.h"
#include "ui/analysis/logic_diagram_page.h"
#include "ui/workbench/workbench.h"
#include "topology/topology_texts.h"
#include "ui/topology/topology_page.h"
#include "ui/widgets/qt_text.h"
#include "ui/model/report_texts.h"
#include "ui/model/window_analysis_texts.h"

namespace ui {

namespace {

QString Q(const std::string& cp1251Text) { return ToQString(cp1251Text); }

// Reads a configuration for comparison; the error text when it cannot be used.
std::string ReadOther(const std::string& path, interlock::Workspace& ws) {
    storage::ReadResult file = storage::ReadWholeFile(cp1251::ToUtf8(path));
    if (!file) return file.error;
    if (!storage::Read_Config_Text(ws, storage::SplitLines(file.bytes))) {
        std::string text = storage::Texts().cannotRead + " \"" + path + "\"";
        for (const interlock::Message& m : ws.Messages) text += "\n\r" + m.text;
        return text;
    }
    ws.Messages.clear();
    return {};
}

constexpr int kRowRole = Qt::UserRole;

// The GUI thread's CPU time in ms where the system tells it (the wall clock elsewhere): what the
// window's own work costs, without the time the thread waited for a core of a busy machine.
double ThreadCpuMs() {
#if defined(__unix__)
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
#else
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

// What the search field holds as a TS or an M variable: "S12", "D12", "ТС12", "TS12" and "12"
// are TS 12, "M3" is M3; nullopt for anything else.
std::optional<diagram::SearchTerm> ParseSearch(const QString& text) {
    static const QRegularExpression re("^(S|D|TS|M|" + Q(interlock::Texts().ts) + ")?\\s*0*(\\d{1,3})$",
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    const bool isM = m.captured(1).compare("M", Qt::CaseInsensitive) == 0;
    const int number = m.captured(2).toInt();
    if (number < 1 || number > (isM ? interlock::kMCount : interlock::kTsCount)) return std::nullopt;
    return diagram::SearchTerm{isM ? diagram::SearchTerm::Kind::M : diagram::SearchTerm::Kind::Ts, number};
}

// The cells that name a term: the number right after its letters, not a part of a longer word
// or number ("S12" and "~S12" name TS 12; "S120" and "line 12" do not).
QString PatternOf(const diagram::SearchTerm& term) {
    const QString letters =
        term.kind == diagram::SearchTerm::Kind::M ? QString("M") : "S|D|TS|" + Q(interlock::Texts().ts);
    return QString("(?<![\\p{L}\\p{N}_])(?:%1)%2(?!\\d)").arg(letters).arg(term.number);
}

const QColor kFoundColour(255, 236, 120);

// A row that sorts numbers as numbers ("9" before "10") and keeps the page's order among equals.
class RowItem : public QTreeWidgetItem {
public:
    explicit RowItem(int row) { setData(0, kRowRole, row); }
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QString a = text(column), b = other.text(column);
        bool na = false, nb = false;
        const long long x = a.toLongLong(&na), y = b.toLongLong(&nb);
        if (na && nb && x != y) return x < y;
        if (na != nb) return na;  // numbers before words and blanks
        if (!(na && nb)) {
            const int c = QString::localeAwareCompare(a, b);
            if (c != 0) return c < 0;
        }
        return data(0, kRowRole).toInt() < other.data(0, kRowRole).toInt();
    }
};

}  // namespace

TForm_Analysis::TForm_Analysis(Workbench& workbench, QWidget* parent)
    : QWidget(parent, Qt::Window), workbench_(workbench), dialogs_(workbench.Boxes()) {
    BuildWidgets();
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshDelayMs);
    connect(refreshTimer_, &QTimer::timeout, this, &TForm_Analysis::Refresh);
    connect(&workbench_, &Workbench::Refreshed, this, &TForm_Analysis::ScheduleRefresh);
    connect(&workbench_, &Workbench::TsEditChanged, this, &TForm_Analysis::UpdateActions);
    UpdateActions();
}

TForm_Analysis::~TForm_Analysis() = default;

analysis::Analyser& TForm_Analysis::Analyser() { return workbench_.Analyser(); }

void TForm_Analysis::BuildWidgets() {
    const AnalysisWindowTexts& t = AnalysisPageTexts();
    setWindowTitle(Q(t.title));
    resize(820, 420);
    auto* layout = new QVBoxLayout(this);
    Pages = new QTabWidget(this);
    layout->addWidget(Pages);
    const std::string* names[kPageCount] = {&t.pageWhy,          &t.pageUnreliable, &t.pageProblems,
                                            &t.pageRequirements, &t.pageCompare,    &t.pageWhere};
    for (int id = 0; id < kPageCount; ++id) {
        auto* page = new QWidget(Pages);
        auto* box = new QVBoxLayout(page);
        View& v = views_[id];
        v.heading = new QLabel(page);
        v.heading->setWordWrap(true);
        v.heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
        v.tree = new QTreeWidget(page);
        v.tree->setRootIsDecorated(false);
        v.tree->setUniformRowHeights(true);
        v.tree->setAlternatingRowColors(true);
        v.tree->setObjectName(QString("Tree%1").arg(id));
        v.tree->header()->setSectionsClickable(true);
        v.tree->installEventFilter(this);
        v.filter = new QLineEdit(page);
        v.filter->setPlaceholderText(Q(AnalysisTexts().filterHint));
        v.filter->setClearButtonEnabled(true);
        box->addWidget(v.heading);
        box->addWidget(v.filter);
        box->addWidget(v.tree, 1);
        auto* actions = new QHBoxLayout;
        box->addLayout(actions);
        const auto pid = static_cast<PageId>(id);
        connect(v.tree, &QTreeWidget::itemDoubleClicked, this,
                [this, pid](QTreeWidgetItem* item) { RowDoubleClick(pid, RowOf(pid, item)); });
        connect(v.tree->header(), &QHeaderView::sectionClicked, this,
                [this, pid](int column) { SortBy(pid, column); });
        connect(v.filter, &QLineEdit::textChanged, this, [this, pid] { ApplyFilter(pid); });
        connect(v.tree, &QTreeWidget::currentItemChanged, this, &TForm_Analysis::UpdateActions);
        auto button = [&](const std::string& text) {
            auto* b = new QPushButton(Q(text), page);
            actions->addWidget(b);
            return b;
        };
        switch (pid) {
            case Why:
                Apply_Why_Button = button(t.apply);
                connect(Apply_Why_Button, &QPushButton::clicked, this, [this] { ApplyClick(Why); });
                Restore_Why_Button = button(AnalysisTexts().restore);
                connect(Restore_Why_Button, &QPushButton::clicked, this, &TForm_Analysis::RestoreClick);
                break;
            case Requirements:
                Apply_Requirement_Button = button(t.apply);
                connect(Apply_Requirement_Button, &QPushButton::clicked, this,
                        [this] { ApplyClick(Requirements); });
                Restore_Requirement_Button = button(AnalysisTexts().restore);
                connect(Restore_Requirement_Button, &QPushButton::clicked, this,
                        &TForm_Analysis::RestoreClick);
                Requirements_Button = button(t.chooseRequirements);
                connect(Requirements_Button, &QPushButton::clicked, this,
                        &TForm_Analysis::Requirements_ButtonClick);
                break;
            case Compare:
                Compare_Button = button(t.chooseCompare);
                connect(Compare_Button, &QPushButton::clicked, this, &TForm_Analysis::Compare_ButtonClick);
                break;
            case WhereUsed:
                actions->addWidget(new QLabel(Q(t.whereLabel), page));
                Where_Number = new QSpinBox(page);
                Where_Number->setRange(1, interlock::kTsCount);
                actions->addWidget(Where_Number);
                connect(Where_Number, &QSpinBox::valueChanged, this, &TForm_Analysis::Refresh);
                break;
            default:
                break;
        }
        actions->addStretch(1);
        Pages->addTab(page, Q(*names[id]));
    }
    Diagram_Page = CreateAnalysisDiagramPage(workbench_, *this, Pages);
    Pages->addTab(Diagram_Page, Q(t.pageDiagram));
    Topology_Page = CreateTopologyPage(workbench_, *this, Pages);
    Pages->addTab(Topology_Page, Q(topology::Texts().heading));
    Sequences_Page = new SequencesPage(workbench_, *this, Pages);
    Pages->addTab(Sequences_Page, Q(sequences::Texts().pageName));
    auto* bottom = new QHBoxLayout;
    layout->addLayout(bottom);
    const AnalysisViewTexts& v = AnalysisTexts();
    bottom->addWidget(new QLabel(Q(v.searchLabel), this));
    Search_Field = new QLineEdit(this);
    Search_Field->setObjectName("Search_Field");
    Search_Field->setPlaceholderText(Q(v.searchHint));
    Search_Field->setClearButtonEnabled(true);
    Search_Field->setMaximumWidth(220);
    bottom->addWidget(Search_Field);
    Search_Prev = new QPushButton(QString::fromUtf8("◀"), this);
    Search_Prev->setToolTip(Q(v.searchPrevTip));
    Search_Next = new QPushButton(QString::fromUtf8("▶"), this);
    Search_Next->setToolTip(Q(v.searchNextTip));
    bottom->addWidget(Search_Prev);
    bottom->addWidget(Search_Next);
    Search_Count = new QLabel(this);
    bottom->addWidget(Search_Count);
    connect(Search_Field, &QLineEdit::textChanged, this, [this](const QString& text) { Search(text); });
    connect(Search_Field, &QLineEdit::returnPressed, this, [this] { SearchStep(1); });
    connect(Search_Next, &QPushButton::clicked, this, [this] { SearchStep(1); });
    connect(Search_Prev, &QPushButton::clicked, this, [this] { SearchStep(-1); });
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(next, &QShortcut::activated, this, [this] { SearchStep(1); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(previous, &QShortcut::activated, this, [this] { SearchStep(-1); });
    bottom->addStretch(1);
    Print_Button = new QPushButton(Q(t.print), this);
    bottom->addWidget(Print_Button);
    auto* printMenu = new QMenu(Print_Button);
    printMenu->setObjectName("Print_Menu");
    connect(printMenu->addAction(Q(v.printToPrinter)), &QAction::triggered, this,
            [this] { PrintClick(PrintTarget::Printer); });
    connect(printMenu->addAction(Q(v.printPreview)), &QAction::triggered, this,
            [this] { PrintClick(PrintTarget::Preview); });
    connect(printMenu->addAction(Q(v.printToPdf)), &QAction::triggered, this,
            &TForm_Analysis::Print_ButtonClick);
    Print_Button->setMenu(printMenu);
    connect(Pages, &QTabWidget::currentChanged, this, &TForm_Analysis::Refresh);
    // The layouts place the widgets only once the window is first shown; until then every label
    // and button already has the room its text needs.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))
            w->resize(w->size().expandedTo(w->sizeHint()).expandedTo(w->minimumSizeHint()));
    }
}

void TForm_Analysis::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

QRect TForm_Analysis::BesideRect(const QRect& mainFrame, const QSize& size, const QRect& screen) {
    const int gap = 4;
    const int right = screen.right() - mainFrame.right() - gap;  // room right of the main window
    const int left = mainFrame.left() - screen.left() - gap;
    const int y = std::clamp(mainFrame.top(), screen.top(),
                             std::max(screen.top(), screen.bottom() + 1 - size.height()));
    QRect r(QPoint(0, y), size);
    if (right >= size.width() || (right >= left && right > 0)) {
        r.moveLeft(mainFrame.right() + 1 + gap);
        if (right < size.width()) r.moveRight(screen.right());  // overlap as little as the screen allows
    } else if (left > 0) {
        r.moveRight(mainFrame.left() - 1 - gap);
        if (left < size.width()) r.moveLeft(screen.left());
    } else {
        r.moveRight(screen.right());
    }
    return r;
}

void TForm_Analysis::Open() {
    if (!placed_) {
        placed_ = true;
        const QWidget* main = workbench_.MainWidget();
        const QScreen* screen = main ? main->screen() : this->screen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
        const QRect frame = frameGeometry();
        const QRect r =
            BesideRect(main ? main->frameGeometry() : QRect(area.topLeft(), QSize(0, 0)), frame.size(), area);
        move(r.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void TForm_Analysis::OpenPage(PageId id) {
    Pages->setCurrentIndex(id);
    Open();
    Refresh();
}

void TForm_Analysis::ShowWhereUsed(int ts) {
    const QSignalBlocker block(Where_Number);
    Where_Number->setValue(ts);
    OpenPage(WhereUsed);
}

void TForm_Analysis::ScheduleRefresh() {
    if (isVisible() && !refreshTimer_->isActive()) refreshTimer_->start();
}

bool TForm_Analysis::RefreshPending() const { return refreshTimer_->isActive(); }

void TForm_Analysis::Refresh() {
    refreshTimer_->stop();
    if (!isVisible()) return;
    workbench_.FinishLoad();  // blocks read but not yet recalculated are not what to show
    const auto start = std::chrono::steady_clock::now();
    const double cpu = ThreadCpuMs();
    const int index = Pages->currentIndex();
    if (index >= 0 && index < kPageCount) Renew(static_cast<PageId>(index));
    UpdateActions();
    emit Refreshed();  // the diagram page draws anew: part of the refresh's time
    lastRefreshMs_ =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    CountLoop(lastRefreshMs_, ThreadCpuMs() - cpu);
}

void TForm_Analysis::Renew(PageId id, bool aside) {
    // The problems and the where-used lists do not read TS values: a refresh for new values
    // (a datagram, a TS typed) costs them a hash instead of a rebuild of thousands of rows.
    const bool structural = id == Problems || id == WhereUsed;
    const size_t key = structural ? StructureKey(id) : 0;
    if (structural && key != 0 && key == builtKey_[id] && views_[id].filled) {
        if (views_[id].stale) {
            // A change came and went while an answer was computed: the one shown is current,
            // and the answer on its way is for the change.
            views_[id].stale = false;
            ShowHeading(id);
            UpdateActions();
            if (asideOwn_) asidePending_ = true;
        }
        return;
    }
    if (aside && StartAside(id)) return;
    Fill(id, Build(id));
    KeepKey(id, workbench_.Ws(), Where_Number->value());
}

void TForm_Analysis::KeepKey(PageId id, const interlock::Workspace& ws, int where) {
    const bool structural = id == Problems || id == WhereUsed;
    builtKey_[id] = structural ? StructureKey(id, ws, where) : 0;
    keyForms_[id].clear();
    if (!structural) return;
    for (const interlock::Block& b : ws.Blocks)
        for (const interlock::Side side : {interlock::Side::On, interlock::Side::Off})
            keyForms_[id].push_back(b.Of(side).Logic.compiled());
}

namespace {

// The pages that read the analyser, built from `ws` (a copy, when on the worker thread).
Page BuildAnalysed(TForm_Analysis::PageId id, analysis::Analyser& a, const interlock::Workspace& ws,
                   int where) {
    switch (id) {
        case TForm_Analysis::Why:
            return WhyPage(a, ws);
        case TForm_Analysis::Unreliable:
            return UnreliablePage(a, ws);
        case TForm_Analysis::Problems:
            a.Update(ws);
            return ProblemsPage(a, ws);
        case TForm_Analysis::WhereUsed:
            a.Update(ws);
            return WhereUsedPage(a, ws, where);
        default:
            return {};
    }
}

size_t LogicLines(const interlock::Workspace& ws) {
    size_t lines = 0;
    for (const interlock::Block& b : ws.Blocks) lines += b.OnLogic.size() + b.OffLogic.size();
    return lines;
}

// What the pages read of the workspace: the TS table and the blocks (their texts share the
// compiled forms), the block and side on view.
std::shared_ptr<interlock::Workspace> CopyForAnalysis(const interlock::Workspace& ws) {
    auto copy = std::make_shared<interlock::Workspace>();
    copy->TsTable = ws.TsTable;
    copy->Blocks = ws.Blocks;
    copy->CurrentBlock = ws.CurrentBlock;
    copy->CurrentView = ws.CurrentView;
    copy->ConfigFileName = ws.ConfigFileName;
    return copy;
}

// The forms the worker compiled for texts that are still the same become the live texts'
// own, so that the analyser does not build their models again for a new form.
void AdoptForms(interlock::Workspace& live, const interlock::Workspace& copy) {
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        for (const interlock::Side side : {interlock::Side::On, interlock::Side::Off}) {
            const interlock::LogicText& to = live.Blocks[n].Of(side).Logic;
            const interlock::LogicText& from = copy.Blocks[n].Of(side).Logic;
            if (!to.compiled() && from.compiled() && to == from) to.setCompiled(from.compiled());
        }
    }
}

}  // namespace

bool TForm_Analysis::StartAside(PageId id) {
    if (id != Why && id != Unreliable && id != Problems && id != WhereUsed) return false;
    interlock::Workspace& ws = workbench_.Ws();
    if (LogicLines(ws) < asideLines_) return false;
    if (workbench_.AnalysingAside()) {
        // One job at a time: this refresh is done again when the running one ends.
        asidePending_ = true;
        MarkStale(id);
        return true;
    }
    std::shared_ptr<interlock::Workspace> copy = CopyForAnalysis(ws);
    const unsigned generation = ++asked_[id];
    const int where = Where_Number->value();
    QPointer<TForm_Analysis> self(this);
    // The worker only moves the window's guard along; it is read on the GUI thread.
    const bool started = workbench_.AnalyseAside([self, copy, id, generation,
                                                  where](analysis::Analyser& a) mutable {
        auto page = std::make_shared<Page>(BuildAnalysed(id, a, *copy, where));
        return std::function<void()>([self = std::move(self), copy, id, generation, where, page] {
            if (!self) return;
            TForm_Analysis& w = *self;
            const auto start = std::chrono::steady_clock::now();
            const double cpu = ThreadCpuMs();
            w.asideOwn_ = false;
            AdoptForms(w.workbench_.Ws(), *copy);
            // Current unless a newer answer was asked for or a change came meanwhile.
            const bool current = generation == w.asked_[id] && !w.asidePending_ && !w.RefreshPending();
            w.Fill(id, std::move(*page));
            if (current) {
                w.KeepKey(id, *copy, where);
            } else {
                w.builtKey_[id] = 0;
                w.MarkStale(id);
            }
            w.UpdateActions();
            w.CountLoop(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
                ThreadCpuMs() - cpu);
            if (w.asidePending_) {
                w.asidePending_ = false;
                w.Refresh();
            }
        });
    });
    if (!started) return false;  // a modal box is open: built here, as for short logics
    asideOwn_ = true;
    MarkStale(id);
    return true;
}

void TForm_Analysis::MarkStale(PageId id) {
    View& v = views_[id];
    if (v.stale) return;
    v.stale = true;
    ShowHeading(id);
    UpdateActions();
}

void TForm_Analysis::ShowHeading(PageId id) {
    const View& v = views_[id];
    const Page& page = v.shown;
    std::string text = !v.filled              ? std::string()
                       : page.heading.empty() ? page.empty
                       : page.rows.empty()    ? page.heading + "\n" + page.empty
                                              : page.heading;
    if (v.stale || v.filling) text = AnalysisTexts().computing + (text.empty() ? "" : "\n" + text);
    v.heading->setText(Q(text));
}

size_t TForm_Analysis::StructureKey(PageId id) const {
    return StructureKey(id, workbench_.Ws(), Where_Number->value());
}

size_t TForm_Analysis::StructureKey(PageId id, const interlock::Workspace& ws, int where) {
    std::string s;
    s.reserve(16 * 1024);
    const auto add = [&s](const void* data, size_t size) { s.append(static_cast<const char*>(data), size); };
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        for (const interlock::Side side : {interlock::Side::On, interlock::Side::Off}) {
            const auto f = b.Of(side);
            const interlock::CompiledLogic* form = f.Logic.compiled().get();
            if (!form && !f.Logic.empty()) return 0;
            add(&form, sizeof form);
            s += static_cast<char>(f.Error);
            s += f.ErrorLine + '\f' + f.ErrorMessage + '\f';
        }
        add(&b.StateSignal, sizeof b.StateSignal);
        s += b.Name + '\f';
    }
    const interlock::TsTableData& t = ws.TsTable;
    add(t.TwoPosition.data(), t.TwoPosition.size());
    add(t.Inverted.data(), t.Inverted.size());
    add(t.Unreliability.data(), t.Unreliability.size());
    for (int ts = 1; ts <= interlock::kTsCount; ++ts) s += t.Name[ts] + '\f';
    if (id == WhereUsed) s += std::to_string(where);
    const size_t key = std::hash<std::string>{}(s);
    return key == 0 ? 1 : key;
}

size_t TForm_Analysis::Signature() const {
    const interlock::Workspace& ws = workbench_.Ws();
    std::string s;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        s += b.Name + '\n' + std::to_string(b.StateSignal) + '\n';
        for (const auto* logic : {&b.OnLogic, &b.OffLogic}) {
            for (const std::string& line : *logic) s += line + '\n';
            s += '\f';
        }
    }
    for (int ts = 1; ts <= interlock::kTsCount; ++ts) {
        s += static_cast<char>('0' + ws.TsTable.TwoPosition[ts]);
        s += static_cast<char>('0' + ws.TsTable.Inverted[ts]);
    }
    return std::hash<std::string>{}(s);
}

void TForm_Analysis::ProveIfNeeded() {
    const interlock::Workspace& ws = workbench_.Ws();
    std::string file = chosenRequirements_;
    if (file.empty() && !ws.ConfigFileName.empty()) {
        const std::string beside = analysis::RequirementsFileFor(ws.ConfigFileName);
        if (storage::FileExists(cp1251::ToUtf8(beside))) file = beside;
    }
    std::string bytes;
    if (!file.empty()) {
        storage::ReadResult r = storage::ReadWholeFile(cp1251::ToUtf8(file));
        if (r) bytes = std::move(r.bytes);
    }
    const size_t signature = Signature();
    if (proven_ && file == provenFile_ && bytes == provenBytes_ && signature == provenSignature_) return;
    proven_ = true;
    provenFile_ = file;
    provenBytes_ = bytes;
    provenSignature_ = signature;
    parsed_ = analysis::ParseRequirementsFile(bytes);
    results_ = file.empty() ? std::vector<analysis::RequirementResult>{}
                            : analysis::Prove(Analyser(), ws, parsed_.requirements);
}

void TForm_Analysis::CompareIfNeeded() {
    if (!other_) return;
    const size_t signature = Signature();
    if (compared_ && signature == diffSignature_) return;
    compared_ = true;
    diffSignature_ = signature;
    diff_ = analysis::Diff(Analyser().Session(), *other_, workbench_.Ws());
}

Page TForm_Analysis::Build(PageId id) {
    const interlock::Workspace& ws = workbench_.Ws();
    switch (id) {
        case Requirements:
            ProveIfNeeded();
            return RequirementsPage(provenFile_, parsed_, results_, ws);
        case Compare:
            if (!other_) {
                Page p;
                p.empty = Texts().compareChoose;
                return p;
            }
            CompareIfNeeded();
            return ComparePage(compareFile_, diff_, *other_, ws);
        default:
            return BuildAnalysed(id, Analyser(), ws, Where_Number->value());
    }
}

void TForm_Analysis::Fill(PageId id, Page page) {
    View& v = views_[id];
    // A page being set in steps is superseded; its items hold rows of both pages.
    v.mixed = v.mixed || v.filling;
    v.filling = false;
    ++v.fillGeneration;
    const bool wasStale = v.stale;
    v.stale = false;
    if (!v.mixed && v.filled && v.shown == page) {
        if (wasStale) ShowHeading(id);
        return;
    }
    const bool sameColumns = v.filled && v.shown.columns == page.columns;
    QTreeWidget* tree = v.tree;
    const int current = CurrentRow(id);
    if (!sameColumns) {
        const QSignalBlocker block(tree);
        QStringList labels;
        for (const std::string& c : page.columns) labels << Q(c);
        tree->setColumnCount(static_cast<int>(labels.size()));
        tree->setHeaderLabels(labels);
        v.sortColumn = -1;
        tree->header()->setSortIndicatorShown(false);
    }
    if (page.rows.size() > kRowsPerStep) {
        // Thousands of rows (the findings of a long logic) are set a step per turn of the event
        // loop, so that the main window answers in between; the page says it is not complete.
        v.incoming = std::move(page);
        v.filling = true;
        v.nextRow = 0;
        v.fillSameColumns = sameColumns;
        v.fillCurrent = current;
        v.longest.assign(v.incoming.columns.size(), {});
        ShowHeading(id);
        UpdateActions();
        const unsigned generation = v.fillGeneration;
        QTimer::singleShot(0, this, [this, id, generation] { FillStep(id, generation); });
        return;
    }
    const QSignalBlocker block(tree);
    // Rows that stay keep their items: only changed texts are set.
    const size_t count = page.rows.size();
    while (v.items.size() > count) {
        delete v.items.back();
        v.items.pop_back();
    }
    while (v.items.size() < count) {
        auto* item = new RowItem(static_cast<int>(v.items.size()));
        tree->addTopLevelItem(item);
        v.items.push_back(item);
    }
    for (size_t r = 0; r < count; ++r) {
        const PageRow& row = page.rows[r];
        if (!v.mixed && v.filled && r < v.shown.rows.size() && v.shown.rows[r] == row) continue;
        SetRow(v, r, row);
    }
    // Columns grow with later, longer texts (a column the user narrowed stays as long as its
    // texts do not change); the last one takes the rest of the width.
    for (int c = 0; c + 1 < tree->columnCount(); ++c) {
        const int before = tree->columnWidth(c);
        tree->resizeColumnToContents(c);
        if (sameColumns && tree->columnWidth(c) < before) tree->setColumnWidth(c, before);
    }
    v.shown = std::move(page);
    FillDone(id, current);
}

void TForm_Analysis::SetRow(View& v, size_t r, const PageRow& row) {
    QTreeWidgetItem* item = v.items[r];
    for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
        const QString text = Q(row.cells[static_cast<size_t>(c)]);
        item->setText(c, text);
        item->setToolTip(c, text);  // the whole text where the column cuts it
        item->setForeground(c, row.emphasised ? QBrush(ToQColor(interlock::colour::kRed)) : QBrush());
        if (v.filling && static_cast<size_t>(c) < v.longest.size()) {
            // The longest few texts of the column, measured once the page is set: measuring
            // every text of thousands of rows costs more than setting them.
            std::vector<QString>& top = v.longest[static_cast<size_t>(c)];
            if (top.size() < View::kMeasured || text.size() > top.back().size()) {
                if (top.size() == View::kMeasured) top.pop_back();
                top.insert(
                    std::upper_bound(top.begin(), top.end(), text,
                                     [](const QString& a, const QString& b) { return a.size() > b.size(); }),
                    text);
            }
        }
    }
}

void TForm_Analysis::FillStep(PageId id, unsigned generation) {
    View& v = views_[id];
    if (!v.filling || generation != v.fillGeneration) return;
    const auto start = std::chrono::steady_clock::now();
    const double cpu = ThreadCpuMs();
    QTreeWidget* tree = v.tree;
    {
        const QSignalBlocker block(tree);
        const size_t count = v.incoming.rows.size();
        const size_t end = std::min(count, v.nextRow + kRowsPerStep);
        QList<QTreeWidgetItem*> added;
        for (size_t r = v.nextRow; r < end; ++r) {
            const PageRow& row = v.incoming.rows[r];
            if (r >= v.items.size()) {
                auto* item = new RowItem(static_cast<int>(r));
                v.items.push_back(item);
                added << item;
            } else if (!v.mixed && v.filled && r < v.shown.rows.size() && v.shown.rows[r] == row) {
                continue;
            }
            SetRow(v, r, row);
        }
        if (!added.isEmpty()) tree->addTopLevelItems(added);
        v.nextRow = end;
        if (end == count) {
            while (v.items.size() > count) {
                delete v.items.back();
                v.items.pop_back();
            }
            // The widths from the texts set (a delegate's margins around them), never narrower
            // than the header or, for the same columns, than before.
            const int margin =
                2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
            for (int c = 0; c + 1 < tree->columnCount(); ++c) {
                int measured = 0;
                if (c < static_cast<int>(v.longest.size()))
                    for (const QString& text : v.longest[static_cast<size_t>(c)])
                        measured = std::max(measured, tree->fontMetrics().horizontalAdvance(text) + margin);
                const int floor =
                    v.fillSameColumns ? tree->columnWidth(c) : tree->header()->sectionSizeHint(c);
                tree->setColumnWidth(c, std::max(measured, floor));
            }
        }
    }
    if (v.nextRow < v.incoming.rows.size()) {
        QTimer::singleShot(0, this, [this, id, generation] { FillStep(id, generation); });
    } else {
        v.filling = false;
        v.shown = std::move(v.incoming);
        v.incoming = Page{};
        FillDone(id, v.fillCurrent);
        UpdateActions();
    }
    CountLoop(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
              ThreadCpuMs() - cpu);
}

void TForm_Analysis::FinishFill(PageId id) {
    while (views_[id].filling) FillStep(id, views_[id].fillGeneration);
}

void TForm_Analysis::FillDone(PageId id, int current) {
    View& v = views_[id];
    QTreeWidget* tree = v.tree;
    const QSignalBlocker block(tree);
    v.filled = true;
    v.mixed = false;
    ShowHeading(id);
    MarkFound(id);
    Resort(id);
    if (current >= 0 && current < static_cast<int>(v.items.size()))
        tree->setCurrentItem(v.items[static_cast<size_t>(current)]);
    ApplyFilter(id);
}

int TForm_Analysis::RowOf(PageId id, const QTreeWidgetItem* item) const {
    if (!item) return -1;
    const int row = item->data(0, kRowRole).toInt();
    return row >= 0 && row < static_cast<int>(views_[id].items.size()) &&
                   views_[id].items[static_cast<size_t>(row)] == item
               ? row
               : -1;
}

int TForm_Analysis::CurrentRow(PageId id) const { return RowOf(id, Tree(id)->currentItem()); }

void TForm_Analysis::SortBy(PageId id, int column) {
    View& v = views_[id];
    if (column < 0 || column >= v.tree->columnCount()) return;
    v.descending = v.sortColumn == column && !v.descending;
    v.sortColumn = column;
    Resort(id);
}

void TForm_Analysis::Resort(PageId id) {
    View& v = views_[id];
    QTreeWidget* tree = v.tree;
    if (v.sortColumn < 0 || v.sortColumn >= tree->columnCount()) return;
    const Qt::SortOrder order = v.descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    tree->header()->setSortIndicatorShown(true);
    tree->header()->setSortIndicator(v.sortColumn, order);
    tree->sortItems(v.sortColumn, order);
}

void TForm_Analysis::ApplyFilter(PageId id) {
    View& v = views_[id];
    const QStringList words = v.filter->text().split(' ', Qt::SkipEmptyParts);
    for (size_t r = 0; r < v.items.size(); ++r) {
        QTreeWidgetItem* item = v.items[r];
        bool shown = true;
        // Every word must be in some cell: "9 ошибка" keeps block 9's errors. A number must be
        // a whole cell (block 1, not 10..19), other words may be a part of one.
        for (const QString& w : words) {
            bool number = false;
            w.toInt(&number);
            bool found = false;
            for (int c = 0; c < item->columnCount() && !found; ++c)
                found = number ? item->text(c) == w : item->text(c).contains(w, Qt::CaseInsensitive);
            shown = shown && found;
        }
        item->setHidden(!shown);
    }
    // The current row is one on view: the first when the filter hid it.
    QTreeWidget* tree = v.tree;
    if (tree->currentItem() && !tree->currentItem()->isHidden()) return;
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
        if (tree->topLevelItem(r)->isHidden()) continue;
        tree->setCurrentItem(tree->topLevelItem(r));
        return;
    }
}

void TForm_Analysis::keyPressEvent(QKeyEvent* event) {
    // Esc closes the window as it closes a dialog; keys a child did not take arrive here.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TForm_Analysis::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            for (int id = 0; id < kPageCount; ++id) {
                if (watched != views_[id].tree) continue;
                RowDoubleClick(static_cast<PageId>(id), CurrentRow(static_cast<PageId>(id)));
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm_Analysis::UpdateActions() {
    const ApplyGate gate = ApplyAllowed(workbench_.TsEditRefusal(interlock::TsEdit::Applied));
    for (auto [id, button] :
         {std::pair{Why, Apply_Why_Button}, std::pair{Requirements, Apply_Requirement_Button}}) {
        const int row = CurrentRow(id);
        const Page& p = views_[id].shown;
        const bool hasValues = row >= 0 && row < static_cast<int>(p.rows.size()) &&
                               !p.rows[static_cast<size_t>(row)].apply.empty();
        // An answer for earlier values is not applied: its changes may not allow anything now.
        const bool stale = Stale(id);
        button->setEnabled(gate.allowed && hasValues && !stale);
        button->setToolTip(Q(!gate.allowed ? gate.reason
                             : stale       ? AnalysisTexts().computing
                             : hasValues   ? std::string()
                                           : AnalysisPageTexts().noApplyRow));
    }
    for (QPushButton* button : {Restore_Why_Button, Restore_Requirement_Button}) {
        button->setEnabled(gate.allowed && !restore_.empty());
        button->setToolTip(Q(!gate.allowed      ? gate.reason
                             : restore_.empty() ? AnalysisTexts().restoreNothing
                                                : std::string()));
    }
}

void TForm_Analysis::ApplyClick(PageId id) {
    const ApplyGate gate = ApplyAllowed(workbench_.TsEditRefusal(interlock::TsEdit::Applied));
    const int row = CurrentRow(id);
    const Page& p = views_[id].shown;
    if (!gate.allowed || Stale(id) || row < 0 || row >= static_cast<int>(p.rows.size())) return;
    const PageRow& chosen = p.rows[static_cast<size_t>(row)];
    std::vector<std::pair<int, int>> values, before;
    const interlock::TsTableData& table = workbench_.Ws().TsTable;
    for (const TsValue& v : chosen.apply) {
        values.emplace_back(v.ts, v.value);
        if (v.ts >= 1 && v.ts <= interlock::kTsCount) before.emplace_back(v.ts, table.Value[v.ts]);
    }
    if (values.empty()) return;
    const Place place = chosen.place;
    restore_ = std::move(before);
    workbench_.ApplyTsValues(values);
    // A counterexample is about its block: show it, in the logic the requirement is about.
    if (id != Why && place.block >= 1 && place.block <= interlock::kBlockCount)
        workbench_.ShowLogicLine(place.block, place.side.value_or(workbench_.Ws().CurrentView), place.line);
    Refresh();
}

void TForm_Analysis::RestoreClick() {
    const ApplyGate gate = ApplyAllowed(workbench_.TsEditRefusal(interlock::TsEdit::Applied));
    if (!gate.allowed || restore_.empty()) return;
    workbench_.ApplyTsValues(restore_);
    restore_.clear();
    Refresh();
}

void TForm_Analysis::RowDoubleClick(PageId id, int row) {
    const Page& p = views_[id].shown;
    if (row < 0 || row >= static_cast<int>(p.rows.size())) return;
    const Place& place = p.rows[static_cast<size_t>(row)].place;
    if (place.block < 1 || place.block > interlock::kBlockCount) return;
    const interlock::Side side =
        place.side ? *place.side : GoverningSide(workbench_.Ws(), place.block, workbench_.Ws().CurrentView);
    workbench_.ShowLogicLine(place.block, side, place.line);
}

void TForm_Analysis::Requirements_ButtonClick() {
    const AnalysisWindowTexts& t = AnalysisPageTexts();
    const std::string initial = chosenRequirements_.empty() && !workbench_.Ws().ConfigFileName.empty()
                                    ? analysis::RequirementsFileFor(workbench_.Ws().ConfigFileName)
                                    : chosenRequirements_;
    std::optional<std::string> chosen = dialogs_.OpenFile(initial, {{t.requirementsFilter, "*.req"}}, "req");
    if (!chosen) return;
    if (!storage::FileExists(cp1251::ToUtf8(*chosen))) {
        dialogs_.Message({storage::Texts().cannotRead + " \"" + *chosen + "\"", ui::Texts().errorCaption,
                          interlock::Icon::Error});
        return;
    }
    chosenRequirements_ = *chosen;
    proven_ = false;
    OpenPage(Requirements);
}

void TForm_Analysis::Compare_ButtonClick() {
    std::optional<std::string> chosen =
        dialogs_.OpenFile(compareFile_.empty() ? workbench_.Ws().ConfigFileName : compareFile_,
                          {{ui::Texts().configFilter, "*.blk"}}, "blk");
    if (!chosen) return;
    auto other = std::make_unique<interlock::Workspace>();
    const std::string error = ReadOther(*chosen, *other);
    if (!error.empty()) {
        dialogs_.Message({error, ui::Texts().errorCaption, interlock::Icon::Error});
        return;
    }
    other_ = std::move(other);
    compareFile_ = *chosen;
    compared_ = false;
    OpenPage(Compare);
}

void TForm_Analysis::Print_ButtonClick() { PrintClick(PrintTarget::Pdf); }

void TForm_Analysis::PrintClick(PrintTarget target) {
    // What is printed is what the editor shows: its text becomes the block's logic first, as
    // before saving and viewing the file.
    workbench_.Pull();
    interlock::CommitEditor(workbench_.Ws(), workbench_.Ws().CurrentBlock);
    workbench_.Push();
    PrintInterlockTable(workbench_.Ws(), dialogs_, workbench_.Ws().ConfigFileName, Analyser(), target);
}

bool TForm_Analysis::Names(const QTreeWidgetItem* item) const {
    if (searchPattern_.isEmpty()) return false;
    const QRegularExpression re(searchPattern_, QRegularExpression::CaseInsensitiveOption);
    for (int c = 0; c < item->columnCount(); ++c)
        if (re.match(item->text(c)).hasMatch()) return true;
    return false;
}

void TForm_Analysis::MarkFound(PageId id) {
    View& v = views_[id];
    if (searchPattern_.isEmpty() && !v.marked) return;
    v.marked = false;
    const QRegularExpression re(searchPattern_, QRegularExpression::CaseInsensitiveOption);
    for (QTreeWidgetItem* item : v.items) {
        bool hit = false;
        for (int c = 0; c < item->columnCount() && !searchPattern_.isEmpty() && !hit; ++c)
            hit = re.match(item->text(c)).hasMatch();
        v.marked = v.marked || hit;
        for (int c = 0; c < item->columnCount(); ++c)
            item->setBackground(c, hit ? QBrush(kFoundColour) : QBrush());
    }
}

void TForm_Analysis::Search(const QString& text) {
    const AnalysisViewTexts& t = AnalysisTexts();
    const std::optional<diagram::SearchTerm> term = ParseSearch(text);
    auto* diagramPage = qobject_cast<LogicDiagramPage*>(Diagram_Page);
    hits_.clear();
    hitIndex_ = -1;
    searchPattern_ = term ? PatternOf(*term) : QString();
    if (term && term->kind == diagram::SearchTerm::Kind::Ts) {
        // "Где используется" lists the places of the TS searched for.
        const QSignalBlocker block(Where_Number);
        Where_Number->setValue(term->number);
    }
    workbench_.FinishLoad();
    for (int id = 0; id < kPageCount; ++id) {
        const auto pid = static_cast<PageId>(id);
        if (term) Renew(pid, false);  // every page's rows now, to be searched
        FinishFill(pid);
        MarkFound(pid);
    }
    if (diagramPage) {
        diagramPage->SetSearch(term);
        if (term) diagramPage->refresh();
    }
    if (!term) {
        Search_Count->setText(text.trimmed().isEmpty() ? QString() : Q(t.searchBad));
        return;
    }
    for (int id = 0; id < kPageCount; ++id) {
        QTreeWidget* tree = views_[id].tree;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = tree->topLevelItem(i);
            if (!item->isHidden() && Names(item)) hits_.push_back({id, RowOf(static_cast<PageId>(id), item)});
        }
    }
    for (int k = 0; diagramPage && k < diagramPage->FoundCount(); ++k)
        hits_.push_back({Pages->indexOf(Diagram_Page), k});
    if (hits_.empty()) {
        Search_Count->setText(Q(t.searchNone));
        return;
    }
    hitIndex_ = 0;
    ShowHit();
}

void TForm_Analysis::SearchStep(int step) {
    if (hits_.empty()) return;
    const int n = static_cast<int>(hits_.size());
    hitIndex_ = ((hitIndex_ + step) % n + n) % n;
    ShowHit();
}

void TForm_Analysis::ShowHit() {
    if (hitIndex_ < 0 || hitIndex_ >= static_cast<int>(hits_.size())) return;
    const SearchHit h = hits_[static_cast<size_t>(hitIndex_)];
    Search_Count->setText(QString::number(hitIndex_ + 1) + Q(ReportWords().sheetOf) +
                          QString::number(hits_.size()));
    Pages->setCurrentIndex(h.tab);
    if (h.tab < kPageCount) {
        View& v = views_[h.tab];
        if (h.row < 0 || h.row >= static_cast<int>(v.items.size())) return;
        QTreeWidgetItem* item = v.items[static_cast<size_t>(h.row)];
        v.tree->setCurrentItem(item);
        v.tree->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    } else if (auto* diagramPage = qobject_cast<LogicDiagramPage*>(Diagram_Page)) {
        diagramPage->ShowFound(h.row);
    }
}

}  // namespace ui
