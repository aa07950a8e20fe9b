#include "ui/sequences/sequences_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "sequences/describe.h"
#include "sequences/sequences_texts.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "ui/analysis/analysis_form.h"
#include "ui/model/analysis_pages.h"
#include "ui/model/dialogs.h"
#include "ui/workbench/workbench.h"
#include "ui/widgets/qt_text.h"

namespace ui {
namespace {

const sequences::SequenceTexts& Tx() { return sequences::Texts(); }

const std::string& VerdictText(sequences::StepVerdict v) {
    switch (v) {
        case sequences::StepVerdict::Allowed:
            return Tx().allowed;
        case sequences::StepVerdict::Forbidden:
            return Tx().forbidden;
        case sequences::StepVerdict::Already:
            return Tx().already;
        case sequences::StepVerdict::NotOperated:
            return Tx().notOperated;
        case sequences::StepVerdict::Undetermined:
            break;
    }
    return Tx().undetermined;
}

void AddRow(QTreeWidget* tree, const QStringList& cells, bool bad) {
    auto* item = new QTreeWidgetItem(tree, cells);
    if (bad)
        for (int c = 0; c < cells.size(); ++c) item->setForeground(c, QColor(Qt::red));
}

}  // namespace

SequencesPage::SequencesPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent)
    : QWidget(parent), workbench_(workbench), analysis_(analysisWindow) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);
    Free_Ts = new QCheckBox(ToQString(Tx().freeTs), this);
    Load_Button = new QPushButton(ToQString(Tx().loadProgram), this);
    Check_Button = new QPushButton(ToQString(Tx().checkProgram), this);
    Step_Button = new QPushButton(ToQString(Tx().nextStep), this);
    for (QWidget* w : std::initializer_list<QWidget*>{Free_Ts, Load_Button, Check_Button, Step_Button})
        top->addWidget(w);
    top->addStretch(1);
    Program_Edit = new QPlainTextEdit(this);
    Program_Edit->setMaximumHeight(140);
    layout->addWidget(Program_Edit);
    auto* planRow = new QHBoxLayout;
    layout->addLayout(planRow);
    planRow->addWidget(new QLabel(ToQString(Tx().targetLabel), this));
    Target_Edit = new QLineEdit(this);
    planRow->addWidget(Target_Edit, 1);
    Plan_Button = new QPushButton(ToQString(Tx().makePlan), this);
    Take_Plan_Button = new QPushButton(ToQString(Tx().takePlan), this);
    Take_Plan_Button->setEnabled(false);
    planRow->addWidget(Plan_Button);
    planRow->addWidget(Take_Plan_Button);
    Steps_Tree = new QTreeWidget(this);
    Steps_Tree->setRootIsDecorated(false);
    Steps_Tree->setHeaderLabels({ToQString(Tx().step), ToQString(Tx().colLine), ToQString(Tx().colOperation),
                                 ToQString(Tx().colVerdict), ToQString(Tx().colState)});
    layout->addWidget(Steps_Tree, 1);
    Summary = new QLabel(this);
    Summary->setWordWrap(true);
    layout->addWidget(Summary);

    connect(Load_Button, &QPushButton::clicked, this, &SequencesPage::LoadClick);
    connect(Check_Button, &QPushButton::clicked, this, &SequencesPage::CheckClick);
    connect(Step_Button, &QPushButton::clicked, this, &SequencesPage::StepClick);
    connect(Plan_Button, &QPushButton::clicked, this, &SequencesPage::PlanClick);
    connect(Take_Plan_Button, &QPushButton::clicked, this, &SequencesPage::TakePlanClick);
    connect(Program_Edit, &QPlainTextEdit::textChanged, this, [this] { next_ = 0; });
}

sequences::FieldSpec SequencesPage::Field() const {
    sequences::FieldSpec field;
    if (Free_Ts->isChecked()) field.mode = sequences::FieldMode::Free;
    return field;
}

sequences::Program SequencesPage::Parsed() const {
    return sequences::ParseProgram(storage::SplitLines(FromQString(Program_Edit->toPlainText())),
                                   workbench_.Ws());
}

void SequencesPage::LoadClick() {
    std::optional<std::string> chosen =
        workbench_.Boxes().OpenFile({}, {{Tx().programFilter, "*.prog"}}, "prog");
    if (!chosen) return;
    storage::ReadResult file = storage::ReadWholeFile(*chosen);
    if (!file) {
        Summary->setText(ToQString(Tx().fileNotRead + *chosen));
        return;
    }
    Program_Edit->setPlainText(ToQString(file.bytes));
    CheckClick();
}

