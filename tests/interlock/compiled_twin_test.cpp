// The compiled logic against its plain twin, the parse of the text: thousands of generated
// configurations, each taken through the operations of the window (block changes, TS changes,
// edited texts, changed TS attributes), with every field the screen or the files can show
// compared after each step.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "interlock/compiled_logic.h"
#include "interlock/cp1251.h"
#include "interlock/parser.h"
#include "interlock/report.h"
#include "interlock/workspace.h"
#include "tests/support/text_parser.h"

namespace interlock::test {
namespace {

using Random = std::mt19937;

int Pick(Random& r, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(r); }
bool Chance(Random& r, int percent) { return Pick(r, 1, 100) <= percent; }

// A TS number: mostly a few low ones so that the lines share TS and pairs, sometimes the last.
int TsNumber(Random& r) {
    if (Chance(r, 5)) return Pick(r, 250, 256);
    return Pick(r, 1, 12);
}

// One operand: mostly well formed, sometimes one of the forms the parse refuses or reads oddly.
std::string Operand(Random& r, const std::vector<int>& assigned) {
    std::string inv = Chance(r, 30) ? "~" : "";
    const int kind = Pick(r, 1, 100);
    if (kind <= 62 || (kind <= 96 && assigned.empty()))
        return inv + (Chance(r, 70) ? "S" : "D") + std::to_string(TsNumber(r));
    if (kind <= 96) {
        if (Chance(r, 97))
            return inv + "M" + std::to_string(assigned[Pick(r, 0, static_cast<int>(assigned.size()) - 1)]);
        return inv + "M" + std::to_string(Pick(r, 1, 17));
    }
    // Every spelling a number may take (blanks, sign, hexadecimal, leading zeros), numbers out
    // of range, other letters and broken operands.
    static const char* const odd[] = {"S 5", "S$A",  "S0",   "S300", "X5",  "",     "~",     "(S1",
                                      "S07", "M0",   "D0x3", "S1 ",  "S+5", "Sx3",  "SX3",   "S$a",
                                      "M17", "S257", "s5",   "S-1",  "M01", "S0X1", "D 007", "S5)"};
    return inv + odd[Pick(r, 0, 23)];
}

// One line of block `number`'s logic.
std::string Line(Random& r, int number, std::vector<int>& assigned) {
    if (Chance(r, 3)) return "";
    if (Chance(r, 1)) {
        // Lines the grammar refuses in every part, and targets spelled every way a number may be.
        static const char* const odd[] = {" V1=AND(S1)", "V=AND(S1)",    "M1AND(S1)",     "M0=OR(S1)",
                                          "V33=OR(S2)",  "V1=(S1)",      "V1=and(S1)",    "V1=AND S1",
                                          "V1=XOR(S1)",  "Q1=OR(S1)",    "M$A=OR(S1)",    "M +2=AND(S2)",
                                          "M0x3=OR(S3)", "M17=OR(S1)",   "V1=AND(S1),S2", "V1=AND(S1)S2",
                                          "M1=OR(S1)(",  "M1=~~AND(S1)", "M1==OR(S1)",    "M1=ORAND(S1)"};
        return odd[Pick(r, 0, 19)];
    }
    std::string line;
    int target = 0;
    if (Chance(r, 94)) {
        target = Pick(r, 1, 16);
        line = "M" + std::to_string(target);
    } else {
        line = "V" + std::to_string(Chance(r, 95) ? number : Pick(r, 1, 32));
    }
    static const char* const ops[] = {"AND", "OR", "~AND", "~OR"};
    line += "=" + std::string(ops[Pick(r, 0, 3)]) + "(";
    const int count = Chance(r, 1) ? Pick(r, 20, 40) : Pick(r, 1, 6);
    for (int i = 0; i < count; ++i) {
        if (i) line += Pick(r, 1, 200) == 1 ? ",," : ",";
        line += Operand(r, assigned);
    }
    if (!Chance(r, 1)) line += ")";
    if (Chance(r, 1)) line += " ";
    if (target) assigned.push_back(target);
    return line;
}

std::vector<std::string> Logic(Random& r, int number) {
    std::vector<std::string> lines;
    if (Chance(r, 15)) return lines;
    std::vector<int> assigned;
    const int count = Pick(r, 1, 8);
    for (int i = 0; i < count; ++i) lines.push_back(Line(r, number, assigned));
    // Most logics end with their output, so that most of them evaluate.
    if (Chance(r, 80)) {
        std::string out = "V" + std::to_string(number) + (Chance(r, 50) ? "=AND(" : "=OR(");
        out += Operand(r, assigned) + "," + Operand(r, assigned) + ")";
        lines.push_back(out);
    }
    return lines;
}

std::string StateEntry(Random& r) {
    static const char* const odd[] = {"", "~", "s5", "S0", "D256", "S257", "X5"};
    if (Chance(r, 8)) return odd[Pick(r, 0, 6)];
    return std::string(Chance(r, 30) ? "~" : "") + (Chance(r, 80) ? "S" : "D") + std::to_string(TsNumber(r));
}

// The TS attributes and values that decide pairs, unreliability and the look of the lists.
void ShakeTs(Workspace& ws, Random& r) {
    TsTableData& t = ws.TsTable;
    for (int n = 1; n <= 13; ++n) {
        t.Value[n] = static_cast<int16_t>(Chance(r, 5) ? Pick(r, 2, 300) : Pick(r, 0, 1));
        t.Unreliability[n] = static_cast<uint8_t>(Chance(r, 85) ? 0 : Pick(r, 1, 3));
        t.FromServer[n] = Chance(r, 20) ? 1 : 0;
        t.Name[n] = Chance(r, 40) ? "Q" + std::to_string(n) : "";
    }
    for (int n = 1; n <= kTsCount; ++n) t.TwoPosition[n] = t.PairSecond[n] = 0;
    for (int n : {3, 7, 256}) {
        if (Chance(r, 30)) {
            t.TwoPosition[n] = 1;
            t.PairSecond[n + 1] = 1;
        }
    }
    for (int n = 250; n <= 256; ++n) {
        t.Value[n] = static_cast<int16_t>(Pick(r, 0, 1));
        t.Unreliability[n] = static_cast<uint8_t>(Chance(r, 90) ? 0 : 2);
    }
}

// Everything of a workspace that the window, the TS list or a saved file can show, as text,
// one field a line, so that two workspaces differ exactly where their texts differ.
std::string Visible(const Workspace& ws) {
    std::string o;
    o.reserve(1 << 14);
    auto add = [&](const std::string& text) { o += text; };
    auto num = [&](long v) {
        o += std::to_string(v);
        o += ' ';
    };
    // The entries other than 0 of a table, as index=value.
    auto table = [&](const auto& array) {
        for (size_t i = 0; i < array.size(); ++i) {
            if (array[i] == 0) continue;
            num(static_cast<long>(i));
            o.back() = '=';
            num(static_cast<long>(array[i]));
        }
        o += '\n';
    };
    for (int n = 1; n <= kBlockCount; ++n) {
        const Block& b = ws.Blocks[n];
        add("block " + std::to_string(n) + ": ");
        num(b.Number);
        num(b.StateSignal);
        add(b.Name + "\n");
        for (Side side : {Side::On, Side::Off}) {
            Block::ConstSideFields f = b.Of(side);
            add(SideName(side));
            o += ' ';
            num(f.Result);
            num(f.Empty);
            num(f.Error);
            add("[" + f.ErrorMessage + "] [" + f.ErrorLine + "]\n");
            // The candidate lists of the block on view are shown; the others are rebuilt before.
            if (n == ws.CurrentBlock)
                add("candidates " + std::to_string(f.HasCandidates) + " [" + f.Candidates + "]\n");
            table(f.Unreliability);
            for (const std::string& line : f.Logic) add(line + "\n");
        }
    }
    const TsTableData& t = ws.TsTable;
    table(t.Value);
    table(t.UsedInLogic);
    table(ws.MVariables.Value);
    table(ws.MVariables.Shown);
    add("current " + std::to_string(ws.CurrentBlock) + " " + SideName(ws.CurrentView) + " group " +
        std::to_string(ws.TabGroup) + "\n");
    add("fields " + ws.Fields.TS_State_Number + " [" + ws.Fields.Block_Name + "]\n");
    for (const std::string& line : ws.Fields.Logic) add(line + "\n");
    for (const TabLook& tab : ws.Tabs) {
        num(tab.colour);
        num(tab.fontColour);
        num(tab.enabled * 2 + tab.bold);
    }
    for (const TabLook& tab : ws.GroupTabs) {
        num(tab.colour);
        num(tab.fontColour);
        num(tab.enabled * 2 + tab.bold);
    }
    o += '\n';
    const Screen& d = ws.Display;
    for (const LabelLook* l :
         {&d.Top_Label_Name, &d.Top_Label4, &d.Top_Label5, &d.Top_Label6, &d.Top_Label7}) {
        add("label [" + l->text + "] ");
        num(l->colour);
        num(l->visible * 2 + l->hintOn);
        add("[" + l->hint + "]\n");
    }
    add("colouring " + std::to_string(static_cast<int>(d.colouring)) + " [" + d.errorLine + "]\n");
    for (const auto& [n, v] : d.tsGrid.columns) add(std::to_string(n) + "=" + std::to_string(v) + " ");
    add(d.tsGrid.stateValueText + " ");
    num(d.tsGrid.stateValueColour);
    num(d.tsGrid.windowHeight);
    o += '\n';
    for (const auto& [name, v] : d.mGrid.rows) add(name + "=" + std::to_string(v) + " ");
    add("\nmessages " + std::to_string(ws.Messages.size()) + "\n");
    return o;
}

// The first line where two texts differ, for the failure message.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream x(a), y(b);
    std::string p, q;
    for (int line = 1; static_cast<bool>(std::getline(x, p)) | static_cast<bool>(std::getline(y, q));
         ++line) {
        if (p != q)
            return "line " + std::to_string(line) + ":\n compiled: " + cp1251::ToUtf8(p) +
                   "\n text:     " + cp1251::ToUtf8(q);
        p.clear();
        q.clear();
    }
    return "";
}

// One step of the window, done the same way on both workspaces.
using Step = std::function<void(Workspace&)>;

Step RandomStep(Random& r) {
    const int kind = Pick(r, 1, 100);
    if (kind <= 35) {  // a changing TS from the RTU or the grid
        const int n = Chance(r, 80) ? Pick(r, 1, 13) : Pick(r, 250, 256);
        return [n](Workspace& ws) {
            ws.TsTable.Value[n] = static_cast<int16_t>(ws.TsTable.Value[n] == 1 ? 0 : 1);
            SelectViewByState(ws);
            RecalculateAll(ws);
            RefreshBlockDisplay(ws);
        };
    }
    if (kind <= 50) {  // a block tab click
        const int target = Pick(r, 1, 4);
        return [target](Workspace& ws) {
            CommitEditor(ws, ws.CurrentBlock);
            ws.CurrentBlock = target;
            ShowBlock(ws, target);
        };
    }
    if (kind <= 65) {  // an edited text committed, or the recalculate button
        const unsigned seed = static_cast<unsigned>(r());
        const bool button = Chance(r, 50);
        return [seed, button](Workspace& ws) {
            Random local(seed);
            ws.Fields.Logic = Logic(local, ws.CurrentBlock);
            if (button) {
                RecalculateButton(ws);
            } else {
                CommitEditor(ws, ws.CurrentBlock);
            }
        };
    }
    if (kind <= 72) {  // a view tab: the text goes back inline, then only the refresh
        const Side side = Chance(r, 50) ? Side::On : Side::Off;
        return [side](Workspace& ws) {
            Block& b = ws.CurrentBlockRef();
            (ws.CurrentView == Side::On ? b.OnLogic : b.OffLogic) = ws.Fields.Logic;
            SetView(ws, side);
            RefreshBlockDisplay(ws);
        };
    }
    if (kind <= 80) {  // new TS attributes and values from the server or the TS list
        const unsigned seed = static_cast<unsigned>(r());
        return [seed](Workspace& ws) {
            Random local(seed);
            ShakeTs(ws, local);
            FillTsGrid(ws);
            RecalculateAll(ws);
            RefreshBlockDisplay(ws);
        };
    }
    if (kind <= 85) {  // a state entry
        const unsigned seed = static_cast<unsigned>(r());
        return [seed](Workspace& ws) {
            Random local(seed);
            ws.Fields.TS_State_Number = StateEntry(local);
            SelectViewByState(ws);
            RefreshBlockDisplay(ws);
        };
    }
    if (kind <= 90) {  // a block's text replaced behind the window (load, template), then shown
        const unsigned seed = static_cast<unsigned>(r());
        const int target = Pick(r, 1, 4);
        return [seed, target](Workspace& ws) {
            Random local(seed);
            ws.Blocks[target].OnLogic = Logic(local, target);
            std::vector<int> assigned;
            ws.Blocks[target].OffLogic.push_back(Line(local, target, assigned));
            ShowBlock(ws, ws.CurrentBlock);
        };
    }
    if (kind <= 93) return [](Workspace& ws) { NullifyConfirmed(ws); };
    if (kind <= 97) {  // the colouring option, or a name entered: a refresh alone
        return [](Workspace& ws) {
            ws.Opts.Check_Color = !ws.Opts.Check_Color;
            RefreshBlockDisplay(ws);
        };
    }
    return [](Workspace& ws) {  // the server's pair values derived by a grid refresh alone
        FillTsGrid(ws);
        RefreshBlockDisplay(ws);
    };
}

void Configure(Workspace& ws, unsigned seed) {
    Random r(seed);
    ShakeTs(ws, r);
    for (int n = 1; n <= 4; ++n) {
        Block& b = ws.Blocks[n];
        b.Name = Chance(r, 50) ? "Q" + std::to_string(n) : "";
        b.OnLogic = Logic(r, n);
        b.OffLogic = Logic(r, n);
        SetStateSignal(ws, n, StateEntry(r));
    }
    ws.CurrentBlock = Pick(r, 1, 4);
    ShowBlock(ws, ws.CurrentBlock);
}

TEST(CompiledTwin, EveryVisibleFieldMatchesTheParseOfTheText) {
    constexpr unsigned kConfigurations = 3000;
    constexpr int kSteps = 12;
    int evaluated = 0, erroneous = 0, candidates = 0;
    for (unsigned seed = 1; seed <= kConfigurations; ++seed) {
        Workspace compiled;
        Workspace text;
        text.ParseText = twin::ParseText;
        Configure(compiled, seed);
        Configure(text, seed);
        ASSERT_EQ(Visible(compiled), Visible(text)) << "configuration " << seed << ", set up\n"
                                                    << FirstDifference(Visible(compiled), Visible(text));
        Random r(seed * 7919u);
        for (int step = 1; step <= kSteps; ++step) {
            const Step s = RandomStep(r);
            s(compiled);
            s(text);
            const std::string a = Visible(compiled);
            const std::string b = Visible(text);
            ASSERT_EQ(a, b) << "configuration " << seed << ", step " << step << "\n" << FirstDifference(a, b);
            const Block& cur = compiled.CurrentBlockRef();
            evaluated += !cur.OnError && !cur.OnEmpty;
            erroneous += cur.OnError || cur.OffError;
            candidates += cur.OnHasCandidates || cur.OffHasCandidates;
        }
    }
    // The generator must reach every kind of outcome, or the comparison proves little.
    EXPECT_GT(evaluated, 5000);
    EXPECT_GT(erroneous, 5000);
    EXPECT_GT(candidates, 2000);
}

// What the analysis and the diagram read of a line, its operands as written, comes from the
// form alone: each operand's text is the stretch of its line the form points at.
TEST(CompiledTwin, OperandTextsAreThoseOfTheLines) {
    int spelled = 0;
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        Random r(seed);
        const std::vector<std::string> lines = Logic(r, 1);
        const auto form = CompileLogic(lines, 1);
        for (size_t i = 0; i < form->lines.size(); ++i) {
            const std::string& line = lines[form->lineSource[i]];
            for (uint32_t j = form->lines[i].first; j < form->lines[i].last; ++j) {
                const FlipOperand& o = form->operands[j];
                ASSERT_EQ(form->OperandText(j), line.substr(o.at, o.size)) << "seed " << seed << ": " << line;
            }
        }
        spelled += static_cast<int>(form->spelled.size());
        if (form->outputLine >= 0) {
            ASSERT_FALSE(form->lines[static_cast<size_t>(form->outputLine)].isM);
        }
    }
    EXPECT_GT(spelled, 100);
}

