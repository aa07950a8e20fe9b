#pragma once

// TForm_Analysis: the analysis window "Анализ блокировок". Created hidden with the main
// window's secondary windows, opened with F9 and from right-click menus of the main window and
// the TS list, hidden by its close box. Each page shows what analysis_pages decides; the window
// only turns those values into widgets and hands actions to the main window.
//
// The window follows the main window: every refresh of the main window asks for a refresh of
// the visible page, which runs from a short timer after the main window's event is over, so a
// burst of changes costs one refresh and the main window never waits for it. With long logics
// the pages that read the analyser are built on the workbench's worker thread from a copy of
// the configuration; meanwhile a page keeps its earlier answer under a "считается" line, and
// its apply action is off until the answer for the present values arrives.

#include <QRect>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/diff.h"
#include "analysis/requirements.h"
#include "interlock/workspace.h"
#include "ui/model/analysis_pages.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace analysis {
class Analyser;
}

namespace ui {

class Dialogs;
class Workbench;
enum class PrintTarget;  // ui/report/logic_diagram.h
class SequencesPage;

class TForm_Analysis : public QWidget {
    Q_OBJECT
public:
    enum PageId { Why, Unreliable, Problems, Requirements, Compare, WhereUsed, kPageCount };
    // The longest the window's refresh waits after the main window's, in ms.
    static constexpr int kRefreshDelayMs = 15;

    TForm_Analysis(Workbench& workbench, QWidget* parent);
    ~TForm_Analysis() override;

    // The process's analysis engine, the workbench's.
    analysis::Analyser& Analyser();

    QTabWidget* Pages = nullptr;
    QWidget* Diagram_Page = nullptr;          // the logic diagram, made by CreateLogicDiagramPage
    QWidget* Topology_Page = nullptr;         // "Топология", made by CreateTopologyPage
    SequencesPage* Sequences_Page = nullptr;  // switching programs and plans
    QPushButton* Apply_Why_Button = nullptr;
    QPushButton* Apply_Requirement_Button = nullptr;
    QPushButton* Restore_Why_Button = nullptr;  // "Вернуть значения ТС" on both apply pages
    QPushButton* Restore_Requirement_Button = nullptr;
    QPushButton* Requirements_Button = nullptr;
    QPushButton* Compare_Button = nullptr;
    QPushButton* Print_Button = nullptr;  // a menu: printer, preview, PDF
    QLineEdit* Search_Field = nullptr;
    QPushButton* Search_Prev = nullptr;
    QPushButton* Search_Next = nullptr;
    QLabel* Search_Count = nullptr;
    QSpinBox* Where_Number = nullptr;
    QTreeWidget* Tree(PageId id) const { return views_[id].tree; }
    QLabel* Heading(PageId id) const { return views_[id].heading; }
    QLineEdit* Filter(PageId id) const { return views_[id].filter; }
    // The page row (index into Shown(id).rows) of a tree item; -1 for none. The user may sort
    // the tree by any column, so tree positions and page rows differ.
    int RowOf(PageId id, const QTreeWidgetItem* item) const;
    int CurrentRow(PageId id) const;
    // Sorts a page's tree by a column as a click on its header does (again: the other way).
    void SortBy(PageId id, int column);
    // What a page shows, as the plain values it was filled from.
    const Page& Shown(PageId id) const { return views_[id].shown; }

    // Opens the window on a page (F9 opens it on the page it was left on).
    void Open();
    void OpenPage(PageId id);
    // Opens "Где используется" on TS ts.
    void ShowWhereUsed(int ts);
    // Refreshes the visible page now; ScheduleRefresh asks for it after a short delay.
    void Refresh();
    void ScheduleRefresh();
    bool RefreshPending() const;
    // How long the last refresh took, in ms (the diagram page's part included).
    double LastRefreshMs() const { return lastRefreshMs_; }
    // The window's own time on the event loop (its refreshes, the answers it took over from the
    // worker, the steps of a long page) since the last call: in all and its longest stretch, in
    // ms of wall time, and the longest in CPU time of the GUI thread.
    struct LoopTime {
        double totalMs = 0;
        double longestMs = 0;
        double longestCpuMs = 0;
    };
    LoopTime TakeLoopTime() { return std::exchange(loopTime_, LoopTime{}); }

    // "Почему запрещено", "Недостоверность", "Проблемы" and "Где используется" are built aside
    // once the configuration's logics hold this many lines together (SetAsideLines: another
    // bound, 0 for always).
    static constexpr size_t kAsideLines = 1000;
    void SetAsideLines(size_t lines) { asideLines_ = lines; }
    // The page shows an answer for earlier values while the one for the present is computed,
    // or while a long page's rows are being set (kRowsPerStep a turn of the event loop).
    bool Stale(PageId id) const { return views_[id].stale || views_[id].filling; }
    static constexpr size_t kRowsPerStep = 100;
    // An answer of this window is being computed aside, or waits for the running job to end.
    bool Computing() const { return asideOwn_ || asidePending_; }

    // Handlers (public so that the tests reach them as the user does).
    void ApplyClick(PageId id);  // applies the current row's TS values
    void RestoreClick();         // puts back the TS values the last apply changed
    void RowDoubleClick(PageId id, int row);
    void Requirements_ButtonClick();      // chooses a requirements file
    void Compare_ButtonClick();           // chooses a configuration to compare with
    void Print_ButtonClick();             // the table into a PDF file
    void PrintClick(PrintTarget target);  // the printer, the preview or a PDF file