void SequencesPage::CheckClick() {
    interlock::Workspace& ws = workbench_.Ws();
    const sequences::Program program = Parsed();
    sequences::System sys(analysis_.Analyser(), ws, Field());
    const sequences::Describer d(sys, ws);
    const sequences::ProgramCheck check = sequences::CheckProgram(sys, program);
    Steps_Tree->clear();
    for (const sequences::ProgramError& e : program.errors) {
        AddRow(Steps_Tree,
               {QString(), QString::number(e.line), QString(),
                ToQString(Tx().position + " " + std::to_string(e.position) + ": " + e.message), QString()},
               true);
    }
    sequences::State before = check.start;
    for (size_t i = 0; i < check.steps.size(); ++i) {
        const sequences::CheckedStep& s = check.steps[i];
        std::string verdict = VerdictText(s.check.verdict);
        if (s.check.verdict == sequences::StepVerdict::Forbidden)
            verdict += "; " + Tx().changes + d.Changes(s.check.changes, before);
        if (!s.check.field.empty()) verdict += ", " + Tx().freeValues + d.Values(s.check.field);
        AddRow(Steps_Tree,
               {QString::number(i + 1), QString::number(s.step.line), ToQString(d.Op(s.step.op)),
                ToQString(verdict), ToQString(d.StateText(s.check.after))},
               s.check.verdict == sequences::StepVerdict::Forbidden);
        before = s.check.after;
    }
    const int other = static_cast<int>(check.steps.size()) - check.Count(sequences::StepVerdict::Allowed) -
                      check.Count(sequences::StepVerdict::Forbidden);
    Summary->setText(ToQString(
        Tx().summary + std::to_string(check.steps.size()) + "; " + Tx().summaryAllowed +
        std::to_string(check.Count(sequences::StepVerdict::Allowed)) + ", " + Tx().summaryForbidden +
        std::to_string(check.Count(sequences::StepVerdict::Forbidden)) + ", " + Tx().summaryOther +
        std::to_string(other) + "; " + Tx().summaryErrors + std::to_string(program.errors.size())));
}

void SequencesPage::StepClick() {
    const ApplyGate gate = ApplyAllowed(workbench_.TsEditRefusal(interlock::TsEdit::Applied));
    if (!gate.allowed) {
        Summary->setText(ToQString(gate.reason));
        return;
    }
    const sequences::Program program = Parsed();
    if (next_ >= static_cast<int>(program.steps.size())) {
        Summary->setText(ToQString(Tx().programDone));
        return;
    }
    interlock::Workspace& ws = workbench_.Ws();
    const sequences::ProgramStep& step = program.steps[next_];
    sequences::System sys(analysis_.Analyser(), ws, Field());
    const sequences::Describer d(sys, ws);
    const sequences::StepCheck c = sys.CheckStep(sys.Present(), step.op);
    std::string text =
        Tx().step + " " + std::to_string(next_ + 1) + ": " + d.Op(step.op) + " - " + VerdictText(c.verdict);
    if (c.verdict == sequences::StepVerdict::Forbidden)
        text += "; " + Tx().changes + d.Changes(c.changes, sys.Present());
    ++next_;
    if (c.verdict == sequences::StepVerdict::Allowed) {
        // The state signal of the operated apparatus takes its new position (both TS of a pair),
        // and free TS the values the step assumed.
        interlock::TsTableData table = ws.TsTable;
        sys.Apply(c.after, table);
        std::vector<TsValue> changes;
        const int ts = sys.Apparatuses()[sys.ApparatusOf(step.op.block)].ts;
        changes.push_back({ts, table.Value[ts]});
        for (const analysis::Literal& l : c.field) changes.push_back({l.ts, l.value});
        std::vector<std::pair<int, int>> values;
        for (const TsValue& v : ExpandPairs(ws.TsTable, changes)) values.push_back({v.ts, v.value});
        if (!c.field.empty()) text += ", " + Tx().freeValues + d.Values(c.field);
        Summary->setText(ToQString(text));
        workbench_.ApplyTsValues(values);
        return;
    }
    Summary->setText(ToQString(text));
}

void SequencesPage::PlanClick() {
    interlock::Workspace& ws = workbench_.Ws();
    analysis::RequirementError error;
    const std::optional<analysis::Condition> target =
        analysis::ParseConditionText(FromQString(Target_Edit->text()), &error);
    Steps_Tree->clear();
    plan_.clear();
    Take_Plan_Button->setEnabled(false);
    if (!target) {
        Summary->setText(ToQString(Tx().badTarget + Tx().position + " " + std::to_string(error.position) +
                                   ": " + error.message));
        return;
    }
    sequences::System sys(analysis_.Analyser(), ws, Field());
    const sequences::Describer d(sys, ws);
    const sequences::Plan plan = sys.MakePlan(*target);
    if (plan.witness.answer == sequences::Answer::Undetermined) {
        Summary->setText(ToQString(plan.witness.reason));
        return;
    }
    if (plan.witness.answer == sequences::Answer::No) {
        for (const sequences::NeverAllowed& n : plan.neverAllowed) {
            AddRow(Steps_Tree,
                   {QString(), QString(), ToQString(d.Op(n.op)),
                    ToQString(n.possible ? Tx().changes + d.Values(n.changes) : Tx().noChange),
                    ToQString(n.possible ? d.StateText(n.at) : std::string())},
                   true);
        }
        Summary->setText(ToQString(Tx().noProgram + ". " + Tx().neverAllowed));
        return;
    }
    for (size_t i = 0; i < plan.witness.steps.size(); ++i) {
        const sequences::Step& s = plan.witness.steps[i];
        std::string verdict = Tx().allowed;
        if (!s.field.empty()) verdict += ", " + Tx().freeValues + d.Values(s.field);
        AddRow(Steps_Tree,
               {QString::number(i + 1), QString(), ToQString(d.Op(s.op)), ToQString(verdict),
                ToQString(d.StateText(s.after))},
               false);
        plan_.push_back({s.op, {}});
    }
    Take_Plan_Button->setEnabled(true);
    Summary->setText(
        ToQString(Tx().plan + ": " + Tx().stepsNeeded + std::to_string(plan.witness.steps.size())));
}

void SequencesPage::TakePlanClick() {
    Program_Edit->setPlainText(ToQString(sequences::WriteProgram(plan_, workbench_.Ws())));
    next_ = 0;
}

}  // namespace ui
