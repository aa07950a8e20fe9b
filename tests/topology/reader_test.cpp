// The topology file: the forms of its lines, and every malformed line reported with its line
// and position while the rest is still read.

#include <gtest/gtest.h>

#include "tests/topology/support.h"
#include "topology/topology_texts.h"

namespace topology::test {
namespace {

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

TEST(TopologyFile, Forms) {
    auto ws = MakeWorkspace(
        {{2, "S3", {"V2=AND(S1)"}, {}, W("QS1 Разъединитель ввода")}, {5, "~S10", {"V5=AND(S1)"}, {}, ""}});
    const Topology t =
        ReadTopology({W("# Подстанция"), W("node Ввод AT 10 20"), "NODE A", "NODE B",
                      W("SOURCE Ввод WHEN ~S17  # comment"), "LOAD B", "INDICATOR S15 A",
                      W("disconnector Ввод A block 2"), "BREAKER Q9 A B BLOCK 5 AT 1.5 -2",
                      "EARTHING QE A TS ~S40", "BREAKER A B CLOSED", "CABLE A B", "TRANSFORMER T1 A B"},
                     *ws);
    ASSERT_TRUE(t.messages.empty()) << t.messages[0].line << ": " << t.messages[0].text;
    ASSERT_EQ(t.nodes.size(), 3u);
    EXPECT_EQ(t.nodes[0].at->y, 20);
    ASSERT_EQ(t.sources.size(), 1u);
    EXPECT_TRUE(t.sources[0].when->inverted);
    EXPECT_EQ(t.sources[0].when->ts, 17);
    ASSERT_EQ(t.elements.size(), 6u);
    EXPECT_EQ(t.elements[0].label, "QS1");  // the first word of the block's name
    EXPECT_EQ(t.elements[0].kind, Kind::Disconnector);
    EXPECT_EQ(t.elements[1].label, "Q9");
    EXPECT_EQ(t.elements[1].at->x, 1.5);
    EXPECT_EQ(t.elements[2].binding, Binding::Ts);
    EXPECT_TRUE(t.elements[2].ts.inverted);
    EXPECT_EQ(t.elements[3].label, "A-B");
    EXPECT_TRUE(t.elements[3].fixedClosed);
    EXPECT_EQ(t.elements[5].kind, Kind::Transformer);
    EXPECT_EQ(t.ElementOfBlock(5), 1);
}

TEST(TopologyFile, MalformedLinesNameLineAndPosition) {
    const struct {
        const char* line;
        int position;
        std::string message;
    } rows[] = {
        {"SWITCH A B BLOCK 1", 1, Texts().keyword},
        {"BREAKER Q A B BLOCK 33", 21, Texts().block},
        {"BREAKER Q A B BLOCK x", 21, Texts().block},
        {"BREAKER Q A Z BLOCK 3", 13, Texts().node + "Z"},
        {"BREAKER Q A B", 14, Texts().position},
        {"BREAKER Q A B TS S0", 18, Texts().ts},
        {"BREAKER Q A B OPEN now", 20, Texts().trailing},
        {"BREAKER Q A A OPEN", 9, Texts().sameNodes},
        {"BREAKER A OPEN", 11, Texts().name},
        {"EARTHING Q A B OPEN", 14, Texts().position},
        {"SOURCE A IF S1", 10, Texts().trailing},
        {"SOURCE A WHEN X1", 15, Texts().ts},
        {"INDICATOR S300 A", 11, Texts().ts},
        {"NODE A", 6, Texts().duplicateNode + "A"},
        {"CABLE A B AT 1", 11, Texts().at},
        {"BREAKER Q2 A B BLOCK 1", 22, Texts().twoBound + "3"},
    };
    auto ws = MakeWorkspace({{1, "S1", {"V1=AND(S2)"}, {}, ""}});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const Topology t = ReadTopology(
            {"NODE A", "NODE B", "BREAKER Q1 A B BLOCK 1", row.line, "DISCONNECTOR QS A B OPEN"}, *ws);
        EXPECT_EQ(t.elements.size(), 2u);  // the other lines are still read
        ASSERT_EQ(t.messages.size(), 1u);
        EXPECT_EQ(t.messages[0].line, 4);
        EXPECT_EQ(t.messages[0].position, row.position);
        EXPECT_EQ(t.messages[0].text, row.message);
    }
}

TEST(TopologyFile, ChecksAgainstTheConfiguration) {
    auto ws = MakeWorkspace({{1, "", {"V1=AND(S2)"}, {}, ""}, {4, "S4", {"V4=AND(S2)"}, {}, ""}});
    const Topology t =
        ReadTopology({"NODE A", "NODE B", "NODE LONE", "BREAKER A B BLOCK 1", "INDICATOR S4 B"}, *ws);
    ASSERT_EQ(t.messages.size(), 4u);
    EXPECT_EQ(t.messages[0].line, 0);  // block 4 has logic and no apparatus
    EXPECT_EQ(t.messages[0].severity, Severity::Information);
    EXPECT_EQ(t.messages[1].line, 3);  // nothing connects LONE
    EXPECT_EQ(t.messages[1].text, Texts().unconnected + "LONE");
    EXPECT_EQ(t.messages[2].line, 4);  // block 1: no state signal, no name
    EXPECT_EQ(t.messages[2].text, Texts().noState);
    EXPECT_EQ(t.messages[3].text, Texts().noLabel);
    EXPECT_TRUE(t.indicators.size() == 1u);  // S4 is block 4's state, but block 4 is not bound
    EXPECT_EQ(TopologyFileFor("dir.x/sub.station.blk"), "dir.x/sub.station.top");
    EXPECT_EQ(TopologyFileFor("dir.x/noext"), "dir.x/noext.top");
}

}  // namespace
}  // namespace topology::test