// Where a refused two-position pair (TS 5 with TS 6, both 0) stops the parse, against the errors
// the text alone decides: whichever the parse meets first, on both paths.
struct StopCase {
    const char* name;
    std::vector<std::string> lines;
    const char* message;       // UTF-8, the start of the stored message
    int line;                  // the offending line
    std::vector<int> used;     // TS marked by the parse
    std::vector<int> mValues;  // M1..M3 afterwards (they start at 1)
};

class CompiledStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(CompiledStopTest, FirstErrorMarksAndMValuesAreThoseOfTheParse) {
    const StopCase& c = GetParam();
    for (bool asText : {false, true}) {
        SCOPED_TRACE(asText ? "text" : "compiled");
        Workspace ws;
        ws.ParseText = asText ? twin::ParseText : nullptr;
        ws.TsTable.TwoPosition[5] = 1;
        ws.TsTable.PairSecond[6] = 1;
        ws.TsTable.Value[1] = 1;
        ws.MVariables.Value = {0, 1, 1, 1};
        Block& b = ws.Blocks[3];
        b.OnLogic = c.lines;
        ParseLogic(ws, b, Side::On);
        ASSERT_TRUE(b.OnError);
        EXPECT_EQ(b.OnErrorMessage.rfind(cp1251::FromUtf8(c.message), 0), 0u)
            << cp1251::ToUtf8(b.OnErrorMessage);
        EXPECT_EQ(b.OnErrorLine, c.lines[c.line]);
        std::vector<int> used;
        for (int n = 1; n <= kTsCount; ++n)
            if (ws.TsTable.UsedInLogic[n]) used.push_back(n);
        EXPECT_EQ(used, c.used);
        EXPECT_EQ((std::vector<int>{ws.MVariables.Value[1], ws.MVariables.Value[2], ws.MVariables.Value[3]}),
                  c.mValues);
    }
}

