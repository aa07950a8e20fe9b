// The switching-program reader: the ways an operation is written, the malformed lines with
// their positions, and a written program read back as it was written.

#include <gtest/gtest.h>

#include "interlock/cp1251.h"
#include "sequences/program.h"
#include "sequences/sequences_texts.h"

namespace sequences {
namespace {

using interlock::Side;

interlock::Workspace Named() {
    interlock::Workspace ws;
    const char* names[] = {"Q1 Выключатель ввода", "QS1 Разъединитель", "Q2 Выключатель линии", "QS1 второй"};
    for (int i = 0; i < 4; ++i) ws.Blocks[i + 1].Name = cp1251::FromUtf8(names[i]);
    ws.Blocks[6].Name = cp1251::FromUtf8("Ёлка");
    ws.Blocks[5].Name = cp1251::FromUtf8("7 Выключатель секции");  // a name that reads as a number
    return ws;
}

struct Case {
    const char* line;
    int block;  // 0: an error
    Side side;
    int position;  // of the error
};

TEST(ProgramReader, Lines) {
    const interlock::Workspace ws = Named();
    const Case cases[] = {
        {"ОТКЛ Q2", 3, Side::Off, 0},
        {"  откл   q2  # комментарий", 3, Side::Off, 0},
        {"OFF 5", 5, Side::Off, 0},
        {"on 1", 1, Side::On, 0},
        {"ВКЛЮЧИТЬ Q1 Выключатель  ввода", 1, Side::On, 0},
        {"3. Отключить q2", 3, Side::Off, 0},
        {"12) вкл ёлка", 6, Side::On, 0},
        {"QSWITCH Q2", 0, Side::On, 1},
        {"ОТКЛ", 0, Side::On, 5},
        {"ОТКЛ 33", 0, Side::On, 6},
        {"ОТКЛ 0", 0, Side::On, 6},
        {"ОТКЛ Q9", 0, Side::On, 6},
        {"ВКЛ QS1", 0, Side::On, 5},  // two blocks begin with QS1
        {"ВКЛ QS1 второй", 4, Side::On, 0},
    };
    for (const Case& c : cases) {
        const Program p = ParseProgram({cp1251::FromUtf8(c.line)}, ws);
        if (c.block) {
            ASSERT_EQ(p.steps.size(), 1u) << c.line;
            EXPECT_EQ(p.steps[0].op, (Operation{c.block, c.side})) << c.line;
            EXPECT_TRUE(p.errors.empty()) << c.line;
        } else {
            ASSERT_EQ(p.errors.size(), 1u) << c.line;
            EXPECT_EQ(p.errors[0].position, c.position) << c.line;
            EXPECT_EQ(p.errors[0].line, 1);
        }
    }
}

TEST(ProgramReader, MalformedLineLeavesTheRest) {
    const interlock::Workspace ws = Named();
    std::vector<std::string> lines;
    for (const char* l : {"# заголовок", "", "ОТКЛ Q2", "??", "ВКЛ 2"}) lines.push_back(cp1251::FromUtf8(l));
    const Program p = ParseProgram(lines, ws);
    ASSERT_EQ(p.steps.size(), 2u);
    EXPECT_EQ(p.steps[0].line, 3);
    EXPECT_EQ(p.steps[1].line, 5);
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_EQ(p.errors[0].line, 4);
    EXPECT_EQ(p.errors[0].message, Texts().progOperation);
}

TEST(ProgramReader, WrittenProgramReadsBack) {
    const interlock::Workspace ws = Named();
    const std::vector<ProgramEntry> entries = {
        {{3, Side::Off}, cp1251::FromUtf8("12:00:01 разрешено")},
        {{2, Side::Off}, ""},  // QS1 is not unique: written by number
        {{6, Side::On}, "line\r\nbreak"},
        {{5, Side::On}, ""},  // named "7 ...": written by its own number
    };
    const std::string text = WriteProgram(entries, ws, cp1251::FromUtf8("Журнал"));
    std::vector<std::string> lines;
    size_t a = 0;
    for (size_t b; (b = text.find("\r\n", a)) != std::string::npos; a = b + 2)
        lines.push_back(text.substr(a, b - a));
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], cp1251::FromUtf8("ОТКЛ 2"));
    const Program p = ParseProgram(lines, ws);
    EXPECT_TRUE(p.errors.empty());
    ASSERT_EQ(p.steps.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(p.steps[i].op, entries[i].op);
}

}  // namespace
}  // namespace sequences
