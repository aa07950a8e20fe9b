// The switching program reader. Whatever a file holds, reading ends with steps and errors (no
// crash, no hang); every error points into its line, every step names a block of the
// configuration, and the steps written out as a program read back as the same operations.

#include "interlock/cp1251.h"
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "sequences/program.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Blocks whose names share first words and hold digits, so that names and numbers meet.
const interlock::Workspace& Blocks() {
    static const interlock::Workspace* ws = [] {
        auto* w = new interlock::Workspace;
        const char* names[] = {"Q1 Ввод", "QS2 Шины", "Q1 Резерв", "Q4", "ОТКЛ", "qs2"};
        for (int n = 1; n <= 6; ++n) {
            w->Blocks[n].Name = cp1251::FromUtf8(names[n - 1]);
            w->Blocks[n].StateSignal = static_cast<int16_t>(n * 2);
            w->Blocks[n].OnLogic = {"V" + std::to_string(n) + "=AND(S1)"};
        }
        return w;
    }();
    return *ws;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> lines =
        fuzz::Lines(std::string_view(reinterpret_cast<const char*>(data), size));
    const interlock::Workspace& ws = Blocks();
    const sequences::Program p = sequences::ParseProgram(lines, ws);
    const int count = static_cast<int>(lines.size());
    for (const sequences::ProgramError& e : p.errors) {
        FUZZ_CHECK(e.line >= 1 && e.line <= count);
        FUZZ_CHECK(e.position >= 1);
        FUZZ_CHECK(static_cast<size_t>(e.position) <= lines[e.line - 1].size() + 1);
        FUZZ_CHECK(!e.message.empty());
    }
    std::vector<sequences::ProgramEntry> entries;
    for (const sequences::ProgramStep& s : p.steps) {
        FUZZ_CHECK(s.line >= 1 && s.line <= count);
        FUZZ_CHECK(s.op.block >= 1 && s.op.block <= interlock::kBlockCount);
        entries.push_back({s.op, {}});
    }
    const std::string written = sequences::WriteProgram(entries, ws);
    const sequences::Program again = sequences::ParseProgram(fuzz::Lines(written), ws);
    FUZZ_CHECK(again.errors.empty());
    FUZZ_CHECK(again.steps.size() == p.steps.size());
    for (size_t i = 0; i < p.steps.size(); ++i) FUZZ_CHECK(again.steps[i].op == p.steps[i].op);
    return 0;
}