INSTANTIATE_TEST_SUITE_P(CompiledTwin, CompiledStopTest,
                         ::testing::Values(StopCase{"PairBeforeALaterLineError",
                                                    {"M1=AND(S1)", "M2=OR(S2,D5,S7)", "X"},
                                                    "Некорректные данные",
                                                    1,
                                                    {1, 2, 5},
                                                    {1, 1, 1}},
                                           StopCase{"PairBeforeTheWrongOutput",
                                                    {"M1=OR(S2)", "V4=AND(S1,S5)"},
                                                    "Некорректные данные",
                                                    1,
                                                    {1, 2, 5},
                                                    {0, 1, 1}},
                                           StopCase{"PairBeforeAMissingBracket",
                                                    {"M2=AND(S9)", "M1=AND(S5,S1"},
                                                    "Некорректные данные",
                                                    1,
                                                    {5, 9},
                                                    {1, 0, 1}},
                                           StopCase{"UnknownMBeforeThePair",
                                                    {"M1=AND(S1)", "M2=OR(M3,S5)"},
                                                    "Неизвестная входная",
                                                    1,
                                                    {1},
                                                    {1, 1, 1}},
                                           StopCase{"BadOperandBeforeThePair",
                                                    {"V3=AND(S1,S300,S5)"},
                                                    "Некорректная входная",
                                                    0,
                                                    {1},
                                                    {1, 1, 1}},
                                           StopCase{"PairReadAgainLaterStopsAtItsFirstReading",
                                                    {"M3=OR(S8)", "M1=AND(S5)", "M2=AND(S5)"},
                                                    "Некорректные данные",
                                                    1,
                                                    {5, 8},
                                                    {1, 1, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

// A change of the text, by any writer, is what compiles it again; anything else only evaluates.
TEST(CompiledTwin, TheFormIsRebuiltOnlyWhenTheTextChanges) {
    Workspace ws;
    Block& b = ws.Blocks[1];
    b.OnLogic = {"M1=AND(S1)", "V1=OR(M1,S2)"};
    SetStateSignal(ws, 1, "S5");
    ShowBlock(ws, 1);
    const CompiledLogic* form = b.OnLogic.compiled().get();
    ASSERT_NE(form, nullptr);

    ws.TsTable.Value[1] = 1;
    RecalculateAll(ws);
    RefreshBlockDisplay(ws);
    EXPECT_EQ(b.OnLogic.compiled().get(), form) << "a TS change only evaluates";
    EXPECT_EQ(b.OnResult, 1);

    b.OnLogic = std::vector<std::string>{"M1=AND(S1)", "V1=OR(M1,S2)"};
    EXPECT_EQ(b.OnLogic.compiled().get(), form) << "the same text keeps its form";

    const std::vector<std::function<void(LogicText&)>> writers = {
        [](LogicText& t) { t = {"V1=AND(~S1)"}; },
        [](LogicText& t) { t.push_back("M2=OR(S3)"); },
        [](LogicText& t) { t.emplace_back("M2=OR(S3)"); },
        [](LogicText& t) { t.clear(); },
    };
    for (const auto& write : writers) {
        RecalculateAll(ws);
        ASSERT_NE(b.OnLogic.compiled(), nullptr);
        write(b.OnLogic);
        EXPECT_EQ(b.OnLogic.compiled(), nullptr);
    }
    // A copy shares the form; the form of another block number is not taken for this one.
    b.OnLogic = {"V1=AND(S1)"};
    RecalculateAll(ws);
    const LogicText copy = b.OnLogic;
    EXPECT_EQ(copy.compiled(), b.OnLogic.compiled());
    EXPECT_EQ(&CompiledFormOf(copy, 1), b.OnLogic.compiled().get());
    EXPECT_TRUE(CompiledFormOf(copy, 2).hasError);
}

}  // namespace
}  // namespace interlock::test
