#include "storage/templates.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "interlock/cp1251.h"
#include "storage/file_io.h"
#include "interlock/int_rule.h"
#include "tests/storage/temp_folder.h"

namespace storage {
namespace {

using interlock::Icon;
using interlock::Side;
using interlock::Workspace;

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

// Lines joined with CR LF, as a library file holds them.
std::string File(const std::vector<std::string>& lines) { return JoinLines(lines); }

ParameterValues Values(std::initializer_list<std::pair<int, const char*>> entries) {
    ParameterValues v{};
    for (const auto& [k, text] : entries) v[static_cast<size_t>(k)] = text;
    return v;
}

// ---- Reading the library ----

TEST(ReadTemplates, ThreeTemplatesInFileOrderWithAllLineKinds) {
    TemplateLibrary lib = ReadTemplates(File({
        "@",
        "## " + W("Выключатель"),
        "#TS - S1 - " + W("Положение"),
        "#TS - S2 - " + W("Шинный разъединитель"),
        "#State - S1",
        "#Off->On",
        "V=AND(S2)",
        "IF (S1)",  // no condition lines in a library: a line like any other
        "#On->Off",
        "V=AND(~S2)",
        "END",
        "",
        "## Second",
        "#On->Off",
        "V=OR(S1)",
        "## Third",
        "@",
    }));
    ASSERT_EQ(lib.TemplateCount(), 3);
    const Template& a = lib.templates[0];
    EXPECT_EQ(a.number, 1);
    EXPECT_EQ(a.name, W("Выключатель"));
    EXPECT_EQ(a.captions[1], W("Положение"));
    EXPECT_EQ(a.captions[2], W("Шинный разъединитель"));
    EXPECT_EQ(a.captions[3], "");
    EXPECT_EQ(a.state, "S1");
    EXPECT_EQ(a.OnLogic, (Lines{"V=AND(S2)", "IF (S1)"}));
    EXPECT_EQ(a.OffLogic, (Lines{"V=AND(~S2)", "END"}));
    EXPECT_EQ(lib.templates[1].name, "Second");
    EXPECT_EQ(lib.templates[1].number, 2);
    EXPECT_TRUE(lib.templates[1].OnLogic.empty());
    EXPECT_EQ(lib.templates[1].OffLogic, Lines{"V=OR(S1)"});
    EXPECT_EQ(lib.templates[2].name, "Third");
    EXPECT_EQ(lib.Find(3), &lib.templates[2]);
    EXPECT_EQ(lib.Find(0), nullptr);
    EXPECT_EQ(lib.Find(4), nullptr);
}

TEST(ReadTemplates, SectionDecidesHeadersAndLogicButNotParametersOrState) {
    TemplateLibrary lib = ReadTemplates(File({
        "#TS - S1 - Before any template",
        "#State - S9",
        "## Outside",  // not a header outside the section
        "@",
        "V=AND(S1)",  // before the first template
        "## T1",
        "M1=AND(S1)",  // no side open yet
        "#Off->On",
        "V=AND(S1)",
        "@",
        "V=AND(S2)",  // outside the section: dropped
        "#TS - S3 - After the section",
        "#State - S3",
    }));
    ASSERT_EQ(lib.TemplateCount(), 1);
    const Template& t = lib.templates[0];
    EXPECT_EQ(t.name, "T1");
    EXPECT_EQ(t.OnLogic, Lines{"V=AND(S1)"});
    EXPECT_TRUE(t.OffLogic.empty());
    EXPECT_EQ(t.captions[1], "");
    EXPECT_EQ(t.captions[3], "After the section");
    EXPECT_EQ(t.state, "S3");
}

TEST(ReadTemplates, EveryLineBreakKindAndNoEmptyLines) {
    TemplateLibrary lib = ReadTemplates("@\r## A\n#Off->On\r\n\r\n\nV=AND(S1)\rM1=OR(S2)\n@");
    ASSERT_EQ(lib.TemplateCount(), 1);
    EXPECT_EQ(lib.templates[0].OnLogic, (Lines{"V=AND(S1)", "M1=OR(S2)"}));
}

TEST(ReadTemplates, SideMarksSwitchSidesAndAnUnknownMarkKeepsTheOpenOne) {
    TemplateLibrary lib = ReadTemplates(File({"@", "## A", "#On->Off", "V=AND(S1)", "#Off->On", "V=AND(S2)",
                                              "#Ox", "M1=AND(S3)", "#O", "M2=AND(S4)", "@"}));
    ASSERT_EQ(lib.TemplateCount(), 1);
    EXPECT_EQ(lib.templates[0].OffLogic, Lines{"V=AND(S1)"});
    EXPECT_EQ(lib.templates[0].OnLogic, (Lines{"V=AND(S2)", "M1=AND(S3)", "M2=AND(S4)"}));
}

TEST(ReadTemplates, SectionMarkIsNeverALogicLine) {
    // A second section reopens while the last template's side is still open.
    TemplateLibrary lib =
        ReadTemplates(File({"@", "## A", "#Off->On", "V=AND(S1)", "@", "@", "M1=AND(S2)", "@"}));
    ASSERT_EQ(lib.TemplateCount(), 1);
    EXPECT_EQ(lib.templates[0].OnLogic, (Lines{"V=AND(S1)", "M1=AND(S2)"}));
}

struct ParameterRow {
    const char* label;
    std::string line;
    int k;  // parameter that gets a caption, 0 = none
    std::string caption;
};

class ParameterLines : public ::testing::TestWithParam<ParameterRow> {};

TEST_P(ParameterLines, Caption) {
    const ParameterRow& row = GetParam();
    TemplateLibrary lib = ReadTemplates(File({"@", "## A", row.line, "@"}));
    ASSERT_EQ(lib.TemplateCount(), 1);
    for (int k = 1; k <= kParameterCount; ++k) {
        EXPECT_EQ(lib.templates[0].captions[k], k == row.k ? row.caption : "") << "parameter " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Library, ParameterLines,
    ::testing::Values(
        ParameterRow{"plain", "#TS - S1 - Breaker", 1, "Breaker"},
        ParameterRow{"sixteen", "#TS - S16 - Last one", 16, "Last one"},
        ParameterRow{"hexadecimal", "#TS - S$A - Hex", 10, "Hex"},
        ParameterRow{"any_separator_and_spaces", "#TS - S3 x   Label", 3, "Label"},
        ParameterRow{"two_characters", "#TS - S2 - QS", 2, "QS"},
        ParameterRow{"cut_to_35", "#TS - S5 - " + std::string(40, 'c'), 5, std::string(35, 'c')},
        ParameterRow{"cyrillic_cut_to_35", "#TS - S4 - " + W("Линейный разъединитель присоединения ВЛ"), 4,
                     W("Линейный разъединитель присоединени")},
        ParameterRow{"one_character", "#TS - S1 - A", 0, ""}, ParameterRow{"no_caption", "#TS - S1 -", 0, ""},
        ParameterRow{"no_space", "#TS - S1", 0, ""}, ParameterRow{"dash_glued", "#TS - S2-Caption", 0, ""},
        ParameterRow{"zero", "#TS - S0 - Caption", 0, ""},
        ParameterRow{"seventeen", "#TS - S17 - Caption", 0, ""},
        ParameterRow{"blank_before_number", "#TS - S 1 - Caption", 0, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ReadTemplates, ShortHeaderStartsATemplateOfItsOwnAndLeavesTheEarlierOneAlone) {
    for (const std::string header : {"##", "###", "## A"}) {
        TemplateLibrary lib = ReadTemplates(File({"@", "## First", "#Off->On", "V=AND(S1)", header,
                                                  "#TS - S1 - Caption", "#Off->On", "V=AND(S2)", "@"}));
        ASSERT_EQ(lib.TemplateCount(), 2) << header;
        EXPECT_EQ(lib.templates[0].name, "First");
        EXPECT_EQ(lib.templates[0].OnLogic, Lines{"V=AND(S1)"});
        EXPECT_EQ(lib.templates[0].captions[1], "");
        EXPECT_EQ(lib.templates[1].name, W("Шаблон 2"));
        EXPECT_EQ(lib.templates[1].OnLogic, Lines{"V=AND(S2)"});
    }
    // Before any other template.
    TemplateLibrary lib = ReadTemplates(File({"@", "##", "#State - S1", "@"}));
    ASSERT_EQ(lib.TemplateCount(), 1);
    EXPECT_EQ(lib.templates[0].name, W("Шаблон 1"));
    EXPECT_EQ(lib.templates[0].state, "S1");
}

TEST(ReadTemplates, ThirtyThirdTemplateIsIgnoredWithItsLines) {
    std::vector<std::string> lines{"@"};
    for (int i = 1; i <= 34; ++i) {
        lines.push_back("## T" + std::to_string(i));
        lines.push_back("#State - S" + std::to_string(i));
        lines.push_back("#TS - S1 - C" + std::to_string(i));
        lines.push_back("#Off->On");
        lines.push_back("V=AND(S" + std::to_string(i) + ")");
    }
    lines.push_back("@");
    TemplateLibrary lib = ReadTemplates(File(lines));
    ASSERT_EQ(lib.TemplateCount(), 32);
    const Template& last = lib.templates[31];
    EXPECT_EQ(last.number, 32);
    EXPECT_EQ(last.name, "T32");
    EXPECT_EQ(last.state, "S32");
    EXPECT_EQ(last.captions[1], "C32");
    EXPECT_EQ(last.OnLogic, Lines{"V=AND(S32)"});
}

TEST(ReadTemplateFile, MissingFileGivesTheSystemErrorAndAnEmptyLibrary) {
    test::TempFolder folder;
    TemplateFile f = ReadTemplateFile(TemplateFilePath(folder.path() + "/"));
    EXPECT_FALSE(f.ok());
    EXPECT_NE(f.error.find(SystemErrorText(ENOENT)), std::string::npos) << f.error;
    EXPECT_EQ(f.library.TemplateCount(), 0);

    test::WriteRaw(folder / "templates.txt", File({"@", "## A", "@"}));
    f = ReadTemplateFile(TemplateFilePath(folder.path() + "/"));
    EXPECT_TRUE(f.ok());
    EXPECT_EQ(f.library.TemplateCount(), 1);
}

// ---- Fields ----

struct LayoutRow {
    const char* label;
    std::vector<int> captioned;
    int rows;
    int buttonTop;
    int outerHeight;
};

class Layout : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(Layout, FieldsRowsButtonsHeight) {
    const LayoutRow& row = GetParam();
    Template t;
    for (int k : row.captioned) t.captions[k] = "Caption";
    FieldLayout layout = LayoutFor(t);
    EXPECT_EQ(layout.parameters, row.captioned);
    EXPECT_EQ(layout.rows, row.rows);
    EXPECT_EQ(layout.buttonTop, row.buttonTop);
    EXPECT_EQ(layout.outerHeight, row.outerHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Window, Layout,
    ::testing::Values(LayoutRow{"none", {}, 0, 88, 153}, LayoutRow{"one", {7}, 1, 120, 185},
                      LayoutRow{"one_two_five", {1, 2, 5}, 2, 152, 217},
                      LayoutRow{"four", {2, 4, 6, 8}, 2, 152, 217},
                      LayoutRow{"all", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, 8, 344, 409}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Substitution ----

struct SideRow {
    const char* label;
    std::string text;
    ParameterValues values;
    bool ok;
    std::string result;
    int lastParameter;
};

class Substitution : public ::testing::TestWithParam<SideRow> {};

TEST_P(Substitution, OneSideForBlockSeven) {
    const SideRow& row = GetParam();
    SideResult r = SubstituteSide(row.text, row.values, 7);
    EXPECT_EQ(r.ok, row.ok);
    EXPECT_EQ(r.text, row.result);
    if (row.ok) {
        EXPECT_EQ(r.lastParameter, row.lastParameter);
    }
}

const ParameterValues kS17 = Values({{1, "S17"}});

INSTANTIATE_TEST_SUITE_P(
    Templates, Substitution,
    ::testing::Values(
        SideRow{"reference", "(S1,", kS17, true, "(S17,", 1},
        SideRow{"inverted_reference", ",~S1)", kS17, true, ",~S17)", 1},
        SideRow{"double_inversion_cancels", ",~S1)", Values({{1, "~S17"}}), true, ",S17)", 1},
        SideRow{"inverted_value", "(S1,", Values({{1, "~S17"}}), true, "(~S17,", 1},
        SideRow{"double_inversion_at_start", "~S1,", Values({{1, "~S17"}}), true, "S17,", 1},
        SideRow{"d_reference", "(D1)", Values({{1, "D5"}}), true, "(D5)", 1},
        SideRow{"empty_value", "(S1,", Values({}), true, "(,", 1},
        SideRow{"output_gets_block", "V=AND(S1)\r\n", kS17, true, "V7=AND(S17)\r\n", 1},
        SideRow{"words_unchanged", "END, AND", kS17, true, "END, AND", 1},
        SideRow{"no_references_keeps_one", "M1=OR(M2)\r\n", kS17, true, "M1=OR(M2)\r\n", 1},
        SideRow{"several_lines", "M1=AND(S2,~S3)\r\nV=OR(M1,S16)\r\n",
                Values({{2, "S5"}, {3, "~D8"}, {16, "S256"}}), true, "M1=AND(S5,D8)\r\nV7=OR(M1,S256)\r\n",
                16},
        SideRow{"blank_and_hex_numbers", "(S 2,D$A)", Values({{2, "S1"}, {10, "S9"}}), true, "(S1,S9)", 10},
        SideRow{"value_looking_like_references", "V=AND(S1)\r\n", Values({{1, "S1,S1"}}), true,
                "V7=AND(S1,S1)\r\n", 1},
        SideRow{"value_with_output_letter", "(S1)", Values({{1, "V"}}), true, "(V7)", 1},
        SideRow{"parameter_seventeen", "V=AND(S17)\r\n", kS17, false, "V=AND(S17)\r\n", 0},
        SideRow{"reference_ends_line", "V=AND(S1,\r\nS2\r\n", kS17, false, "V=AND(S1,\r\nS2\r\n", 0},
        SideRow{"letter_without_number", "V=AND(S)\r\n", kS17, false, "V=AND(S)\r\n", 0},
        SideRow{"late_failure_keeps_all", "M1=AND(S1)\r\nV=AND(S0)\r\n", kS17, false,
                "M1=AND(S1)\r\nV=AND(S0)\r\n", 0}),
    [](const auto& info) { return std::string(info.param.label); });

struct StateRow {
    const char* label;
    std::string state;
    int lastOff;
    std::string result;
};

class StateText : public ::testing::TestWithParam<StateRow> {};

TEST_P(StateText, Substituted) {
    const StateRow& row = GetParam();
    ParameterValues v = Values({{1, "S11"}, {2, "~S9"}, {3, "S13"}, {16, "D16"}});
    EXPECT_EQ(SubstituteState(row.state, row.lastOff, v), row.result);
}

INSTANTIATE_TEST_SUITE_P(Templates, StateText,
                         ::testing::Values(StateRow{"parameter_two", "S2", 1, "~S9"},
                                           StateRow{"any_first_letter", "D16", 1, "D16"},
                                           StateRow{"empty_takes_last_off", "", 3, "S13"},
                                           StateRow{"inverted_is_no_number", "~S2", 3, "S13"},
                                           StateRow{"out_of_range_takes_last", "S17", 1, "S11"},
                                           StateRow{"letter_only", "S", 2, "~S9"}),
                         [](const auto& info) { return std::string(info.param.label); });

Template MakeTemplate(Lines on, Lines off, std::string state = "S1") {
    Template t;
    t.number = 1;
    t.name = W("Разъединитель");
    t.captions[1] = "State";
    t.captions[2] = "Breaker";
    t.OnLogic = std::move(on);
    t.OffLogic = std::move(off);
    t.state = std::move(state);
    return t;
}

TEST(SubstituteTemplate, AFailingSideStaysAsWrittenAndTheOtherIsSubstituted) {
    ParameterValues v = Values({{1, "S5"}, {2, "S6"}});
    SubstitutedTemplate on = SubstituteTemplate(MakeTemplate({"V=AND(S2"}, {"V=AND(~S2)"}, "S1"), v, 4);
    EXPECT_EQ(on.OnLogic, Lines{"V=AND(S2"});
    EXPECT_EQ(on.OffLogic, Lines{"V4=AND(~S6)"});
    EXPECT_EQ(on.state, "S5");
    ASSERT_EQ(on.messages.size(), 1u);
    EXPECT_EQ(on.messages[0].text,
              W("Внимание! Ошибка в шаблоне в логике включения\n\r"
                "Модификация текста отменена, в логику блока будет загружен текст шаблона."));
    EXPECT_EQ(on.messages[0].caption, W("Внимание"));
    EXPECT_EQ(on.messages[0].icon, Icon::None);

    SubstitutedTemplate off = SubstituteTemplate(MakeTemplate({"V=AND(S2)"}, {"V=AND(S99)"}, "S1"), v, 4);
    EXPECT_EQ(off.OnLogic, Lines{"V4=AND(S6)"});
    EXPECT_EQ(off.OffLogic, Lines{"V=AND(S99)"});
    EXPECT_EQ(off.state, "S1");  // not replaced either
    ASSERT_EQ(off.messages.size(), 1u);
    EXPECT_EQ(off.messages[0], SideFailureMessage(Side::Off));
    EXPECT_NE(off.messages[0].text.find(W("отключения")), std::string::npos);
}

// ---- Insertion into a block ----

TEST(Send_Template, BadBlockNumberChangesNothing) {
    Template t = MakeTemplate({"V=AND(S2)"}, {"V=AND(~S2)"});
    for (const char* number : {"", "0", "33", "abc", "1x"}) {
        Workspace ws;
        ws.Fields.TS_State_Number = "S3";
        ASSERT_EQ(Send_Template(ws, number, &t, Values({{1, "S5"}, {2, "S6"}}), "Q"),
                  SendResult::BadBlockNumber);
        ASSERT_EQ(ws.Messages.size(), 1u) << number;
        EXPECT_EQ(ws.Messages[0],
                  (interlock::Message{W("Некорректный номер блока для вставки. Прерываю работу."),
                                      W("Внимание"), Icon::None}));
        for (int n = 1; n <= interlock::kBlockCount; ++n) EXPECT_TRUE(ws.Blocks[n].IsEmpty());
        EXPECT_EQ(ws.Fields.TS_State_Number, "S3");
    }
}

TEST(Send_Template, NoTemplateInsertsNothing) {
    Workspace ws;
    EXPECT_EQ(Send_Template(ws, "1", nullptr, {}, "Q"), SendResult::NoTemplate);
    EXPECT_TRUE(ws.Messages.empty());
    EXPECT_TRUE(ws.Blocks[1].IsEmpty());
    EXPECT_EQ(ws.Blocks[1].Name, "");
}

TEST(Send_Template, IntoTheCurrentBlockUpdatesItsFieldsAndDisplay) {
    Workspace ws;
    ws.CurrentBlock = 2;
    ws.Fields.Block_Name = "old";
    ws.Fields.Logic = {"typed, not committed"};
    Template t = MakeTemplate({"V=AND(~S1,S3)"}, {"V=AND(S1)"}, "S2");
    t.captions[3] = "Third";
    ParameterValues v = Values({{1, "S10"}, {2, "~S9"}, {3, "S11"}});
    unsigned refreshes = ws.Display.refreshCount;
    ASSERT_EQ(Send_Template(ws, " 2", &t, v, W("Q1 линии")), SendResult::Inserted);
    const interlock::Block& b = ws.Blocks[2];
    EXPECT_EQ(b.OnLogic, Lines{"V2=AND(~S10,S11)"});
    EXPECT_EQ(b.OffLogic, Lines{"V2=AND(S10)"});
    EXPECT_EQ(b.Name, W("Q1 линии"));
    EXPECT_EQ(b.StateSignal, -9);  // state "S2" with parameter 2 = ~S9
    EXPECT_EQ(ws.Fields.TS_State_Number, "~S9");
    EXPECT_EQ(ws.Fields.Block_Name, W("Q1 линии"));
    EXPECT_FALSE(b.OnError);
    EXPECT_FALSE(b.OffError);
    EXPECT_GT(ws.Display.refreshCount, refreshes);
    EXPECT_EQ(ws.Fields.Logic, Lines{"V2=AND(~S10,S11)"});  // the editor shows the new ON logic
    EXPECT_EQ(ws.Tabs[2], interlock::StatusLook(interlock::BlockStatus::Normal, ws.Tabs[2].enabled));
    EXPECT_TRUE(ws.Messages.empty());
}

TEST(Send_Template, IntoAnotherBlockLeavesTheWindowOnTheCurrentOne) {
    struct Row {
        int16_t currentState;
        const char* field;
    };
    for (Row row : {Row{5, "S5"}, Row{-7, "~S7"}, Row{0, "-"}}) {
        Workspace ws;
        ws.CurrentBlock = 1;
        ws.Blocks[1].StateSignal = row.currentState;
        ws.Blocks[1].Name = "current";
        ws.Fields.TS_State_Number = "typed";
        ws.Fields.Block_Name = "name field";
        ws.Fields.Logic = {"editor"};
        unsigned refreshes = ws.Display.refreshCount;
        Template t = MakeTemplate({"V=AND(S2)"}, {"V=AND(~S2)"});
        ASSERT_EQ(Send_Template(ws, "4", &t, Values({{1, "S20"}, {2, "S21"}}), "bay 4"),
                  SendResult::Inserted);
        EXPECT_EQ(ws.Blocks[4].OnLogic, Lines{"V4=AND(S21)"});
        EXPECT_EQ(ws.Blocks[4].StateSignal, 20);
        EXPECT_EQ(ws.Blocks[4].Name, "bay 4");
        EXPECT_EQ(ws.Fields.TS_State_Number, row.field);
        EXPECT_EQ(ws.Fields.Block_Name, "name field");
        EXPECT_EQ(ws.Fields.Logic, Lines{"editor"});
        EXPECT_EQ(ws.Display.refreshCount, refreshes);
        EXPECT_EQ(ws.Blocks[1].StateSignal, row.currentState);
        EXPECT_EQ(ws.Blocks[1].Name, "current");
        EXPECT_EQ(ws.Tabs[4], interlock::StatusLook(interlock::BlockStatus::Normal, ws.Tabs[4].enabled));
    }
}

TEST(Send_Template, FailingSideIsLoadedAsWrittenWithItsMessage) {
    Workspace ws;
    Template t = MakeTemplate({"V=AND(S2"}, {"V=AND(S2)"});  // reference runs to the end of the line
    ASSERT_EQ(Send_Template(ws, "1", &t, Values({{1, "S3"}, {2, "S4"}}), "x"), SendResult::Inserted);
    EXPECT_EQ(ws.Blocks[1].OnLogic, Lines{"V=AND(S2"});
    EXPECT_EQ(ws.Blocks[1].OffLogic, Lines{"V1=AND(S4)"});
    EXPECT_TRUE(ws.Blocks[1].OnError);
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0], SideFailureMessage(Side::On));
}

// The library shipped beside the program: every template, with its parameters filled with
// distinct valid TS, gives a block whose logics parse without error.
TEST(ShippedLibrary, EveryTemplateGivesAWorkingBlock) {
    ReadResult file = ReadWholeFile(SHIPPED_TEMPLATES);
    ASSERT_TRUE(file) << file.error;
    EXPECT_NE(file.bytes.find("\r\n"), std::string::npos);
    TemplateLibrary lib = ReadTemplates(file.bytes);
    ASSERT_GE(lib.TemplateCount(), 4);
    for (const Template& t : lib.templates) {
        SCOPED_TRACE(cp1251::ToUtf8(t.name));
        EXPECT_FALSE(t.OnLogic.empty());
        EXPECT_FALSE(t.OffLogic.empty());
        FieldLayout layout = LayoutFor(t);
        ASSERT_FALSE(layout.parameters.empty());
        ParameterValues v{};
        for (int k : layout.parameters) {
            EXPECT_GT(static_cast<unsigned char>(t.captions[k][0]), 0x7F) << "caption in Russian: " << k;
            v[static_cast<size_t>(k)] = "S" + std::to_string(100 + 10 * t.number + k);
        }
        Workspace ws;
        ASSERT_EQ(Send_Template(ws, "9", &t, v, t.name), SendResult::Inserted);
        const interlock::Block& b = ws.Blocks[9];
        EXPECT_TRUE(ws.Messages.empty());
        EXPECT_FALSE(b.OnError) << cp1251::ToUtf8(b.OnErrorMessage);
        EXPECT_FALSE(b.OffError) << cp1251::ToUtf8(b.OffErrorMessage);
        EXPECT_NE(b.StateSignal, 0);
        EXPECT_EQ(interlock::StatusOf(ws, b), interlock::BlockStatus::Normal);
        EXPECT_EQ(b.Name, t.name);
    }
}

}  // namespace
}  // namespace storage
