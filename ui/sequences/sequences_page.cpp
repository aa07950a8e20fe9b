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

#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/describe.h"
#include "sequences/form.h"
#include "sequences/sequences_texts.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "topology/topology_texts.h"
#include "ui/analysis/analysis_form.h"
#include "ui/model/analysis_pages.h"
#include "ui/model/dialogs.h"
#include "ui/report/logic_diagram.h"
#include "ui/workbench/workbench.h"
#include "ui/widgets/qt_text.h"

namespace ui {
namespace {

const sequences::SequenceTexts& Tx() { return sequences::Texts(); }

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
    Print_Button = new QPushButton(ToQString(Tx().printForm), this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{Free_Ts, Load_Button, Check_Button, Step_Button, Print_Button})
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
    Hazards_Button = new QPushButton(ToQString(Tx().hazardsButton), this);
    planRow->addWidget(Hazards_Button);
    Topology_Label = new QLabel(this);
    layout->addWidget(Topology_Label);
    Steps_Tree = new QTreeWidget(this);
    Steps_Tree->setRootIsDecorated(false);
    Steps_Tree->setHeaderLabels({ToQString(Tx().step), ToQString(Tx().colLine),
                                 ToQString(topology::Texts().colOperation),
                                 ToQString(topology::Texts().colVerdict), ToQString(Tx().colState)});
    layout->addWidget(Steps_Tree, 1);
    Summary = new QLabel(this);
    Summary->setWordWrap(true);
    layout->addWidget(Summary);

