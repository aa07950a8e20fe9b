// The access library as the program loads it, against the replacement library: loading and
// its failures, the points file and what the simulated server answers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/tm_library.h"
#include "tests/acquisition/tmaccess_fixture.h"

namespace acquisition::test {
namespace {

// ---- Loading ----

struct LoadRow {
    const char* name;
    std::vector<std::string> candidates;  // "@points" stands for the points file, "@lib" for the library
    bool loads;
};

class LoadTest : public testing::TestWithParam<LoadRow> {
protected:
    PointsFolder folder;
};

TEST_P(LoadTest, LoadsOnlyALibraryWithAllFourFunctions) {
    folder.Write("server S\n");
    std::vector<std::string> candidates;
    for (const std::string& c : GetParam().candidates) {
        candidates.push_back(c == "@points" ? folder.Path() : c == "@lib" ? kLibraryPath : c);
    }
    DlTmLibrary lib(candidates);
    const int16_t r = lib.Init("S", "test");
    EXPECT_EQ(lib.Loaded(), GetParam().loads);
    if (GetParam().loads) {
        EXPECT_EQ(r, 1);
        EXPECT_EQ(lib.LoadedPath(), kLibraryPath);
        lib.Close();
    } else {
        EXPECT_NE(r, 1);
        EXPECT_FALSE(lib.LoadError().empty());
        // A library that is not loaded answers every call as "no data", never crashes.
        std::vector<TmStatusResult> result;
        lib.StatusByList({{0, 1, 1}}, result);
        ASSERT_EQ(result.size(), 1u);
        EXPECT_EQ(result[0].status, TM_STATUS_ERROR);
        char buffer[TM_NAME_SIZE];
        EXPECT_EQ(lib.GetObjectName(TM_OBJECT_TS, 0, 1, 1, buffer, TM_NAME_SIZE), 0);
        lib.Close();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, LoadTest,
    testing::Values(LoadRow{"Missing", {"/nonexistent/libtmaccess.so"}, false},
                    LoadRow{"NotALibrary", {"@points"}, false},
                    LoadRow{"LacksTheFunctions", {"libm.so.6"}, false}, LoadRow{"NoCandidates", {}, false},
                    LoadRow{"TheReplacement", {"@lib"}, true},
                    LoadRow{"FallsBackInOrder", {"/nonexistent/libtmaccess.so", "libm.so.6", "@lib"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TmLibraryCandidates, BesideTheExecutableFirstThenTheSystemPath) {
    EXPECT_EQ(DefaultTmLibraryCandidates("/opt/x/"),
              (std::vector<std::string>{"/opt/x/libtmaccess.so", "libtmaccess.so"}));
    EXPECT_EQ(DefaultTmLibraryCandidates(""), (std::vector<std::string>{"libtmaccess.so"}));
    EXPECT_FALSE(ExecutableFileName().empty());
    EXPECT_EQ(ExecutableFileName().find('/'), std::string::npos);
}

// ---- The simulated server ----

class SimulatedServer : public testing::Test {
protected:
    PointsFolder folder;
    DlTmLibrary lib{{kLibraryPath}};

    void TearDown() override { lib.Close(); }

    TmStatusResult Status(int channel, int rtu, int point) {
        std::vector<TmStatusResult> result;
        lib.StatusByList(
            {{static_cast<int16_t>(channel), static_cast<int16_t>(rtu), static_cast<int16_t>(point)}},
            result);
        return result.at(0);
    }
    // The name call as the program makes it, with the buffer filled beforehand with 'x'.
    std::pair<int, std::string> Name(int point, int16_t size = TM_NAME_SIZE, uint16_t kind = TM_OBJECT_TS) {
        char buffer[TM_NAME_SIZE + 8];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        int r = lib.GetObjectName(kind, 0, 1, static_cast<int16_t>(point), buffer, size);
        return {r, std::string(buffer, TM_NAME_SIZE + 8)};
    }
};

TEST_F(SimulatedServer, AcceptsOnlyTheServersTheFileDeclares) {
    folder.Write("# comment\n; another\nserver .\\TMS\nserver  ORVESK\\GW1  \r\n");
    EXPECT_EQ(lib.Init(".\\TMS", "t"), 1);
    EXPECT_EQ(lib.Init("ORVESK\\GW1", "t"), 1);  // blanks around the name are not part of it
    EXPECT_EQ(lib.Init(".\\tms", "t"), 0);       // names are compared exactly
    EXPECT_EQ(lib.Init("", "t"), 0);
    folder.Remove();
    EXPECT_NE(lib.Init(".\\TMS", "t"), 1);
}

TEST_F(SimulatedServer, AnswersPointsFromTheFile) {
    folder.Write("server S\n" + TsLine(0, 1, 1, 1, 0x0000, W("Выключатель Q1")) +
                 TsLine(0, 1, 2, -3, 0x0001) + "ts 0 1 3 0x1FF 0xffff\n" + "rtu 5 7\n" +
                 TsLine(0, 1, 4, 1, 0) + TsLine(0, 1, 4, 0, 0x0002) + "ts 0 1 9 1\n" + "ts 0 300 1 1 0\n" +
                 "point 0 1 10 1 0\n");
    ASSERT_EQ(lib.Init("S", "t"), 1);
    struct Row {
        int channel, rtu, point;
        int16_t value;
        uint16_t status;
    };
    for (const Row& row : std::vector<Row>{
             {0, 1, 1, 1, 0x0000},
             {0, 1, 2, -3, 0x0001},
             {0, 1, 3, 0x1FF, 0xFFFF},
             {0, 1, 4, 0, 0x0002},  // a later line for the same point wins
             {0, 1, 9, 0, 0x0000},  // a malformed line is ignored: unlisted point of a known RTU
             {0, 1, 256, 0, 0x0000},
             {5, 7, 1, 0, 0x0000},  // an RTU declared without points
             {0, 2, 1, 0, 0xFFFF},  // an RTU the file does not mention
             {1, 1, 1, 0, 0xFFFF},
         }) {
        TmStatusResult r = Status(row.channel, row.rtu, row.point);
        EXPECT_EQ(r.value, row.value) << row.channel << "/" << row.rtu << "/" << row.point;
        EXPECT_EQ(r.status, row.status) << row.channel << "/" << row.rtu << "/" << row.point;
    }
}

TEST_F(SimulatedServer, NamesFillTheBufferAsTheContractSays) {
    const std::string n80(80, 'A');
    const std::string n85 = std::string(80, 'B') + "CCCCC";
    folder.Write("server S\n" + TsLine(0, 1, 1, 0, 0, W("Разъединитель QS1")) + TsLine(0, 1, 2, 0, 0, n80) +
                 TsLine(0, 1, 3, 0, 0, n85) + TsLine(0, 1, 4, 0, 0) + TsLine(0, 1, 5, 0, 0, "Short"));
    ASSERT_EQ(lib.Init("S", "t"), 1);

    auto [r1, b1] = Name(1);
    EXPECT_EQ(r1, static_cast<int>(W("Разъединитель QS1").size()));
    EXPECT_EQ(std::string(b1.c_str()), W("Разъединитель QS1"));

    auto [r2, b2] = Name(2);  // exactly 80 bytes: no zero byte, nothing written past the buffer
    EXPECT_EQ(r2, 80);
    EXPECT_EQ(b2.substr(0, 80), n80);
    EXPECT_EQ(b2.substr(80), std::string(8, 'x'));

    auto [r3, b3] = Name(3);
    EXPECT_EQ(r3, 80);
    EXPECT_EQ(b3.substr(0, 80), std::string(80, 'B'));
    EXPECT_EQ(b3.substr(80), std::string(8, 'x'));

    EXPECT_EQ(Name(4).first, 0);                        // a point without a name
    EXPECT_EQ(Name(77).first, 0);                       // a point the file does not list
    EXPECT_EQ(Name(1, TM_NAME_SIZE, 0x4000).first, 0);  // not a TS point
    auto [r5, b5] = Name(5, 3);                         // a small buffer is never overrun
    EXPECT_EQ(r5, 3);
    EXPECT_EQ(b5.substr(0, 4), "Shox");
}

TEST_F(SimulatedServer, AnEditedFileShowsAtTheNextPoll) {
    folder.Write("server S\n" + TsLine(0, 1, 1, 0, 0, "Old"));
    ASSERT_EQ(lib.Init("S", "t"), 1);
    EXPECT_EQ(Status(0, 1, 1).value, 0);
    EXPECT_EQ(Name(1).first, 3);

    folder.Write("server S\n" + TsLine(0, 1, 1, 1, 0x0001, "Newer"));
    TmStatusResult r = Status(0, 1, 1);
    EXPECT_EQ(r.value, 1);
    EXPECT_EQ(r.status, 0x0001);
    EXPECT_EQ(Name(1).first, 5);
}

TEST_F(SimulatedServer, TheLinkEndsWhenTheServerLeavesTheFileOrIsClosed) {
    folder.Write("server S\nserver T\n" + TsLine(0, 1, 1, 1, 0, "N"));
    ASSERT_EQ(lib.Init("S", "t"), 1);
    folder.Write("server T\n" + TsLine(0, 1, 1, 1, 0, "N"));
    EXPECT_EQ(Status(0, 1, 1).status, TM_STATUS_ERROR);
    // Declaring it again does not bring the link back without a new tmInit.
    folder.Write("server S\n" + TsLine(0, 1, 1, 1, 0, "N"));
    EXPECT_EQ(Status(0, 1, 1).status, TM_STATUS_ERROR);
    EXPECT_EQ(Name(1).first, 0);
    ASSERT_EQ(lib.Init("S", "t"), 1);
    EXPECT_EQ(Status(0, 1, 1).status, 0);

    lib.Close();
    EXPECT_EQ(Status(0, 1, 1).status, TM_STATUS_ERROR);
    EXPECT_EQ(Name(1).first, 0);

    ASSERT_EQ(lib.Init("S", "t"), 1);
    folder.Remove();
    EXPECT_EQ(Status(0, 1, 1).status, TM_STATUS_ERROR);
}

TEST_F(SimulatedServer, ALostMarkDropsTheLinkAtThatName) {
    folder.Write("server S\n" + TsLine(0, 1, 1, 1, 0, "One") + TsLine(0, 1, 2, 1, 0, "Two") + "lost 0 1 2\n");
    ASSERT_EQ(lib.Init("S", "t"), 1);
    EXPECT_EQ(Status(0, 1, 2).status, 0);  // polls do not trip it
    EXPECT_EQ(Name(1).first, 3);
    EXPECT_EQ(Name(2).first, 0);
    EXPECT_EQ(Name(1).first, 0);
    EXPECT_EQ(Status(0, 1, 1).status, TM_STATUS_ERROR);
}

}  // namespace
}  // namespace acquisition::test
