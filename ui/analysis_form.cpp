#include "ui/analysis_form.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>
#include <functional>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "ui/colours.h"
#include "ui/dialogs.h"
#include "ui/logic_diagram.h"
#include "ui/texts.h"
#include "ui/logic_diagram_page.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace ui {

namespace {

QString Q(const std::string& cp1251Text) { return ToQString(cp1251Text); }

// Reads a configuration for comparison; the error text when it cannot be used.
std::string ReadOther(const std::string& path, interlock::Workspace& ws) {
    storage::ReadResult file = storage::ReadWholeFile(cp1251::ToUtf8(path));
    if (!file) return file.error;
    if (!storage::Read_Config_Text(ws, storage::SplitLines(file.bytes))) {
        std::string text = AnalysisPageTexts().fileNotRead + " \"" + path + "\"";
        for (const interlock::Message& m : ws.Messages) text += "\n\r" + m.text;
        return text;
    }
    ws.Messages.clear();
    return {};
}

}  // namespace

TForm_Analysis::TForm_Analysis(TForm1& mainWindow, Dialogs& dialogs)
    : QWidget(&mainWindow, Qt::Window), main_(mainWindow), dialogs_(dialogs) {
    BuildWidgets();
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshDelayMs);
    connect(refreshTimer_, &QTimer::timeout, this, &TForm_Analysis::Refresh);
    connect(&main_, &TForm1::Refreshed, this, &TForm_Analysis::ScheduleRefresh);
    for (QCheckBox* box : {main_.Check_Change_TS, main_.Check_Get_TS_Orvesk, main_.Check_Get_TS_Server})
        connect(box, &QCheckBox::toggled, this, &TForm_Analysis::UpdateActions);
    UpdateActions();
}

TForm_Analysis::~TForm_Analysis() = default;

analysis::Analyser& TForm_Analysis::Analyser() {
    if (!analyser_) {
        analyser_ = std::make_unique<analysis::Analyser>(analysis::BddSession::kDefaultMaxNodes,
                                                         analysis::Analyser::InitialNodesFor(main_.Ws()));
    }
    return *analyser_;
}

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
        box->addWidget(v.heading);
        box->addWidget(v.tree, 1);
        auto* actions = new QHBoxLayout;
        box->addLayout(actions);
        const auto pid = static_cast<PageId>(id);
        connect(v.tree, &QTreeWidget::itemDoubleClicked, this, [this, pid](QTreeWidgetItem* item) {
            RowDoubleClick(pid, Tree(pid)->indexOfTopLevelItem(item));
        });
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
                break;
            case Requirements:
                Apply_Requirement_Button = button(t.apply);
                connect(Apply_Requirement_Button, &QPushButton::clicked, this,
                        [this] { ApplyClick(Requirements); });
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
    Diagram_Page = CreateLogicDiagramPage(main_, *this, Pages);
    Pages->addTab(Diagram_Page, Q(t.pageDiagram));
    auto* bottom = new QHBoxLayout;
    layout->addLayout(bottom);
    bottom->addStretch(1);
    Print_Button = new QPushButton(Q(t.print), this);
    bottom->addWidget(Print_Button);
    connect(Print_Button, &QPushButton::clicked, this, &TForm_Analysis::Print_ButtonClick);
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

void TForm_Analysis::Open() {
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
    main_.FinishLoad();  // blocks read but not yet recalculated are not what to show
    const auto start = std::chrono::steady_clock::now();
    const int index = Pages->currentIndex();
    if (index >= 0 && index < kPageCount) {
        const auto id = static_cast<PageId>(index);
        Fill(id, Build(id));
    }
    UpdateActions();
    lastRefreshMs_ =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    emit Refreshed();
}

size_t TForm_Analysis::Signature() const {
    const interlock::Workspace& ws = main_.Ws();
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
    const interlock::Workspace& ws = main_.Ws();
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
    parsed_ = analysis::ParseRequirements(storage::SplitLines(bytes));
    results_ = file.empty() ? std::vector<analysis::RequirementResult>{}
                            : analysis::Prove(Analyser(), ws, parsed_.requirements);
}

void TForm_Analysis::CompareIfNeeded() {
    if (!other_) return;
    const size_t signature = Signature();
    if (compared_ && signature == diffSignature_) return;
    compared_ = true;
    diffSignature_ = signature;
    diff_ = analysis::Diff(Analyser().Session(), *other_, main_.Ws());
}

Page TForm_Analysis::Build(PageId id) {
    const interlock::Workspace& ws = main_.Ws();
    analysis::Analyser& a = Analyser();
    switch (id) {
        case Why:
            return WhyPage(a, ws);
        case Unreliable:
            return UnreliablePage(a, ws);
        case Problems:
            a.Update(ws);
            return ProblemsPage(a, ws);
        case Requirements:
            ProveIfNeeded();
            return RequirementsPage(provenFile_, parsed_, results_, ws);
        case Compare:
            if (!other_) {
                Page p;
                p.empty = cp1251::FromUtf8("Выберите файл конфигурации для сравнения");
                return p;
            }
            CompareIfNeeded();
            return ComparePage(compareFile_, diff_, *other_, ws);
        case WhereUsed:
            a.Update(ws);
            return WhereUsedPage(a, ws, Where_Number->value());
        default:
            return {};
    }
}