    // The search across the pages: every row of every table and every place of the diagram
    // that names the TS ("S12", "D12", "ТС12" or just "12") or the M variable ("M3") typed.
    // Search finds them all and shows the first; SearchStep goes to the next (+1) or the
    // previous (-1) one, round.
    struct SearchHit {
        int tab = 0;  // the page's index in Pages
        int row = 0;  // the page row, or the place in the diagram's Shown().found
        bool operator==(const SearchHit&) const = default;
    };
    void Search(const QString& text);
    void SearchStep(int step);
    const std::vector<SearchHit>& SearchHits() const { return hits_; }
    int SearchIndex() const { return hitIndex_; }
    void UpdateActions();  // the apply actions' enabled state and tooltips

    // Where the window opens: beside the main window's frame on the side with more room on
    // the screen, overlapping it only when the screen has no room on either side.
    static QRect BesideRect(const QRect& mainFrame, const QSize& size, const QRect& screen);

signals:
    void Refreshed();  // a refresh of the visible page is over

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct View {
        QLabel* heading = nullptr;
        QTreeWidget* tree = nullptr;
        QLineEdit* filter = nullptr;
        std::vector<QTreeWidgetItem*> items;  // by page row
        int sortColumn = -1;                  // -1: the page's own order
        bool descending = false;
        Page shown;
        bool filled = false;
        bool marked = false;  // some row carries the search's mark
        bool stale = false;   // the rows answer earlier values; a newer answer is computed
        // A long page is set in steps: the page being set, the next row, the longest texts of
        // each column among the rows set, and whether the items hold rows of two pages.
        bool filling = false;
        Page incoming;
        size_t nextRow = 0;
        unsigned fillGeneration = 0;
        bool fillSameColumns = false;
        int fillCurrent = -1;
        std::vector<std::vector<QString>> longest;  // by column, longest first
        static constexpr size_t kMeasured = 4;
        bool mixed = false;
    };
    void BuildWidgets();
    Page Build(PageId id);
    void Fill(PageId id, Page page);
    void FillStep(PageId id, unsigned generation);
    void FinishFill(PageId id);  // the steps left, now
    void FillDone(PageId id, int current);
    void SetRow(View& v, size_t r, const PageRow& row);
    void ShowHeading(PageId id);
    // Builds and fills a page unless what it shows cannot have changed since it was filled;
    // with `aside`, on the worker thread when the logics are long.
    void Renew(PageId id, bool aside = true);
    bool StartAside(PageId id);
    void MarkStale(PageId id);
    // What the problems and the where-used pages depend on (the logics' compiled forms, the
    // state signals, the TS attributes and names, the block names; not the TS values), hashed;
    // 0 while a logic's form is not known yet.
    size_t StructureKey(PageId id) const;
    static size_t StructureKey(PageId id, const interlock::Workspace& ws, int where);
    void KeepKey(PageId id, const interlock::Workspace& ws, int where);
    size_t Signature() const;
    void ProveIfNeeded();
    void CompareIfNeeded();
    void ApplyFilter(PageId id);
    void Resort(PageId id);
    bool Names(const QTreeWidgetItem* item) const;  // a cell names what is searched for
    void MarkFound(PageId id);
    void ShowHit();

    Workbench& workbench_;
    Dialogs& dialogs_;
    std::array<View, kPageCount> views_;
    QTimer* refreshTimer_ = nullptr;
    double lastRefreshMs_ = 0;
    LoopTime loopTime_;
    void CountLoop(double ms, double cpuMs) {
        loopTime_.totalMs += ms;
        loopTime_.longestMs = std::max(loopTime_.longestMs, ms);
        loopTime_.longestCpuMs = std::max(loopTime_.longestCpuMs, cpuMs);
    }
    // Pages built aside: the bound, the last answer asked for each page, whether a job of this
    // window runs, and whether a refresh came meanwhile.
    size_t asideLines_ = kAsideLines;
    std::array<unsigned, kPageCount> asked_{};
    bool asideOwn_ = false;
    bool asidePending_ = false;
    std::array<size_t, kPageCount> builtKey_{};  // StructureKey as of the last fill
    // The forms that key names, held so that no later form can take the address of one.
    std::array<std::vector<std::shared_ptr<const interlock::CompiledLogic>>, kPageCount> keyForms_;
    bool placed_ = false;
    // The search: its pattern (empty: none), what it found and where the user is in it.
    QString searchPattern_;
    std::vector<SearchHit> hits_;
    int hitIndex_ = -1;  // opened beside the main window once; then where the user left it
    // The values the last apply replaced, to put back; empty: nothing to restore.
    std::vector<std::pair<int, int>> restore_;

    // Requirements: the file chosen here (empty: the one beside the configuration) and the
    // results as of the configuration signature and file bytes they were proven with.
    std::string chosenRequirements_;
    std::string provenFile_, provenBytes_;
    size_t provenSignature_ = 0;
    bool proven_ = false;
    analysis::RequirementsFile parsed_;
    std::vector<analysis::RequirementResult> results_;
    // Comparison: the other configuration and the diff as of the signature it was made with.
    std::string compareFile_;
    std::unique_ptr<interlock::Workspace> other_;
    analysis::DiffResult diff_;
    size_t diffSignature_ = 0;
    bool compared_ = false;
};

}  // namespace ui
