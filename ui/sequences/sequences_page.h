#pragma once

// The page "Переключения" of the analysis window: a switching program written or loaded,
// checked step by step from the present state, stepped through (each allowed step is an
// operator TS edit of the state signals, allowed only as the other apply actions are), or a
// plan to a target taken as the program. Answers come from analysisWindow.Analyser(): a
// process holds one BDD session at a time.

#include <QWidget>
#include <optional>
#include <vector>

#include "sequences/program.h"
#include "sequences/substation.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace ui {

class Workbench;
class TForm_Analysis;

class SequencesPage : public QWidget {
    Q_OBJECT
public:
    SequencesPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent);

    QCheckBox* Free_Ts = nullptr;
    QPlainTextEdit* Program_Edit = nullptr;
    QPushButton* Load_Button = nullptr;
    QPushButton* Check_Button = nullptr;
    QPushButton* Step_Button = nullptr;
    QPushButton* Print_Button = nullptr;  // the interlock table ending with the checked program
    QLineEdit* Target_Edit = nullptr;
    QPushButton* Plan_Button = nullptr;
    QPushButton* Take_Plan_Button = nullptr;
    QPushButton* Hazards_Button = nullptr;
    QLabel* Topology_Label = nullptr;   // the topology in use, if any
    QTreeWidget* Steps_Tree = nullptr;  // step, line, operation, verdict, state after
    QLabel* Summary = nullptr;

    // Handlers (public so that the tests reach them as the user does).
    void LoadClick();
    void CheckClick();
    void StepClick();  // the next step of the program, on the live TS values
    void PrintClick();
    void PlanClick();
    void TakePlanClick();
    void HazardsClick();  // each hazard of the topology: unreachable, or a shortest way to it
    int NextStep() const { return next_; }

private:
    sequences::FieldSpec Field() const;
    sequences::Program Parsed() const;
    // The topology beside the configuration (NAME.top), read afresh; null when there is none or
    // it has errors (the label says which).
    std::unique_ptr<sequences::Substation> Topology();

    Workbench& workbench_;
    TForm_Analysis& analysis_;
    std::vector<sequences::ProgramEntry> plan_;
    int next_ = 0;
};

}  // namespace ui
