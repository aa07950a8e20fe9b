// The mimic's look: positions from the bindings, node energy, the verdict lights; and the
// energy of generated topologies against the topology's BDD answer at the same TS values.

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "tests/topology/support.h"
#include "topology/network.h"
#include "ui/mimic/mimic_look.h"

namespace {

using mimic::Energy;
using mimic::Light;
using mimic::Position;
using topology::test::BlockSpec;
using topology::test::MakeWorkspace;

topology::Topology Read(const std::string& text, const interlock::Workspace& ws) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return topology::ReadTopology(lines, ws);
}

const char* Name(Position p) {
    switch (p) {
        case Position::None:
            return "none";
        case Position::Closed:
            return "closed";
        case Position::Open:
            return "open";
        case Position::Travel:
            return "travel";
        case Position::Unknown:
            return "unknown";
    }
    return "?";
}

const char* Name(Energy e) {
    switch (e) {
        case Energy::Dead:
            return "dead";
        case Energy::Live:
            return "live";
        case Energy::Earthed:
            return "earthed";
        case Energy::Unknown:
            return "unknown";
    }
    return "?";
}

// Block 1 reads its state as given; TS 5/6 is a pair, TS 7 an apparatus of another unit.
TEST(MimicLook, PositionFollowsTheBinding) {
    struct Case {
        const char* what;
        std::string state;        // block 1's state signal
        std::string binding;      // the position in the topology line
        std::vector<int> values;  // TS 1..8
        int unreliableTs = 0;
        Position expected;
        bool unreliable = false;
    };
    const Case cases[] = {
        {"S1 at 1", "S1", "BLOCK 1", {1, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Closed},
        {"S1 at 0", "S1", "BLOCK 1", {0, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Open},
        {"~S1 at 0", "~S1", "BLOCK 1", {0, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Closed},
        {"pair 10", "S5", "BLOCK 1", {0, 0, 0, 0, 1, 0, 0, 0}, 0, Position::Closed},
        {"pair 01", "S5", "BLOCK 1", {0, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Open},
        {"pair 00 travels", "S5", "BLOCK 1", {0, 0, 0, 0, 0, 0, 0, 0}, 0, Position::Travel},
        {"pair 11 invalid", "S5", "BLOCK 1", {0, 0, 0, 0, 1, 1, 0, 0}, 0, Position::Unknown},
        {"inverted pair 01", "~S5", "BLOCK 1", {0, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Closed},
        {"no state signal", "", "BLOCK 1", {1, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Unknown},
        {"state unreliable", "S1", "BLOCK 1", {1, 0, 0, 0, 0, 1, 0, 0}, 1, Position::Unknown, true},
        {"pair's second unreliable", "S5", "BLOCK 1", {0, 0, 0, 0, 1, 0, 0, 0}, 6, Position::Unknown, true},
        {"other TS unreliable", "S1", "BLOCK 1", {1, 0, 0, 0, 0, 1, 0, 0}, 2, Position::Closed},
        {"TS S7 at 1", "S1", "TS S7", {0, 0, 0, 0, 0, 1, 1, 0}, 0, Position::Closed},
        {"TS ~S7 at 1", "S1", "TS ~S7", {0, 0, 0, 0, 0, 1, 1, 0}, 0, Position::Open},
        {"TS S7 unreliable", "S1", "TS S7", {0, 0, 0, 0, 0, 1, 1, 0}, 7, Position::Unknown, true},
        {"fixed closed", "S1", "CLOSED", {0, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Closed},
        {"fixed open", "S1", "OPEN", {1, 0, 0, 0, 0, 1, 0, 0}, 0, Position::Open},
    };
    for (const Case& c : cases) {
        auto ws = MakeWorkspace({{1, c.state, {"V1=AND(S2)"}, {"V1=AND(S2)"}, "Q1"}}, {5});
        for (int i = 0; i < 8; ++i)
            ws->TsTable.Value[i + 1] = static_cast<int16_t>(c.values[static_cast<size_t>(i)]);
        if (c.unreliableTs) ws->TsTable.Unreliability[c.unreliableTs] = 2;
        const topology::Topology t = Read("NODE A\nNODE B\nBREAKER Q A B " + c.binding + "\n", *ws);
        bool unreliable = false;
        EXPECT_STREQ(Name(mimic::PositionOf(t, *ws, 0, &unreliable)), Name(c.expected)) << c.what;
        EXPECT_EQ(unreliable, c.unreliable) << c.what;
    }
}

// Nodes G (source), A, B, C, D: G -Q1- A -Q2- B, A -T- C (transformer), earthing QE on B,
// QE2 on C; sources in the order of the SOURCE lines.
TEST(MimicLook, EnergyFromPositions) {
    auto ws = MakeWorkspace({});
    const topology::Topology t = Read(
        "NODE G\nNODE A\nNODE B\nNODE C\nNODE D\nSOURCE G\n"
        "BREAKER Q1 G A CLOSED\nBREAKER Q2 A B CLOSED\nTRANSFORMER T A C\nEARTHING QE B OPEN\n"
        "EARTHING QE2 C OPEN\nBREAKER Q3 C D OPEN\n",
        *ws);
    ASSERT_FALSE(t.HasErrors());
    const Position C = Position::Closed, O = Position::Open, U = Position::Unknown, T = Position::Travel,
                   N = Position::None;
    struct Case {
        const char* what;
        std::vector<Position> positions;  // Q1 Q2 T QE QE2 Q3
        int source;                       // 0 off, 1 on, 2 unknown
        std::string expected;             // G A B C D
    };
    const Case cases[] = {
        {"all live through the transformer", {C, C, N, O, O, O}, 1, "live live live live dead"},
        {"source off", {C, C, N, O, O, O}, 0, "dead dead dead dead dead"},
        {"source unknown", {C, C, N, O, O, O}, 2, "unknown unknown unknown unknown dead"},
        {"Q2 open", {C, O, N, O, O, O}, 1, "live live dead live dead"},
        {"Q2 unknown: B unknown", {C, U, N, O, O, O}, 1, "live live unknown live dead"},
        {"Q2 in travel counts open", {C, T, N, O, O, O}, 1, "live live dead live dead"},
        {"B earthed with Q2 open", {C, O, N, C, O, O}, 1, "live live earthed live dead"},
        {"earth on a live network", {C, C, N, C, O, O}, 1, "earthed earthed earthed live dead"},
        {"earthing never passes the transformer", {C, O, N, O, C, C}, 1, "live live dead earthed earthed"},
        {"unknown earthing on a dead node", {O, O, N, U, O, O}, 1, "live dead unknown dead dead"},
        {"unknown earthing does not reach past an open breaker",
         {O, O, N, O, O, U},
         1,
         "live dead dead dead dead"},
    };
    for (const Case& c : cases) {
        const std::vector<Energy> e = mimic::NodeEnergy(t, c.positions, {c.source});
        std::string got;
        for (Energy x : e) got += std::string(got.empty() ? "" : " ") + Name(x);
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

// An unknown apparatus in parallel with a closed one changes nothing: the node stays live.
TEST(MimicLook, UnknownThatCannotChangeTheAnswerIsIgnored) {
    auto ws = MakeWorkspace({{1, "", {"V1=AND(S2)"}, {"V1=AND(S2)"}, "Q1"}});
    const topology::Topology t =
        Read("NODE G\nNODE A\nSOURCE G\nBREAKER Q1 G A BLOCK 1\nDISCONNECTOR QS G A CLOSED\n", *ws);
    const mimic::Look look = mimic::ComputeLook(t, *ws);
    EXPECT_EQ(look.elements[0].position, Position::Unknown);
    EXPECT_STREQ(Name(look.nodes[1]), "live");
}

// Block 1 (S1): OFF logic V1=AND(S3), ON logic V1=AND(S2,S4); block 2's logic has an error.
TEST(MimicLook, LightsFollowTheVerdicts) {
    struct Case {
        const char* what;
        std::vector<int> values;  // TS 1..4
        Light on, off;
    };
    const Case cases[] = {
        {"open, ON allowed", {0, 1, 0, 1}, Light::Allowed, Light::Forbidden},
        {"open, ON forbidden by one TS", {0, 1, 0, 0}, Light::ForbiddenHint, Light::Forbidden},
        {"open, ON forbidden by two TS", {0, 0, 0, 0}, Light::Forbidden, Light::Forbidden},
        {"closed, OFF forbidden by one TS", {1, 0, 0, 0}, Light::Forbidden, Light::ForbiddenHint},
        {"closed, OFF allowed", {1, 0, 1, 0}, Light::Forbidden, Light::Allowed},
    };
    analysis::Analyser analyser;
    for (const Case& c : cases) {
        auto ws = MakeWorkspace({{1, "S1", {"V1=AND(S2,S4)"}, {"V1=AND(S3)"}, "Q1"},
                                 {2, "S5", {"V2=AND(S"}, {"V2=AND(S1)"}, "Q2"}});
        for (int i = 0; i < 4; ++i)
            ws->TsTable.Value[i + 1] = static_cast<int16_t>(c.values[static_cast<size_t>(i)]);
        interlock::RecalculateAll(*ws);
        const topology::Topology t = Read(
            "NODE A\nNODE B\nNODE C\nBREAKER Q1 A B BLOCK 1\nBREAKER Q2 B C BLOCK 2\nCABLE W A C\n", *ws);
        const mimic::Look look = mimic::ComputeLook(t, *ws, &analyser);
        EXPECT_EQ(look.elements[0].on, c.on) << c.what;
        EXPECT_EQ(look.elements[0].off, c.off) << c.what;
        EXPECT_EQ(look.elements[1].on, Light::Error) << c.what;
        EXPECT_EQ(look.elements[2].on, Light::None) << c.what;
        const std::string& hint =
            c.on == Light::ForbiddenHint ? look.elements[0].onHint : look.elements[0].offHint;
        if (c.on == Light::ForbiddenHint || c.off == Light::ForbiddenHint) {
            const std::string ts = c.on == Light::ForbiddenHint ? "4: 0 -> 1" : "3: 0 -> 1";
            EXPECT_NE(hint.find(ts), std::string::npos) << c.what << ": " << cp1251::ToUtf8(hint);
        }
    }
}

// ---- Generated topologies: the graph search against the topology's BDDs ----

// The value of f at the TS values of `table` for the TS 1..maxTs, over every reading of the
// unknown positions (the network keeps them in the flag variables, left free here): 1 true in
// all, 0 false in all, 2 both.
int At(const bdd& f, const interlock::TsTableData& table, int maxTs, const bdd& unknown) {
    bdd cube = bddtrue;
    for (int ts = 1; ts <= maxTs; ++ts) {
        cube &= table.Value[ts] == 1 ? analysis::BddSession::Value(ts) : !analysis::BddSession::Value(ts);
    }
    const bdd g = bdd_restrict(f, cube);
    if (bdd_forall(g, unknown) == bddtrue) return 1;
    if (bdd_exist(g, unknown) == bddfalse) return 0;
    return 2;
}

TEST(MimicLook, EnergyAgreesWithTheNetworkOnGeneratedTopologies) {
    std::mt19937 rng(19);
    analysis::Analyser analyser;
    int compared = 0;
    for (int round = 0; round < 150; ++round) {
        const int nodes = 2 + static_cast<int>(rng() % 6);
        const int elements = 1 + static_cast<int>(rng() % 9);
        std::vector<BlockSpec> blocks;
        std::string text;
        for (int n = 0; n < nodes; ++n) text += "NODE N" + std::to_string(n) + "\n";
        text += "SOURCE N0\n";
        if (rng() % 2)
            text += "SOURCE N" + std::to_string(rng() % nodes) + " WHEN " + (rng() % 2 ? "~" : "") + "S20\n";
        static const char* kinds[] = {"BREAKER", "DISCONNECTOR", "EARTHING", "CABLE", "TRANSFORMER"};
        for (int e = 0; e < elements; ++e) {
            const int block = e + 1;
            const std::string kind = kinds[rng() % 5];
            const int a = static_cast<int>(rng() % nodes);
            int b = static_cast<int>(rng() % nodes);
            if (b == a) b = (a + 1) % nodes;
            text += kind + " E" + std::to_string(e) + " N" + std::to_string(a);
            if (kind != "EARTHING") text += " N" + std::to_string(b);
            if (kind == "CABLE" || kind == "TRANSFORMER") {
                text += "\n";
                continue;
            }
            // Most apparatus have a state signal; some none (an unknown position).
            const bool known = rng() % 5 != 0;
            blocks.push_back(
                {block, known ? "S" + std::to_string(block) : "", {}, {}, "E" + std::to_string(e)});
            text += " BLOCK " + std::to_string(block) + "\n";
        }
        auto ws = MakeWorkspace(blocks);
        const topology::Topology t = Read(text, *ws);
        ASSERT_FALSE(t.HasErrors()) << text;
        topology::Network net(t, *ws);
        for (int state = 0; state < 8; ++state) {
            for (int ts = 1; ts <= 20; ++ts) ws->TsTable.Value[ts] = static_cast<int16_t>(rng() % 2);
            const mimic::Look look = mimic::ComputeLook(t, *ws);
            for (int n = 0; n < nodes; ++n) {
                const int live = At(net.Live(n), ws->TsTable, 20, net.UnknownVars());
                const int earthed = At(net.Earthed(n), ws->TsTable, 20, net.UnknownVars());
                const char* expected = earthed == 1                ? "earthed"
                                       : live == 1 && earthed == 0 ? "live"
                                       : live == 0 && earthed == 0 ? "dead"
                                                                   : "unknown";
                EXPECT_STREQ(Name(look.nodes[static_cast<size_t>(n)]), expected) << text << "node N" << n;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

}  // namespace