    connect(Load_Button, &QPushButton::clicked, this, &SequencesPage::LoadClick);
    connect(Check_Button, &QPushButton::clicked, this, &SequencesPage::CheckClick);
    connect(Step_Button, &QPushButton::clicked, this, &SequencesPage::StepClick);
    connect(Print_Button, &QPushButton::clicked, this, &SequencesPage::PrintClick);
    connect(Plan_Button, &QPushButton::clicked, this, &SequencesPage::PlanClick);
    connect(Take_Plan_Button, &QPushButton::clicked, this, &SequencesPage::TakePlanClick);
    connect(Hazards_Button, &QPushButton::clicked, this, &SequencesPage::HazardsClick);
    connect(Program_Edit, &QPlainTextEdit::textChanged, this, [this] { next_ = 0; });
}

sequences::FieldSpec SequencesPage::Field() const {
    sequences::FieldSpec field;
    if (Free_Ts->isChecked()) field.mode = sequences::FieldMode::Free;
    return field;
}

std::unique_ptr<sequences::Substation> SequencesPage::Topology() {
    const interlock::Workspace& ws = workbench_.Ws();
    Topology_Label->clear();
    if (ws.ConfigFileName.empty()) return nullptr;
    const std::string file = topology::TopologyFileFor(cp1251::ToUtf8(ws.ConfigFileName));
    const storage::ReadResult read = storage::ReadWholeFile(file);
    if (!read) return nullptr;
    std::unique_ptr<sequences::Substation> s = sequences::ReadSubstation(storage::SplitLines(read.bytes), ws);
    Topology_Label->setText(ToQString(Tx().topologyFile + cp1251::FromUtf8(file) +
                                      (s->Usable() ? std::string() : " - " + Tx().topologyIgnored)));
    if (!s->Usable()) return nullptr;
    return s;
}

sequences::Program SequencesPage::Parsed() const {
    return sequences::ParseProgram(storage::SplitLines(FromQString(Program_Edit->toPlainText())),
                                   workbench_.Ws());
}

void SequencesPage::LoadClick() {
    std::optional<std::string> chosen =
        workbench_.Boxes().OpenFile({}, {{Tx().programFilter, "*.prog"}}, "prog");
    if (!chosen) return;
    storage::ReadResult file = storage::ReadWholeFile(cp1251::ToUtf8(*chosen));
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
    const std::unique_ptr<sequences::Substation> substation = Topology();
    sequences::System sys(analysis_.Analyser(), ws, Field(),
                          substation ? substation->inputs : sequences::TopologyInputs{});
    const sequences::SwitchingForm form =
        sequences::MakeForm(sys, ws, program, sequences::CheckProgram(sys, program), {});
    Steps_Tree->clear();
    for (size_t i = 0; i < program.errors.size(); ++i) {
        AddRow(Steps_Tree,
               {QString(), QString::number(program.errors[i].line), QString(), ToQString(form.errors[i]),
                QString()},
               true);
    }
    for (const sequences::FormRow& r : form.rows) {
        AddRow(Steps_Tree,
               {QString::number(r.number), QString::number(r.line), ToQString(r.operation),
                ToQString(r.verdict), ToQString(r.state)},
               r.bad);
    }
    Summary->setText(ToQString(form.summary));
}

void SequencesPage::PrintClick() {
    interlock::Workspace& ws = workbench_.Ws();
    const sequences::Program program = Parsed();
    std::optional<sequences::SwitchingForm> form;
    {
        const std::unique_ptr<sequences::Substation> substation = Topology();
        sequences::System sys(analysis_.Analyser(), ws, Field(),
                              substation ? substation->inputs : sequences::TopologyInputs{});
        form = sequences::MakeForm(sys, ws, program, sequences::CheckProgram(sys, program), Tx().pageName);
    }
    PrintInterlockTable(ws, workbench_.Boxes(), ws.ConfigFileName, analysis_.Analyser(), PrintTarget::Pdf,
                        &*form);
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
    const std::unique_ptr<sequences::Substation> substation = Topology();
    sequences::System sys(analysis_.Analyser(), ws, Field(),
                          substation ? substation->inputs : sequences::TopologyInputs{});
    const sequences::Describer d(sys, ws);
    const sequences::StepCheck c = sys.CheckStep(sys.Present(), step.op);
    std::string text = Tx().step + " " + std::to_string(next_ + 1) + ": " + d.Op(step.op) + " - " +
                       sequences::VerdictWords(c.verdict);
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
        Summary->setText(ToQString(Tx().badTarget + topology::Texts().positionWord + " " +
                                   std::to_string(error.position) + ": " + error.message));
        return;
    }
    const std::unique_ptr<sequences::Substation> substation = Topology();
    sequences::System sys(analysis_.Analyser(), ws, Field(),
                          substation ? substation->inputs : sequences::TopologyInputs{});
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
        std::string verdict = interlock::Texts().allowed;
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

void SequencesPage::HazardsClick() {
    interlock::Workspace& ws = workbench_.Ws();
    Steps_Tree->clear();
    const std::unique_ptr<sequences::Substation> substation = Topology();
    if (!substation) {
        Summary->setText(ToQString(Tx().noTopology));
        return;
    }
    sequences::System sys(analysis_.Analyser(), ws, Field(), substation->inputs);
    const sequences::Describer d(sys, ws);
    int reached = 0;
    for (const auto& [name, w] : sys.Hazards()) {
        std::string verdict = w.answer == sequences::Answer::Yes
                                  ? Tx().reachable + ", " + Tx().stepsNeeded + std::to_string(w.steps.size())
                              : w.answer == sequences::Answer::No ? Tx().unreachable
                                                                  : w.reason;
        const bool bad = w.answer != sequences::Answer::No;
        reached += bad;
        AddRow(Steps_Tree, {QString(), QString(), ToQString(name), ToQString(verdict), QString()}, bad);
        for (size_t i = 0; i < w.steps.size(); ++i) {
            const sequences::Step& s = w.steps[i];
            std::string v = interlock::Texts().allowed;
            if (!s.field.empty()) v += ", " + Tx().freeValues + d.Values(s.field);
            AddRow(Steps_Tree,
                   {QString::number(i + 1), QString(), ToQString(d.Op(s.op)), ToQString(v),
                    ToQString(d.StateText(s.after))},
                   false);
        }
    }
    Summary->setText(ToQString(Tx().hazards + " " + Tx().hazardReached + ": " + std::to_string(reached)));
}

}  // namespace ui
