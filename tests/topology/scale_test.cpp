// Long topologies: a chain of hundreds of thousands of nodes is read whole, whatever the
// order of its lines, and proven when its connections closed whatever the TS fold it into a
// few points; beyond the limit every operation is "not checked" with the reason. Each verdict
// on a long chain must equal the verdict on the same substation written short.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/topology/support.h"
#include "topology/topology_texts.h"

namespace topology::test {
namespace {

using interlock::Side;

// A source, a chain of `length` links from IN to BUS, then a bay: QS (block 1) BUS-A,
// Q (block 2) A-LINE, QE (block 3) on LINE, a load on LINE. `link(i)` writes link i between
// its two node names; `reversed` puts every line of the chain in the opposite order.
std::vector<std::string> Chain(int length, const std::function<std::string(int)>& link, bool reversed) {
    std::vector<std::string> chain;
    auto node = [&](int i) {
        return i == 0 ? std::string("IN") : i == length ? std::string("BUS") : "N" + std::to_string(i);
    };
    for (int i = 1; i < length; ++i) chain.push_back("NODE " + node(i));
    for (int i = 0; i < length; ++i)
        chain.push_back(link(i) + " " + node(i) + " " + node(i + 1) + link(-1 - i));
    if (reversed) std::reverse(chain.begin(), chain.end());
    std::vector<std::string> lines = {"NODE IN", "NODE BUS", "NODE A", "NODE LINE", "SOURCE IN", "LOAD LINE"};
    lines.insert(lines.end(), chain.begin(), chain.end());
    for (const char* l :
         {"DISCONNECTOR QS BUS A BLOCK 1", "BREAKER Q A LINE BLOCK 2", "EARTHING QE LINE BLOCK 3"})
        lines.push_back(l);
    return lines;
}

// link(i >= 0): the keyword (and label); link(< 0): what follows the two nodes.
std::function<std::string(int)> Link(const std::string& keyword, const std::string& position) {
    return [=](int i) { return i >= 0 ? keyword : position; };
}

std::unique_ptr<interlock::Workspace> Bay() {
    return MakeWorkspace({{1, "S1", {"V1=AND(~S2)"}, {"V1=AND(~S2)"}, "QS"},
                          {2, "S2", {"V2=AND(S1)"}, {"V2=AND(S1)"}, "Q"},
                          {3, "S3", {"V3=AND(~S2)"}, {"V3=AND(S3)"}, "QE"}});
}

std::vector<std::string> Verdicts(const std::vector<std::string>& lines, const interlock::Workspace& ws) {
    const Topology t = ReadTopology(lines, ws);
    EXPECT_FALSE(t.HasErrors());
    analysis::Analyser analyser;
    analyser.Update(ws);
    std::vector<std::string> out;
    for (const OperationResult& r : Prove(analyser, ws, t)) {
        std::string s = OperationName(t, r) + ": " + VerdictText(r);
        for (const Violation& v : r.violations) s += "; " + ExampleText(t, ws, v.example.cube, r.held);
        out.push_back(s);
    }
    return out;
}

TEST(TopologyScale, LongChainsAreReadWhole) {
    auto ws = Bay();
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "lines reversed" : "lines in order");
        std::vector<std::string> lines = Chain(500000, Link("CABLE", ""), reversed);
        lines.push_back("NODE N250000");  // described twice, far down the file
        lines.push_back("CABLE N1 NOWHERE");
        const Topology t = ReadTopology(lines, *ws);
        ASSERT_EQ(t.nodes.size(), 500003u);
        ASSERT_EQ(t.elements.size(), 500003u);
        // Every link joins the nodes it names.
        for (const Element& e : t.elements) {
            if (e.kind != Kind::Cable) continue;
            const std::string& a = t.nodes[static_cast<size_t>(e.a)].name;
            const std::string& b = t.nodes[static_cast<size_t>(e.b)].name;
            const int i = a == "IN" ? 0 : std::stoi(a.substr(1));
            ASSERT_EQ(b, i + 1 == 500000 ? std::string("BUS") : "N" + std::to_string(i + 1));
        }
        ASSERT_EQ(t.messages.size(), 2u);
        EXPECT_EQ(t.messages[0].line, static_cast<int>(lines.size()) - 1);
        EXPECT_EQ(t.messages[0].text, Texts().duplicateNode + "N250000");
        EXPECT_EQ(t.messages[1].text, Texts().node + "NOWHERE");
    }
}

TEST(TopologyScale, ChainsProveAsTheirShortForm) {
    auto ws = Bay();
    const std::vector<std::string> shortForm = Verdicts(Chain(1, Link("CABLE", ""), false), *ws);
    const std::vector<std::string> shortTs = Verdicts(Chain(1, Link("BREAKER T", " TS S20"), false), *ws);
    ASSERT_EQ(shortForm.size(), 6u);
    const struct {
        const char* name;
        int length;
        std::function<std::string(int)> link;
        const std::vector<std::string>& expect;
    } rows[] = {
        {"cables", 100000, Link("CABLE", ""), shortForm},
        {"breakers fixed closed", 100000, Link("BREAKER", " CLOSED"), shortForm},
        {"cables and closed disconnectors", 100000,
         [](int i) { return i >= 0 ? (i % 2 ? "CABLE" : "DISCONNECTOR") : ((-1 - i) % 2 ? "" : " CLOSED"); },
         shortForm},
        // One TS positions every link: the chain is closed exactly when that TS reads 1.
        {"breakers of another unit on one TS", 5000, Link("BREAKER T", " TS S20"), shortTs},
    };
    for (const auto& row : rows) {
        for (bool reversed : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (reversed ? ", lines reversed" : ""));
            EXPECT_EQ(Verdicts(Chain(row.length, row.link, reversed), *ws), row.expect);
        }
    }
}

TEST(TopologyScale, BeyondTheLimitNothingIsProvenAndTheReasonSaysWhy) {
    auto ws = Bay();
    const int length = Network::kMaxPoints + 10;
    const Topology t = ReadTopology(Chain(length, Link("BREAKER", " TS S20"), true), *ws);
    ASSERT_FALSE(t.HasErrors());
    analysis::Analyser analyser;
    analyser.Update(*ws);
    const std::vector<OperationResult> results = Prove(analyser, *ws, t);
    ASSERT_EQ(results.size(), 6u);
    for (const OperationResult& r : results) {
        EXPECT_EQ(r.verdict, Verdict::NotChecked);
        EXPECT_EQ(r.reason, Texts().tooLarge + std::to_string(length + 3) + ", " + Texts().limitWord + " " +
                                std::to_string(Network::kMaxPoints));
    }
}

}  // namespace
}  // namespace topology::test
