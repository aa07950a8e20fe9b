// Operations on the interlock blocks: state signal entry, status, recalculation and the
// transfers between a block and the main window's fields.

#include "interlock/int_rule.h"
#include "interlock/parser.h"
#include "interlock/report.h"
#include "interlock/engine_texts.h"
#include "interlock/workspace.h"

namespace interlock {

bool IsErroneous(const Workspace& ws, const Block& b) {
    if (b.OnError || b.OffError) return true;
    if (!b.IsEmpty() && b.StateSignal == 0) return true;
    if (b.StateSignal != 0) {
        int n = b.StateSignal > 0 ? b.StateSignal : -b.StateSignal;
        if (PairInvalid(ws, n)) return true;
        // The logic of the next operation reads a TS with hardware unreliability.
        if (ApparatusIsOn(ws, b.StateSignal) ? b.OffUnreliability[0] == 2 : b.OnUnreliability[0] == 2)
            return true;
    }
    return false;
}

BlockStatus StatusOf(const Workspace& ws, const Block& b) {
    if (b.IsEmpty()) return BlockStatus::Empty;
    return IsErroneous(ws, b) ? BlockStatus::Erroneous : BlockStatus::Normal;
}

void PaintBlockTab(Workspace& ws, int n, const TabLook& look) {
    if (n < 1 || n > kBlockCount) return;
    if ((n > 16 && ws.TabGroup == 0) || (n <= 16 && ws.TabGroup == 1)) return;
    ws.Tabs[n - 16 * ws.TabGroup] = look;
}

void PaintBlockStatus(Workspace& ws, int n, BlockStatus status) {
    if (n < 1 || n > kBlockCount) return;
    if ((n > 16 && ws.TabGroup == 0) || (n <= 16 && ws.TabGroup == 1)) return;
    bool enabled = ws.Tabs[n - 16 * ws.TabGroup].enabled;
    PaintBlockTab(ws, n, StatusLook(status, enabled));
}

void SetStateSignal(Workspace& ws, int number, const std::string& entry) {
    if (number < 1 || number > kBlockCount) {
        ws.Messages.push_back(
            {Texts().badRelayNumber + std::to_string(number), Texts().attention, Icon::Error});
        return;
    }
    Block& b = ws.Blocks[number];
    auto reject = [&] {
        b.StateSignal = 0;
        ws.Fields.TS_State_Number = "---";
    };
    if (entry.empty()) return reject();
    std::string_view rest = entry;
    bool inverted = false;
    if (rest.front() == '~') {
        inverted = true;
        rest.remove_prefix(1);
        if (rest.empty()) return reject();
    }
    char letter = rest.front();
    int32_t n = 0;
    if ((letter != 'S' && letter != 'D') || !IsIntInRange(rest.substr(1), 1, kTsCount, &n)) return reject();
    if (letter == 'D' && n == kTsCount) return reject();  // TS 256 has no partner
    b.StateSignal = static_cast<int16_t>(inverted ? -n : n);
    ws.Fields.TS_State_Number = entry;
}

void Recalculate(Workspace& ws, int number) {
    Block& b = ws.Blocks[number];
    if (b.IsEmpty()) {
        PaintBlockStatus(ws, number, BlockStatus::Empty);
        return;
    }
    ParseLogic(ws, b, Side::On);
    ParseLogic(ws, b, Side::Off);
    PaintBlockStatus(ws, number, IsErroneous(ws, b) ? BlockStatus::Erroneous : BlockStatus::Normal);
}

void RecalculateAll(Workspace& ws) {
    for (int n = 1; n <= kBlockCount; ++n) Recalculate(ws, n);
}

void ResetAllBlocks(Workspace& ws) {
    for (int n = 1; n <= kBlockCount; ++n) {
        ws.Blocks[n].Reset();
        Recalculate(ws, n);
    }
}

void SetView(Workspace& ws, Side side) { ws.CurrentView = side; }

void SelectViewByState(Workspace& ws) {
    SetStateSignal(ws, ws.CurrentBlock, ws.Fields.TS_State_Number);
    int s = ws.CurrentBlockRef().StateSignal;
    SetView(ws, s != 0 && ApparatusIsOn(ws, s) ? Side::Off : Side::On);
}

void ShowBlock(Workspace& ws, int number) {
    Block& b = ws.Blocks[number];
    if (b.StateSignal > 0) {
        ws.Fields.TS_State_Number = "S" + std::to_string(b.StateSignal);
    } else if (b.StateSignal < 0) {
        ws.Fields.TS_State_Number = "~S" + std::to_string(-b.StateSignal);
    } else {
        ws.Fields.TS_State_Number = "-";
    }
    ws.Fields.Block_Name = b.Name;
    SelectViewByState(ws);
    Recalculate(ws, number);
    if (number == ws.CurrentBlock) RefreshBlockDisplay(ws);
}

void CommitEditor(Workspace& ws, int number) {
    Block& b = ws.Blocks[number];
    (ws.CurrentView == Side::Off ? b.OffLogic : b.OnLogic) = ws.Fields.Logic;
    SetStateSignal(ws, b.Number, ws.Fields.TS_State_Number);
    b.Name = ws.Fields.Block_Name;
    RefreshBlockDisplay(ws);
}

void RecalculateButton(Workspace& ws) {
    Block& b = ws.CurrentBlockRef();
    (ws.CurrentView == Side::Off ? b.OffLogic : b.OnLogic) = ws.Fields.Logic;
    b.Name = ws.Fields.Block_Name;
    Recalculate(ws, ws.CurrentBlock);
    SelectViewByState(ws);
    Recalculate(ws, ws.CurrentBlock);
    RefreshBlockDisplay(ws);
}

void NullifyConfirmed(Workspace& ws) {
    ResetAllBlocks(ws);
    ShowBlock(ws, ws.CurrentBlock);
    ws.Messages.push_back({Texts().nullifyDone, Texts().nullifyCaption, Icon::Warning});
}

}  // namespace interlock