void TForm_Analysis::Fill(PageId id, Page page) {
    View& v = views_[id];
    if (v.filled && v.shown == page) return;
    const bool sameColumns = v.filled && v.shown.columns == page.columns;
    v.heading->setText(Q(page.heading.empty() ? page.empty
                         : page.rows.empty()  ? page.heading + "\n" + page.empty
                                              : page.heading));
    QTreeWidget* tree = v.tree;
    const int current = tree->currentItem() ? tree->indexOfTopLevelItem(tree->currentItem()) : -1;
    const QSignalBlocker block(tree);
    if (!sameColumns) {
        QStringList labels;
        for (const std::string& c : page.columns) labels << Q(c);
        tree->setColumnCount(static_cast<int>(labels.size()));
        tree->setHeaderLabels(labels);
    }
    // Rows that stay keep their items: only changed texts are set.
    const int count = static_cast<int>(page.rows.size());
    while (tree->topLevelItemCount() > count) delete tree->takeTopLevelItem(tree->topLevelItemCount() - 1);
    while (tree->topLevelItemCount() < count) tree->addTopLevelItem(new QTreeWidgetItem);
    for (int r = 0; r < count; ++r) {
        const PageRow& row = page.rows[static_cast<size_t>(r)];
        if (v.filled && r < static_cast<int>(v.shown.rows.size()) &&
            v.shown.rows[static_cast<size_t>(r)] == row)
            continue;
        QTreeWidgetItem* item = tree->topLevelItem(r);
        for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
            const QString text = Q(row.cells[static_cast<size_t>(c)]);
            item->setText(c, text);
            item->setToolTip(c, text);  // the whole text where the column cuts it
            item->setForeground(c, row.emphasised ? QBrush(ToQColor(interlock::colour::kRed)) : QBrush());
        }
    }
    // Columns grow with later, longer texts (a column the user narrowed stays as long as its
    // texts do not change); the last one takes the rest of the width.
    for (int c = 0; c + 1 < tree->columnCount(); ++c) {
        const int before = tree->columnWidth(c);
        tree->resizeColumnToContents(c);
        if (sameColumns && tree->columnWidth(c) < before) tree->setColumnWidth(c, before);
    }
    if (current >= 0 && current < count)
        tree->setCurrentItem(tree->topLevelItem(current));
    else if (count > 0)
        tree->setCurrentItem(tree->topLevelItem(0));
    v.shown = std::move(page);
    v.filled = true;
}

void TForm_Analysis::UpdateActions() {
    const ApplyGate gate =
        ApplyAllowed(main_.Check_Change_TS->isChecked(), main_.Check_Get_TS_Orvesk->isChecked(),
                     main_.Check_Get_TS_Server->isChecked());
    for (auto [id, button] :
         {std::pair{Why, Apply_Why_Button}, std::pair{Requirements, Apply_Requirement_Button}}) {
        QTreeWidgetItem* item = Tree(id)->currentItem();
        const int row = item ? Tree(id)->indexOfTopLevelItem(item) : -1;
        const Page& p = views_[id].shown;
        const bool hasValues = row >= 0 && row < static_cast<int>(p.rows.size()) &&
                               !p.rows[static_cast<size_t>(row)].apply.empty();
        button->setEnabled(gate.allowed && hasValues);
        button->setToolTip(Q(!gate.allowed ? gate.reason
                             : hasValues   ? std::string()
                                           : AnalysisPageTexts().noApplyRow));
    }
}

void TForm_Analysis::ApplyClick(PageId id) {
    const ApplyGate gate =
        ApplyAllowed(main_.Check_Change_TS->isChecked(), main_.Check_Get_TS_Orvesk->isChecked(),
                     main_.Check_Get_TS_Server->isChecked());
    QTreeWidgetItem* item = Tree(id)->currentItem();
    const int row = item ? Tree(id)->indexOfTopLevelItem(item) : -1;
    const Page& p = views_[id].shown;
    if (!gate.allowed || row < 0 || row >= static_cast<int>(p.rows.size())) return;
    std::vector<std::pair<int, int>> values;
    for (const TsValue& v : p.rows[static_cast<size_t>(row)].apply) values.emplace_back(v.ts, v.value);
    if (values.empty()) return;
    main_.ApplyTsValues(values);
    Refresh();
}

void TForm_Analysis::RowDoubleClick(PageId id, int row) {
    const Page& p = views_[id].shown;
    if (row < 0 || row >= static_cast<int>(p.rows.size())) return;
    const Place& place = p.rows[static_cast<size_t>(row)].place;
    if (place.block < 1 || place.block > interlock::kBlockCount) return;
    const interlock::Side side =
        place.side ? *place.side : GoverningSide(main_.Ws(), place.block, main_.Ws().CurrentView);
    main_.ShowLogicLine(place.block, side, place.line);
}

void TForm_Analysis::Requirements_ButtonClick() {
    const AnalysisWindowTexts& t = AnalysisPageTexts();
    const std::string initial = chosenRequirements_.empty() && !main_.Ws().ConfigFileName.empty()
                                    ? analysis::RequirementsFileFor(main_.Ws().ConfigFileName)
                                    : chosenRequirements_;
    std::optional<std::string> chosen = dialogs_.OpenFile(initial, {{t.requirementsFilter, "*.req"}}, "req");
    if (!chosen) return;
    if (!storage::FileExists(cp1251::ToUtf8(*chosen))) {
        dialogs_.Message(
            {t.fileNotRead + " \"" + *chosen + "\"", ui::Texts().errorCaption, interlock::Icon::Error});
        return;
    }
    chosenRequirements_ = *chosen;
    proven_ = false;
    OpenPage(Requirements);
}

void TForm_Analysis::Compare_ButtonClick() {
    std::optional<std::string> chosen =
        dialogs_.OpenFile(compareFile_.empty() ? main_.Ws().ConfigFileName : compareFile_,
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

void TForm_Analysis::Print_ButtonClick() {
    PrintInterlockTable(main_.Ws(), dialogs_, main_.Ws().ConfigFileName, &Analyser());
}

}  // namespace ui
