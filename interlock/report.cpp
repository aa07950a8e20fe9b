// The verdict line of the block on view and the grids refreshed with it.

#include "interlock/report.h"

#include <utility>

#include "interlock/compiled_logic.h"
#include "interlock/int_rule.h"
#include "interlock/parser.h"
#include "interlock/engine_texts.h"

namespace interlock {
namespace {

std::string Number(int n) { return std::to_string(n); }

// "\n\rТСn" or "\n\rТСn: name" for every TS whose code in u equals `code`.
std::string UnreliableList(const Workspace& ws, const std::array<uint8_t, kTsCount + 1>& u, uint8_t code) {
    std::string s;
    for (int n = 1; n <= kTsCount; ++n) {
        if (u[n] != code) continue;
        s += "\n\r" + Texts().ts + Number(n);
        if (!ws.TsTable.Name[n].empty()) s += ": " + ws.TsTable.Name[n];
    }
    return s;
}

void SetLabel(LabelLook& label, const std::string& text, Colour shade, const std::string& hint) {
    label.text = text;
    label.colour = shade;
    label.hint = hint;
    label.hintOn = true;
    label.visible = true;
}

// The M grid's rows from MVariables.Shown and the current block.
void FillMGridRows(Workspace& ws) {
    MGridModel& grid = ws.Display.mGrid;
    grid.rows.clear();
    for (int n = 1; n <= kMCount; ++n) {
        if (ws.MVariables.Shown[n]) grid.rows.emplace_back("M" + Number(n), ws.MVariables.Value[n]);
    }
    const Block& b = ws.CurrentBlockRef();
    grid.rows.emplace_back("V" + Number(ws.CurrentBlock),
                           ws.CurrentView == Side::On ? b.OnResult : b.OffResult);
}

// The used TS and the M variables shown, from what the compiled form of the logic on view found
// in its lines (the editor holds those lines): the same marks as scanning the editor's text.
void CollectFromForm(Workspace& ws, const CompiledLogic& form) {
    TsTableData& t = ws.TsTable;
    for (uint16_t n : form.namedTs) {
        t.UsedInLogic[n] = 1;
        if (t.TwoPosition[n] == 1 && n < kTsCount) t.UsedInLogic[n + 1] = 1;
    }
    ClearShownM(ws);
    for (int n = 1; n <= kMCount; ++n) {
        if (form.readM & (1u << n)) ws.MVariables.Shown[n] = 1;
    }
}

}  // namespace

void PaintGroupTabs(Workspace& ws) {
    for (int g = 0; g < 2; ++g) {
        bool erroneous = false;
        for (int n = 1 + 16 * g; n <= 16 + 16 * g && !erroneous; ++n)
            erroneous = IsErroneous(ws, ws.Blocks[n]);
        bool onShow = ws.TabGroup == g;
        if (erroneous) {
            ws.GroupTabs[g] = {colour::kRed, colour::kWhite, !onShow, true};
        } else if (onShow) {
            ws.GroupTabs[g] = {colour::kHighlight, colour::kWhite, false, true};
        } else {
            ws.GroupTabs[g] = {colour::kInactiveTab, colour::kBlack, true, false};
        }
    }
}

void FillTsGrid(Workspace& ws) {
    TsTableData& t = ws.TsTable;
    TsGridModel& grid = ws.Display.tsGrid;
    const EngineTexts& tx = Texts();
    int count = 0;
    bool found = false;
    const int s = ws.CurrentBlockRef().StateSignal;
    for (int i = 1; i <= kTsCount; ++i) {
        if (t.UsedInLogic[i]) ++count;
        if (s == i || s == -i) {
            found = true;
            bool on = (s == i) ? t.Value[i] == 1 : t.Value[i] != 1;
            grid.stateValueText = on ? tx.stateValueOn : tx.stateValueOff;
            grid.stateValueColour = on ? colour::kGreen : colour::kRed;
            if (PairInvalid(ws, i)) found = false;
        }
    }
    if (!found) {
        grid.stateValueText = "---";
        grid.stateValueColour = colour::kBlack;
    }
    if (count == 0 || !ws.Opts.Check_Show_TS) {
        grid.windowHeight = 524;
    } else {
        grid.windowHeight = count > 12 ? 596 : 577;
    }
    grid.columns.clear();
    for (int n = 1; n <= kTsCount; ++n) {
        if (!t.UsedInLogic[n]) continue;
        // The server delivers a pair as one value: the second TS is its complement.
        if (t.FromServer[n] && t.PairSecond[n]) t.Value[n] = static_cast<int16_t>(t.Value[n - 1] ^ 1);
        grid.columns.emplace_back(n, t.Value[n]);
    }
}

void FillMGrid(Workspace& ws) {
    ClearShownM(ws);
    for (const std::string& line : ws.Fields.Logic) {
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != 'M') continue;
            size_t end = line.find_first_of("),", i + 1);
            if (end == std::string::npos) end = line.size();
            int32_t n = 0;
            if (IsIntInRange(std::string_view(line).substr(i + 1, end - i - 1), 1, kMCount, &n))
                ws.MVariables.Shown[n] = 1;
        }
    }
    FillMGridRows(ws);
}

