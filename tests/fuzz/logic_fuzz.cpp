// The logic parser with evaluation, candidate search and the verdict report, on logic text and
// TS tables taken from the input. Besides no crash and no undefined behaviour: evaluating the
// same data twice gives the same results and the same screen.
//
// Input: one byte for the block, one for the state signal, 32 bytes of TS values, 32 of
// two-position flags, 32 of server marks, 32 of hardware unreliability; the rest is the ON
// logic, a zero byte, and the OFF logic, lines separated by LF.

#include <string>
#include <vector>

#include "interlock/report.h"
#include "interlock/workspace.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

struct Results {
    std::vector<int> values;
    interlock::Screen screen;
};

Results Evaluate(interlock::Workspace& ws) {
    interlock::SelectViewByState(ws);
    interlock::RecalculateAll(ws);
    Results r;
    r.screen = interlock::RefreshBlockDisplay(ws);
    r.screen.refreshCount = 0;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        r.values.insert(r.values.end(), {b.OnResult, b.OffResult, b.OnError, b.OffError, b.OnHasCandidates,
                                         b.OffHasCandidates});
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const int block = in.Byte() % interlock::kBlockCount + 1;
    const uint8_t state = in.Byte();
    const std::string_view values = in.Bytes(32);
    const std::string_view pairs = in.Bytes(32);
    const std::string_view server = in.Bytes(32);
    const std::string_view unreliable = in.Bytes(32);
    const std::string_view text = in.Rest();
    const size_t zero = text.find('\0');

    interlock::Workspace ws;
    interlock::TsTableData& t = ws.TsTable;
    for (int n = 1; n <= interlock::kTsCount; ++n) {
        t.Value[n] = in.Bit(values, n - 1);
        t.FromServer[n] = in.Bit(server, n - 1);
        t.Unreliability[n] = in.Bit(unreliable, n - 1) ? 2 : 0;
        if (in.Bit(pairs, n - 1)) {
            t.TwoPosition[n] = 1;
            t.PairSecond[n + 1] = 1;
        }
    }
    // A pair from the server carries one value: the second follows the first, as a poll leaves it.
    for (int n = 1; n <= interlock::kTsCount; ++n)
        if (t.PairSecond[n] && t.FromServer[n]) t.Value[n] = static_cast<int16_t>(t.Value[n - 1] ^ 1);

    interlock::Block& b = ws.Blocks[block];
    b.OnLogic = Lines(text.substr(0, zero));
    if (zero != std::string_view::npos) b.OffLogic = Lines(text.substr(zero + 1));
    const std::string entry = std::string(state & 0x80 ? "~" : "") + (state & 0x40 ? "D" : "S") +
                              std::to_string(state & 0x3F ? (state & 0x3F) * 4 : 0);
    interlock::SetStateSignal(ws, block, entry);
    ws.CurrentBlock = block;
    interlock::ShowBlock(ws, block);

    const Results first = Evaluate(ws);
    const Results second = Evaluate(ws);
    FUZZ_CHECK(first.values == second.values);
    FUZZ_CHECK(first.screen.Top_Label4 == second.screen.Top_Label4);
    FUZZ_CHECK(first.screen.Top_Label5 == second.screen.Top_Label5);
    FUZZ_CHECK(first.screen.Top_Label6 == second.screen.Top_Label6);
    FUZZ_CHECK(first.screen.Top_Label7 == second.screen.Top_Label7);
    FUZZ_CHECK(first.screen.tsGrid.columns == second.screen.tsGrid.columns);
    FUZZ_CHECK(first.screen.mGrid.rows == second.screen.mGrid.rows);
    return 0;
}
