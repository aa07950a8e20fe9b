#include "interlock/workspace.h"

#include "interlock/int_rule.h"

namespace interlock {

const char* SideName(Side side) { return side == Side::On ? "on" : "off"; }

void TsTableData::Reset() {
    for (int i = 1; i <= kTsCount; ++i) {
        Value[i] = 0;
        UsedInLogic[i] = 0;
        Name[i].clear();
        Unreliability[i] = 0;
        FromServer[i] = 0;
        TwoPosition[i] = 0;
        PairSecond[i] = 0;
    }
}

Block::SideFields Block::Of(Side side) {
    if (side == Side::On) {
        return {OnResult,       OnEmpty,     OnHasCandidates, OnCandidates, OnError,
                OnErrorMessage, OnErrorLine, OnUnreliability, OnLogic};
    }
    return {OffResult,       OffEmpty,     OffHasCandidates, OffCandidates, OffError,
            OffErrorMessage, OffErrorLine, OffUnreliability, OffLogic};
}

Block::ConstSideFields Block::Of(Side side) const {
    if (side == Side::On) {
        return {OnResult,       OnEmpty,     OnHasCandidates, OnCandidates, OnError,
                OnErrorMessage, OnErrorLine, OnUnreliability, OnLogic};
    }
    return {OffResult,       OffEmpty,     OffHasCandidates, OffCandidates, OffError,
            OffErrorMessage, OffErrorLine, OffUnreliability, OffLogic};
}

void Block::Create(int number) {
    OnLogic.clear();
    OffLogic.clear();
    Reset();
    Number = static_cast<int8_t>(number);
}

void Block::Reset() {
    OnResult = 0;
    OffResult = 0;
    Name.clear();
    OnErrorMessage.clear();
    OffErrorMessage.clear();
    OnErrorLine.clear();
    OffErrorLine.clear();
    OnError = false;
    OffError = false;
    OnEmpty = false;
    OffEmpty = false;
    StateSignal = 0;
    OnUnreliability.fill(0);
    OffUnreliability.fill(0);
    OnLogic.clear();
    OffLogic.clear();
}

TabLook StatusLook(BlockStatus status, bool enabled) {
    switch (status) {
        case BlockStatus::Empty:
            return {colour::kWindowBackground, colour::kBlack, enabled, false};
        case BlockStatus::Erroneous:
            return {colour::kRed, colour::kWhite, enabled, true};
        case BlockStatus::Normal:
            break;
    }
    return {colour::kHighlight, colour::kWhite, enabled, true};
}

TabLook ActiveTabLook() { return {colour::kHighlight, colour::kWhite, false, true}; }
TabLook InactiveTabLook() { return {colour::kInactiveTab, colour::kBlack, true, false}; }

Workspace::Workspace() {
    for (int n = 1; n <= kBlockCount; ++n) Blocks[n].Create(n);
    // Start-up look: every block tab window-coloured; the first one is the selected tab.
    for (int i = 1; i <= 16; ++i) Tabs[i] = {colour::kWindowBackground, colour::kBlack, i != 1, false};
    GroupTabs[0] = ActiveTabLook();
    GroupTabs[1] = {colour::kWindowBackground, colour::kBlack, true, false};
    Display.Top_Label_Name.text = "";
    TsTable.Reset();
}

bool ApparatusIsOn(const Workspace& ws, int s) {
    if (s > 0 && s <= kTsCount) return ws.TsTable.Value[s] == 1;
    if (s < 0 && -s <= kTsCount) return ws.TsTable.Value[-s] == 0;
    return false;
}

bool PairInvalid(const Workspace& ws, int n) {
    if (n < 1 || n > kTsCount) return false;
    const TsTableData& t = ws.TsTable;
    return t.TwoPosition[n] == 1 && t.Value[n] == t.Value[n + 1] && t.FromServer[n] == 0;
}

void ClearUsedTs(Workspace& ws) {
    for (int i = 1; i <= kTsCount; ++i) ws.TsTable.UsedInLogic[i] = 0;
}

void ClearShownM(Workspace& ws) {
    for (int i = 1; i <= kMCount; ++i) ws.MVariables.Shown[i] = 0;
}

void CollectUsedTs(Workspace& ws) {
    TsTableData& t = ws.TsTable;
    for (const std::string& line : ws.Fields.Logic) {
        for (size_t i = 0; i < line.size(); ++i) {
            char c = line[i];
            if (c != 'S' && c != 'D') continue;
            if (i > 0 && line[i - 1] == 'N') continue;
            size_t end = line.find_first_of("),", i + 1);
            if (end == std::string::npos) end = line.size();
            int32_t n = 0;
            if (!IsIntInRange(std::string_view(line).substr(i + 1, end - i - 1), 1, kTsCount, &n)) continue;
            t.UsedInLogic[n] = 1;
            if (t.TwoPosition[n] == 1 && n < kTsCount) t.UsedInLogic[n + 1] = 1;
        }
    }
}

std::vector<std::string> SplitEditorText(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        if (end == text.size()) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

}  // namespace interlock