const Screen& RefreshBlockDisplay(Workspace& ws) {
    const EngineTexts& tx = Texts();
    Block& b = ws.CurrentBlockRef();
    Screen& d = ws.Display;
    ++d.refreshCount;

    // 1-3: state field, the logic on view into the editor, used TS and the grids.
    SetStateSignal(ws, b.Number, ws.Fields.TS_State_Number);
    ParseLogic(ws, b, ws.CurrentView);
    const LogicText& onView = b.Of(ws.CurrentView).Logic;
    ws.Fields.Logic = onView;
    ClearUsedTs(ws);
    if (ws.ParseText || onView.empty()) {
        CollectUsedTs(ws);
        FillTsGrid(ws);
        FillMGrid(ws);
    } else {
        CollectFromForm(ws, CompiledFormOf(onView, b.Number));
        FillTsGrid(ws);
        FillMGridRows(ws);
    }

    // 4: warning hidden, state label back to plain.
    d.Top_Label7.visible = false;
    d.Top_Label7.text = tx.warningDesign;
    d.Top_Label7.colour = colour::kRed;
    d.Top_Label7.hint.clear();
    d.Top_Label7.hintOn = false;
    d.Top_Label4.colour = colour::kBlack;
    d.Top_Label4.hint.clear();
    d.Top_Label4.hintOn = false;
    d.Top_Label5.hint.clear();
    d.Top_Label5.hintOn = false;

    // 5: header.
    if (!b.Name.empty()) {
        std::string hint = tx.hintApparatus + b.Name + "\"\n\r" + tx.hintRelay + Number(b.Number) +
                           "\n\r\n\r" + tx.hintFile + (ws.ConfigFileName.empty() ? "-" : ws.ConfigFileName) +
                           "\"";
        SetLabel(d.Top_Label_Name, b.Name, colour::kBlack, hint);
    } else {
        d.Top_Label_Name = {"", colour::kBlack, false, "", false};
    }

    // 6: group tabs.
    PaintGroupTabs(ws);

    const bool empty = b.IsEmpty();
    const int s = b.StateSignal;

    // 7: empty block without state signal.
    if (empty && s == 0) {
        d.colouring = EditorColouring::Keep;
        d.Top_Label4.text = tx.unknown;
        d.Top_Label5.text = tx.controlCaption;
        SetLabel(d.Top_Label6, tx.unknownVerdict, colour::kBlack, tx.notCalculatedEmpty);
        return d;
    }
    // 8: logic without state signal.
    if (s == 0) {
        d.Top_Label4.text = tx.unknown;
        d.Top_Label5.text = tx.controlCaption;
        SetLabel(d.Top_Label6, tx.error, colour::kRed, tx.unknownState);
        PaintBlockStatus(ws, b.Number, BlockStatus::Erroneous);
        d.colouring = ws.Opts.Check_Color ? EditorColouring::Operands : EditorColouring::Plain;
        return d;
    }

    // 9: the state signal decides which logic governs.
    const int n = s > 0 ? s : -s;
    Block::ConstSideFields viewed = std::as_const(b).Of(ws.CurrentView);
    if (viewed.Error) {
        d.colouring = EditorColouring::ErrorLine;
        d.errorLine = viewed.ErrorLine;
    } else {
        d.colouring = ws.Opts.Check_Color ? EditorColouring::Operands : EditorColouring::Plain;
    }
    if (PairInvalid(ws, n)) {
        d.Top_Label4.text = tx.unknown;
        d.Top_Label5.text = tx.controlCaption;
        SetLabel(d.Top_Label6, tx.error, colour::kRed, tx.badStatePair);
        PaintBlockStatus(ws, b.Number, BlockStatus::Erroneous);
        return d;
    }
    const bool on = ApparatusIsOn(ws, s);
    const Side governing = on ? Side::Off : Side::On;
    d.Top_Label4.text = on ? tx.stateOn : tx.stateOff;
    d.Top_Label5.text = on ? tx.switchOff : tx.switchOn;
    Block::ConstSideFields g = std::as_const(b).Of(governing);

    // 10: verdict of the governing logic.
    if (g.Error) {
        SetLabel(d.Top_Label6, tx.error, colour::kRed,
                 (governing == Side::On ? tx.inOnLogic : tx.inOffLogic) + g.ErrorMessage);
        return d;
    }
    if (g.Empty) {
        const std::string& hint =
            s < 0 ? tx.emptyInverted : (governing == Side::On ? tx.emptyOnLogic : tx.emptyOffLogic);
        SetLabel(d.Top_Label6, tx.unknownVerdict, colour::kBlack, hint);
    } else if (g.Result == 1) {
        SetLabel(d.Top_Label6, tx.allowed, colour::kGreen,
                 governing == Side::On ? tx.onAllowed : tx.offAllowed);
    } else if (g.HasCandidates) {
        SetLabel(
            d.Top_Label6, tx.forbiddenStar, colour::kRed,
            (governing == Side::On ? tx.onForbidden : tx.offForbidden) + tx.candidatesHeader + g.Candidates);
    } else {
        SetLabel(d.Top_Label6, tx.forbidden, colour::kRed,
                 governing == Side::On ? tx.onForbidden : tx.offForbidden);
    }

    // 11: the state signal itself is unreliable.
    const TsTableData& t = ws.TsTable;
    if (t.Unreliability[n] > 0 ||
        (t.TwoPosition[n] && t.FromServer[n + 1] == 0 && t.Unreliability[n + 1] > 0)) {
        d.Top_Label4.colour = colour::kRed;
        d.Top_Label4.text += "*";
        d.Top_Label4.hint = tx.stateUnreliable;
        d.Top_Label4.hintOn = true;
    }

    // 12: unreliable TS read by the governing logic.
    if (g.Unreliability[0] == 2) {
        d.Top_Label7.visible = true;
        d.Top_Label7.hint = tx.hardwareList + UnreliableList(ws, g.Unreliability, 2);
        d.Top_Label7.hintOn = true;
        SetLabel(d.Top_Label6, tx.forbiddenTwoStars, colour::kRed, tx.hardwareForbidden);
    } else if (g.Unreliability[0] == 1) {
        d.Top_Label7.visible = true;
        d.Top_Label7.hint = tx.manualList + UnreliableList(ws, g.Unreliability, 1);
        d.Top_Label7.hintOn = true;
    }
    return d;
}

}  // namespace interlock
