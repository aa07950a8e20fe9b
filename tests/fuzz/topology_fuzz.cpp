// The topology reader. Whatever a file holds, reading ends with a topology and messages (no
// crash, no hang); every message points into the file, every index into the lists it names,
// and each node is found again by its name.

#include "interlock/workspace.h"
#include "tests/fuzz/fuzz_check.h"
#include "topology/topology.h"

namespace {

// A few blocks with names and state signals, others empty: what the file's BLOCK n is checked
// against.
const interlock::Workspace& Blocks() {
    static const interlock::Workspace* ws = [] {
        auto* w = new interlock::Workspace;
        const char* names[] = {"Q1 Ввод", "QS2 Шины", "QE3", "Q4"};
        for (int n = 1; n <= 4; ++n) {
            w->Blocks[n].Name = names[n - 1];
            w->Blocks[n].StateSignal = static_cast<int16_t>(n == 4 ? 0 : n * 2);
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
    const topology::Topology t = topology::ReadTopology(lines, Blocks());
    const int count = static_cast<int>(lines.size());
    const int nodes = static_cast<int>(t.nodes.size());
    int previous = 0;
    for (const topology::Message& m : t.messages) {
        FUZZ_CHECK(m.line >= 0 && m.line <= count);
        FUZZ_CHECK(m.line >= previous);  // in line order
        previous = m.line;
        FUZZ_CHECK(m.position >= 0);
        if (m.line > 0) FUZZ_CHECK(static_cast<size_t>(m.position) <= lines[m.line - 1].size() + 1);
        FUZZ_CHECK(!m.text.empty());
    }
    for (int i = 0; i < nodes; ++i) FUZZ_CHECK(t.NodeIndex(t.nodes[i].name) == i);
    for (const topology::Element& e : t.elements) {
        FUZZ_CHECK(e.a >= 0 && e.a < nodes);
        FUZZ_CHECK(e.kind == topology::Kind::Earthing ? e.b == -1 : e.b >= 0 && e.b < nodes);
        if (e.binding == topology::Binding::Block)
            FUZZ_CHECK(e.block >= 1 && e.block <= interlock::kBlockCount);
        if (e.binding == topology::Binding::Ts) FUZZ_CHECK(e.ts.ts >= 1 && e.ts.ts <= interlock::kTsCount);
        FUZZ_CHECK(e.line >= 1 && e.line <= count);
    }
    for (const topology::Source& s : t.sources) {
        FUZZ_CHECK(s.node >= 0 && s.node < nodes);
        if (s.when) FUZZ_CHECK(s.when->ts >= 1 && s.when->ts <= interlock::kTsCount);
    }
    for (const topology::Load& l : t.loads) FUZZ_CHECK(l.node >= 0 && l.node < nodes);
    for (const topology::Indicator& i : t.indicators) {
        FUZZ_CHECK(i.node >= 0 && i.node < nodes);
        FUZZ_CHECK(i.ts.ts >= 1 && i.ts.ts <= interlock::kTsCount);
    }
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const int e = t.ElementOfBlock(n);
        if (e >= 0) FUZZ_CHECK(t.elements[static_cast<size_t>(e)].block == n);
    }
    return 0;
}
