#include "ui/mimic/mimic_simulator.h"

#include <QTimer>

#include "interlock/engine_texts.h"
#include "sequences/sequences_texts.h"
#include "ui/mimic/mimic_look.h"
#include "ui/mimic/mimic_texts.h"
#include "ui/mimic/mimic_window_texts.h"
#include "ui/model/analysis_pages.h"
#include "ui/model/dialogs.h"
#include "ui/workbench/workbench.h"

namespace mimic {
namespace {

using interlock::Side;

}  // namespace

Simulator::Simulator(ui::Workbench& workbench, QObject* parent) : QObject(parent), workbench_(workbench) {
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &Simulator::FinishTravel);
}

Simulator::~Simulator() = default;

std::string Simulator::Refusal() const {
    const ui::ApplyGate gate = ui::ApplyAllowed(workbench_.TsEditRefusal(interlock::TsEdit::Applied));
    return gate.allowed ? std::string() : gate.reason;
}

std::string Simulator::Label(int block) const {
    if (topology_) {
        const int e = topology_->ElementOfBlock(block);
        if (e >= 0 && !topology_->elements[static_cast<size_t>(e)].label.empty())
            return topology_->elements[static_cast<size_t>(e)].label;
    }
    return sequences::ApparatusName(workbench_.Ws(), block);
}

Outcome Simulator::OperateBlock(int block, Side side, bool force) {
    if (!topology_) return Outcome::NotPossible;
    const int e = topology_->ElementOfBlock(block);
    if (e < 0) {
        workbench_.Boxes().Message(
            {WindowTexts().cannotOperate + WindowTexts().noBlock, Texts().title, interlock::Icon::Warning});
        return Outcome::NotPossible;
    }
    return Operate(e, side, force);
}

Outcome Simulator::Operate(int element, Side side, bool force) {
    const MimicTexts& mx = WindowTexts();
    ui::Dialogs& boxes = workbench_.Boxes();
    auto impossible = [&](const std::string& why) {
        boxes.Message({mx.cannotOperate + why, Texts().title, interlock::Icon::Warning});
        return Outcome::NotPossible;
    };
    if (!topology_ || element < 0 || element >= static_cast<int>(topology_->elements.size()))
        return Outcome::NotPossible;
    const topology::Element& el = topology_->elements[static_cast<size_t>(element)];
    if (el.binding != topology::Binding::Block || el.block < 1 || el.block > interlock::kBlockCount)
        return impossible(mx.noBlock);
    if (const std::string why = Refusal(); !why.empty()) return impossible(why);
    if (travel_) return impossible(mx.inTravel);
    workbench_.Finish();
    interlock::Workspace& ws = workbench_.Ws();
    const int block = el.block;
    const int s = ws.Blocks[block].StateSignal;
    if (s == 0) return impossible(mx.noStateTs);
    const int n = s > 0 ? s : -s;
    const Position position = PositionOf(*topology_, ws, element);
    if ((position == Position::Closed && side == Side::On) ||
        (position == Position::Open && side == Side::Off))
        return impossible(mx.alreadyThere);

    const sequences::Operation op{block, side};
    const std::string opText =
        (side == Side::On ? sequences::Texts().opOn : sequences::Texts().opOff) + " " + Label(block);
    std::string hint;
    const Light light = JudgeOperation(ws, block, side, &workbench_.Analyser(), &hint);
    bool forced = false;
    if (light != Light::Allowed) {
        const std::string text = mx.refused + opText + "\n\r\n\r" + hint;
        if (!force) {
            boxes.Message({text, mx.refusedCaption, interlock::Icon::Warning});
            return Outcome::Refused;
        }
        if (!boxes.AskYesNo(text + mx.forceQuestion, mx.forceCaption, interlock::Icon::Warning))
            return Outcome::Refused;
        forced = true;
    }

    // The state TS take the values of the new position: ON is Value 1 for S n, 0 for ~S n.
    const int value = (side == Side::On) == (s > 0) ? 1 : 0;
    const bool pair = ws.TsTable.TwoPosition[n] && n < interlock::kTsCount;
    std::vector<std::pair<int, int>> final{{n, value}};
    if (pair) final.emplace_back(n + 1, value ^ 1);
    journal_.push_back({QTime::currentTime(), op, Label(block), LightWord(light), forced});
    if (pair && travelMs_ > 0 && interlock::OperatorSetsTs(ws.TsTable, n + 1)) {
        travel_ = Travel{final};
        workbench_.ApplyTsValues({{n, 0}, {n + 1, 0}});
        timer_->start(travelMs_);
        emit TravelChanged();
    } else {
        workbench_.ApplyTsValues(final);
    }
    emit JournalChanged();
    return Outcome::Done;
}

void Simulator::FinishTravel() {
    if (!travel_) return;
    const Travel travel = std::move(*travel_);
    travel_.reset();
    // The edit rule is asked again: a reception started meanwhile owns the values now.
    workbench_.ApplyTsValues(travel.values);
    emit TravelChanged();
}

void Simulator::ClearJournal() {
    journal_.clear();
    emit JournalChanged();
}

std::string Simulator::JournalProgram() const {
    const MimicTexts& mx = WindowTexts();
    std::vector<sequences::ProgramEntry> entries;
    for (const JournalEntry& j : journal_) {
        std::string comment = j.time.toString("HH:mm:ss").toStdString() + " " + j.verdict;
        if (j.forced) comment += " " + mx.forcedMark;
        entries.push_back({j.op, comment});
    }
    return sequences::WriteProgram(entries, workbench_.Ws(), mx.programTitle);
}

void Simulator::LoadProgram(const sequences::Program& program) {
    replay_ = program.steps;
    replayNext_ = 0;
}

Outcome Simulator::Step() {
    if (ReplayDone()) return Outcome::NotPossible;
    const sequences::Operation op = replay_[static_cast<size_t>(replayNext_)].op;
    // A step already in place is passed over, as the program's check passes it.
    const int e = topology_ ? topology_->ElementOfBlock(op.block) : -1;
    if (e >= 0 && !travel_) {
        const Position p = PositionOf(*topology_, workbench_.Ws(), e);
        if ((p == Position::Closed && op.side == Side::On) || (p == Position::Open && op.side == Side::Off)) {
            ++replayNext_;
            return Outcome::Done;
        }
    }
    const Outcome outcome = OperateBlock(op.block, op.side, true);
    if (outcome == Outcome::Done) ++replayNext_;
    return outcome;
}

}  // namespace mimic
