// The logic diagram and the printed interlock table: the layout follows the evaluator (values,
// the inputs that decide a 0), the page redraws and zooms, and the SVG and PDF files carry the
// labels a reader looks for.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <QPdfWriter>
#include <cstring>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "../analysis/random_logic.h"
#include "analysis/analyser.h"
#include "analysis/logic_reader.h"
#include "interlock/cp1251.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "ui/report/diagram_painter.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/model/dialogs.h"
#include "ui/report/interlock_report.h"
#include "ui/report/logic_diagram.h"
#include "ui/model/report_model.h"
#include "ui/report/interlock_report.h"

namespace {

namespace fs = std::filesystem;
using interlock::Side;
using interlock::Workspace;
using ui::diagram::Tone;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Shell(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    const int rc = pclose(pipe);
    if (status) *status = WEXITSTATUS(rc);
    return out;
}

bool HavePdfToText() { return std::system("command -v pdftotext >/dev/null 2>&1") == 0; }

// The text of a PDF, no-break spaces read as spaces.
std::string PdfText(const fs::path& pdf) {
    std::string text = Shell("pdftotext -layout '" + pdf.string() + "' -");
    for (size_t at; (at = text.find("\xC2\xA0")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("diagram_test_" + std::to_string(getpid()) + "_" + std::to_string(std::random_device{}()));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
};

std::unique_ptr<Workspace> LoadExample() {
    auto ws = std::make_unique<Workspace>();
    const storage::ReadResult file = storage::ReadWholeFile(EXAMPLES_DIR "/substation.blk");
    EXPECT_TRUE(file);
    EXPECT_TRUE(storage::Read_Config_Text(*ws, storage::SplitLines(file.bytes)));
    ws->Messages.clear();
    interlock::RecalculateAll(*ws);
    return ws;
}

// One logic in block 1 (no state signal) with the given TS values.
struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::pair<int, int>> values;  // TS, value
    std::string terminal;
    std::vector<int> deciding;
    Tone firstInput;  // the tone of the first TS input's wire
    int unreliable = 0;
};

class Layout : public ::testing::TestWithParam<Case> {};

TEST_P(Layout, ValuesAndDecidingInputs) {
    const Case& c = GetParam();
    auto ws = std::make_unique<Workspace>();
    ws->Blocks[1].OnLogic = c.lines;
    for (auto [ts, v] : c.values) ws->TsTable.Value[ts] = static_cast<int16_t>(v);
    if (c.unreliable) ws->TsTable.Unreliability[c.unreliable] = 2;
    interlock::Recalculate(*ws, 1);
    const ui::diagram::Diagram d = ui::diagram::LayOut(*ws, 1, Side::On);
    ASSERT_EQ(d.terminals.size(), 1u);
    EXPECT_EQ(d.terminals[0].text, c.terminal);
    EXPECT_EQ(d.forbidden, c.terminal.back() == '0');
    EXPECT_EQ(d.decidingTs, c.deciding);
    EXPECT_EQ(d.gates.size(), analysis::ReadLogic(interlock::LogicText(c.lines), 1).lines.size());
    // The first wire of a TS input starts at the label column.
    const ui::diagram::Wire* first = nullptr;
    for (const auto& w : d.wires)
        if (w.path.size() == 2 && w.path[0].x < d.gates.front().box.x - 20) {
            first = &w;
            break;
        }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->tone, c.firstInput);
    // The start of that wire names its TS, for the tooltip; the gates name none.
    const std::string operand =
        analysis::ReadLogic(interlock::LogicText(c.lines), 1).lines.front().operands.front().text;
    EXPECT_EQ(ui::diagram::TsAt(d, first->path[0]),
              std::stoi(operand.substr(operand.find_first_of("0123456789"))));
    EXPECT_EQ(ui::diagram::TsAt(d, {d.gates.front().box.x + 20, d.gates.front().box.y + 5}), 0);
    // Every emphasised wire belongs to a forbidden logic.
    for (const auto& w : d.wires) EXPECT_TRUE(!w.emphasised || d.forbidden);
}

INSTANTIATE_TEST_SUITE_P(
    Diagram, Layout,
    ::testing::Values(
        Case{"and_forbidden", {"V1=AND(S1,S2,~S3)"}, {{1, 1}, {2, 0}, {3, 1}}, "V1 = 0", {2, 3}, Tone::True},
        Case{"or_allowed", {"V1=OR(S1,S2)"}, {{1, 0}, {2, 1}}, "V1 = 1", {}, Tone::False},
        // The 0 of M1 comes from both of its inputs; S3 reads 1 and decides nothing.
        Case{"through_m", {"M1=OR(S1,S2)", "V1=AND(M1,S3)"}, {{3, 1}}, "V1 = 0", {1, 2}, Tone::False},
        Case{"nand", {"V1=~AND(S1,S2)"}, {{1, 1}, {2, 1}}, "V1 = 0", {1, 2}, Tone::True},
        // 2 decides neither an AND nor an OR.
        Case{"value_two", {"V1=AND(S1,S2)"}, {{1, 2}, {2, 1}}, "V1 = 1", {}, Tone::Neither},
        Case{"unreliable_grey", {"V1=AND(S1)"}, {{1, 0}}, "V1 = 0", {1}, Tone::Unreliable, 1},
        // An inverted operand is coloured by what the logic reads, as the editor colours it.
        Case{"inverted_reads", {"V1=AND(~S1,S2)"}, {{1, 1}, {2, 1}}, "V1 = 0", {1}, Tone::False},
        // Lines after the V line are drawn; M1 is assigned again and read with its new value.
        Case{"reassigned_m",
             {"M1=AND(S1)", "M1=AND(S2)", "V1=OR(M1,S3)", "M2=AND(S4)"},
             {{1, 1}},
             "V1 = 0",
             {2, 3},
             Tone::True}),
    [](const auto& info) { return std::string(info.param.name); });

// Generated logics: the terminal shows what the evaluator computes, and with 0/1 values the
// marked TS alone keep a forbidden logic at 0 whatever the other TS do.
TEST(Diagram, FollowsTheEvaluatorOnGeneratedLogics) {
    std::mt19937 r(7);
    int forbidden = 0;
    for (int i = 0; i < 2000; ++i) {
        auto ws = std::make_unique<Workspace>();
        ws->Blocks[1].OnLogic = analysis::test::RandomLogic(r, 1, {});
        for (int ts = 1; ts <= 8; ++ts)
            ws->TsTable.Value[ts] = static_cast<int16_t>(r() % 7 == 0 ? 2 : r() % 2);
        interlock::Recalculate(*ws, 1);
        if (ws->Blocks[1].OnError) continue;
        const ui::diagram::Diagram d = ui::diagram::LayOut(*ws, 1, Side::On);
        ASSERT_EQ(d.terminals.size(), 1u);
        ASSERT_EQ(d.terminals[0].text, "V1 = " + std::to_string(ws->Blocks[1].OnResult))
            << ws->Blocks[1].OnLogic.front();
        bool binary = true;
        for (int ts = 1; ts <= 8; ++ts) binary = binary && ws->TsTable.Value[ts] != 2;
        if (!d.forbidden || !binary) continue;
        ++forbidden;
        for (int round = 0; round < 8; ++round) {
            for (int ts = 1; ts <= 8; ++ts)
                if (!std::binary_search(d.decidingTs.begin(), d.decidingTs.end(), ts))
                    ws->TsTable.Value[ts] = static_cast<int16_t>(r() % 2);
            interlock::Recalculate(*ws, 1);
            ASSERT_EQ(ws->Blocks[1].OnResult, 0) << ws->Blocks[1].OnLogic.front();
        }
    }
    EXPECT_GT(forbidden, 200);
}

TEST(Diagram, FortyLinesStayInsideTheirBands) {
    auto ws = std::make_unique<Workspace>();
    std::vector<std::string> lines;
    for (int i = 1; i <= 39; ++i)
        lines.push_back("M" + std::to_string(1 + i % 16) + "=AND(S" + std::to_string(i) + ",~S" +
                        std::to_string(i + 40) + (i > 1 ? ",M" + std::to_string(1 + (i - 1) % 16) : "") +
                        ")");
    lines.push_back("V1=OR(M1,M2,M3,S100)");
    ws->Blocks[1].OnLogic = lines;
    interlock::Recalculate(*ws, 1);
    ASSERT_FALSE(ws->Blocks[1].OnError);
    const ui::diagram::Diagram d = ui::diagram::LayOut(*ws, 1, Side::On);
    ASSERT_EQ(d.gates.size(), 40u);
    for (size_t i = 0; i + 1 < d.gates.size(); ++i)
        EXPECT_LT(d.gates[i].box.y + d.gates[i].box.h, d.gates[i + 1].box.y);
    for (const auto& g : d.gates) EXPECT_LE(g.box.x + g.box.w, d.width);
    EXPECT_LE(d.gates.back().box.y + d.gates.back().box.h, d.height);
    // An M wire turns down in its own channel, right of where it leaves and left of its gate.
    std::set<std::pair<double, double>> channels;  // (x, source y)
    for (const auto& w : d.wires) {
        if (w.path.size() != 4) continue;
        EXPECT_GE(w.path[1].x, w.path[0].x);
        EXPECT_LT(w.path[1].x, w.path[3].x);
        channels.insert({w.path[1].x, w.path[0].y});
    }
    std::set<double> xs;
    for (const auto& [x, y] : channels)
        EXPECT_TRUE(xs.insert(x).second) << "two sources share the channel at " << x;
}

TEST(Diagram, ManyMIntoOneLineGetTheirOwnChannels) {
    auto ws = std::make_unique<Workspace>();
    std::vector<std::string> lines;
    std::string out = "V1=AND(";
    for (int m = 1; m <= 16; ++m) {
        lines.push_back("M" + std::to_string(m) + "=OR(S" + std::to_string(m) + ",S" +
                        std::to_string(m + 20) + ")");
        out += (m > 1 ? ",M" : "M") + std::to_string(m);
    }
    lines.push_back(out + ")");
    ws->Blocks[1].OnLogic = lines;
    interlock::Recalculate(*ws, 1);
    const ui::diagram::Diagram d = ui::diagram::LayOut(*ws, 1, Side::On);
    std::set<double> xs;
    const double prior = d.gates.front().box.x + d.gates.front().box.w + 34;  // the stubs of column 0
    for (const auto& w : d.wires) {
        if (w.path.size() != 4) continue;
        EXPECT_TRUE(xs.insert(w.path[1].x).second);
        EXPECT_GE(w.path[1].x, prior);
    }
    EXPECT_EQ(xs.size(), 16u);
}

TEST(Diagram, ErrorAndEmptyLogicsSaySo) {
    auto ws = std::make_unique<Workspace>();
    ws->Blocks[1].OnLogic = {"V1=AND(M3,S1)"};
    interlock::Recalculate(*ws, 1);
    const ui::diagram::Diagram err = ui::diagram::LayOut(*ws, 1, Side::On);
    EXPECT_NE(err.note.find(cp1251::FromUtf8("Ошибка")), std::string::npos);
    EXPECT_FALSE(err.forbidden);
    const ui::diagram::Diagram empty = ui::diagram::LayOut(*ws, 1, Side::Off);
    EXPECT_TRUE(empty.gates.empty());
    EXPECT_EQ(empty.note, cp1251::FromUtf8("Логика пуста"));
}

// ---- The page, its exports and the printed table ----

int CountColour(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) ++n;
    return n;
}

TEST(DiagramPage, RedrawsOnTsChangeAndZooms) {
    auto ws = LoadExample();
    ws->CurrentBlock = 1;
    ws->CurrentView = Side::Off;  // V1=AND(S14)
    ws->TsTable.Value[14] = 1;
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> page(ui::CreateLogicDiagramPage(*ws, nullptr, &dialogs));
    auto* diagram = qobject_cast<ui::LogicDiagramPage*>(page.get());
    ASSERT_NE(diagram, nullptr);
    page->resize(700, 400);
    page->show();
    auto* canvas = page->findChild<QScrollArea*>()->widget();
    EXPECT_EQ(diagram->Shown().terminals.at(0).text, "V1 = 1");
    const QColor green = ui::diagram::ColourOf(Tone::True), red = ui::diagram::ColourOf(Tone::False);
    QImage before = canvas->grab().toImage();
    EXPECT_GT(CountColour(before, green), 20);

    ws->TsTable.Value[14] = 0;
    interlock::Recalculate(*ws, 1);
    QMetaObject::invokeMethod(page.get(), "refresh");
    EXPECT_EQ(diagram->Shown().terminals.at(0).text, "V1 = 0");
    EXPECT_EQ(diagram->Shown().decidingTs, std::vector<int>{14});
    QImage after = canvas->grab().toImage();
    EXPECT_GT(CountColour(after, red), 20);
    EXPECT_EQ(CountColour(after, green), 0);

    const QSize normal = canvas->size();
    diagram->SetZoom(2.0);
    EXPECT_NEAR(canvas->width(), normal.width() * 2, 2);
    diagram->SetZoom(100);
    EXPECT_DOUBLE_EQ(diagram->Zoom(), 4.0);
    page->findChild<QToolButton*>("ZoomFit")->click();
    EXPECT_LE(canvas->width(), page->findChild<QScrollArea*>()->viewport()->width());
    EXPECT_GE(canvas->width(), page->findChild<QScrollArea*>()->viewport()->width() - 8);
}

// A 40-line logic fits the page whole; a logic too long to lay out on the event loop arrives
// from the worker, the same as laid out in place, and a later refresh is not lost meanwhile.
TEST(DiagramPage, FitsFortyLinesAndLaysOutLongLogicsAside) {
    auto ws = std::make_unique<Workspace>();
    std::vector<std::string> lines;
    for (int i = 0; i < 39; ++i)
        lines.push_back("M" + std::to_string(i % 16 + 1) + "=AND(S" + std::to_string(i + 2) + ",~S" +
                        std::to_string(i + 60) + ",S" + std::to_string(i + 120) + ")");
    lines.push_back("V1=AND(M1,M2,M3)");
    ws->Blocks[1].OnLogic = lines;
    interlock::Recalculate(*ws, 1);
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> page(ui::CreateLogicDiagramPage(*ws, nullptr, &dialogs));
    auto* diagram = qobject_cast<ui::LogicDiagramPage*>(page.get());
    page->resize(820, 380);
    page->show();
    QApplication::processEvents();
    auto* scroll = page->findChild<QScrollArea*>();
    EXPECT_EQ(diagram->Shown().gates.size(), 40u);
    page->findChild<QToolButton*>("ZoomFitAll")->click();
    EXPECT_LE(scroll->widget()->height(), scroll->viewport()->height());
    EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width());

    std::vector<std::string> many;
    for (size_t i = 0; i < ui::LogicDiagramPage::kBackgroundLines + 200; ++i)
        many.push_back("M" + std::to_string(i % 16 + 1) + "=AND(S" + std::to_string(i % 250 + 2) + ")");
    many.push_back("V1=AND(M1,S1)");
    ws->Blocks[1].OnLogic = many;
    interlock::Recalculate(*ws, 1);
    int drawn = 0;
    QObject::connect(diagram, &ui::LogicDiagramPage::Drawn, [&] { ++drawn; });
    diagram->refresh();
    EXPECT_TRUE(diagram->LayingOut());
    ws->TsTable.Value[1] = 1;  // changed while the worker lays out: drawn once more
    interlock::Recalculate(*ws, 1);
    diagram->refresh();
    for (int i = 0; i < 500 && (diagram->LayingOut() || drawn < 2); ++i) QTest::qWait(10);
    EXPECT_EQ(drawn, 2);
    const ui::diagram::Diagram inPlace = ui::diagram::LayOut(*ws, 1, Side::On);
    EXPECT_EQ(diagram->Shown().gates.size(), inPlace.gates.size());
    EXPECT_EQ(diagram->Shown().terminals.at(0).text, inPlace.terminals.at(0).text);
    EXPECT_EQ(diagram->Shown().decidingTs, inPlace.decidingTs);
}

TEST(DiagramPage, FollowsEveryBlockAndView) {
    auto ws = LoadExample();
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> page(ui::CreateLogicDiagramPage(*ws, nullptr, &dialogs));
    auto* diagram = qobject_cast<ui::LogicDiagramPage*>(page.get());
    page->resize(500, 300);
    page->show();
    for (int n = 1; n <= interlock::kBlockCount; ++n)
        for (Side side : {Side::On, Side::Off}) {
            ws->CurrentBlock = n;
            ws->CurrentView = side;
            diagram->refresh();
            const bool empty = ws->Blocks[n].Of(side).Logic.empty();
            if (ws->Blocks[n].Of(side).Error) {
                // The error's message instead of a verdict; the lines that compile are drawn.
                EXPECT_FALSE(diagram->Shown().note.empty()) << n;
                EXPECT_LE(diagram->Shown().terminals.size(), 1u) << n;
            } else {
                EXPECT_EQ(diagram->Shown().gates.empty(), empty) << n;
                EXPECT_EQ(diagram->Shown().terminals.size(), empty ? 0u : 1u) << n;
            }
            EXPECT_FALSE(page->findChild<QScrollArea*>()->widget()->grab().isNull());
        }
    EXPECT_TRUE(dialogs.Log().empty());
}

TEST(DiagramPage, ExportsThroughTheDialogs) {
    auto ws = LoadExample();
    ws->CurrentBlock = 5;
    ws->CurrentView = Side::On;
    ws->TsTable.Name[15] = cp1251::FromUtf8("Напряжение Л-1");
    TempDir dir;
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> page(ui::CreateLogicDiagramPage(*ws, nullptr, &dialogs));

    const fs::path svg = dir.path / "block5.svg", pdf = dir.path / "block5.pdf";
    dialogs.AnswerSaveFile(cp1251::FromUtf8(svg.string()));
    page->findChild<QToolButton*>("ExportSvg")->click();
    const std::string text = ReadFile(svg);
    // The SVG writer starts a new text element where the script changes (Latin, Cyrillic).
    for (const char* label :
         {"S8", ">S15 <", ">Напряжение Л-1<", "M1", "M2", "AND", "OR", "V5 = ", "Блок 5, включение"})
        EXPECT_NE(text.find(label), std::string::npos) << label;

    // The legend, the time and the TS values go with the drawing.
    for (const char* label : {"недостоверный", "решающие запрет входы", "Значения на ", "Значения ТС: "})
        EXPECT_NE(text.find(label), std::string::npos) << label;

    dialogs.AnswerSaveFile(cp1251::FromUtf8(pdf.string()));
    page->findChild<QToolButton*>("ExportPdf")->click();
    EXPECT_EQ(ReadFile(pdf).substr(0, 5), "%PDF-");
    if (HavePdfToText()) {
        const std::string pdfText = PdfText(pdf);
        EXPECT_NE(pdfText.find("S15 Напряжение Л-1"), std::string::npos);
        // Every TS the logic reads, once, with its value; a hardware-unreliable one said so.
        for (int ts : {8, 9, 12, 14, 15, 16}) {
            const std::string item =
                "ТС" + std::to_string(ts) + " = " + std::to_string(ws->TsTable.Value[ts]);
            EXPECT_NE(pdfText.find(item), std::string::npos) << item;
        }
    }

    // Cancelled: nothing written, nothing said. Unwritable: an error box and no file.
    dialogs.AnswerSaveFile(std::nullopt);
    page->findChild<QToolButton*>("ExportSvg")->click();
    EXPECT_TRUE(dialogs.Messages().empty());
    dialogs.AnswerSaveFile(cp1251::FromUtf8((dir.path / "missing" / "x.svg").string()));
    page->findChild<QToolButton*>("ExportSvg")->click();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].icon, interlock::Icon::Error);
    EXPECT_FALSE(fs::exists(dir.path / "missing"));
}

TEST(InterlockTable, ConditionsReadFromTheModel) {
    auto ws = LoadExample();
    analysis::Analyser analyser;
    analyser.Update(*ws);
    auto terms = [&](int block, Side side) {
        const ui::report::Condition c = ui::report::ConditionOf(analyser, *ws, block, side);
        std::string s = cp1251::ToUtf8(c.sentence);
        for (size_t i = 0; i < c.terms.size(); ++i)
            s += (i ? " " + cp1251::ToUtf8(c.joiner) + " " : "") + cp1251::ToUtf8(c.terms[i]);
        return s;
    };
    // The apparatus of a state signal is named with its state; the logic's own state is held.
    EXPECT_EQ(terms(2, Side::On),
              "Q1 Выключатель ввода 10 кВ отключен (ТС1 = 0) И QE1 Заземляющий нож ввода отключен (ТС4 = 0) "
              "И ТС14 = 1");
    EXPECT_EQ(terms(3, Side::On),
              "Q1 Выключатель ввода 10 кВ отключен (ТС1 = 0) И QS1 Разъединитель ввода отключен (ТС3 = 0) И "
              "QS2 Шинный разъединитель отключен (ТС5 = 0)");
    EXPECT_EQ(terms(5, Side::Off), "ТС14 = 1 ИЛИ ТС17 = 1");
    EXPECT_EQ(terms(9, Side::On).rfind("логика содержит ошибку", 0), 0u);
    EXPECT_EQ(terms(10, Side::On), "логика пуста: операция не разрешается");
}

struct Naming {
    const char* name;
    int stateSignal;  // of block 1, named "QS7"; 0: block 1 is empty
    bool pair;        // TS 5 and 6 form a two-position pair
    analysis::Literal literal;
    const char* text;
};

class LiteralNames : public ::testing::TestWithParam<Naming> {};

TEST_P(LiteralNames, ApparatusStateOrTs) {
    const Naming& n = GetParam();
    auto ws = std::make_unique<Workspace>();
    ws->TsTable.Name[7] = cp1251::FromUtf8("Напряжение");
    if (n.pair) {
        ws->TsTable.TwoPosition[5] = 1;
        ws->TsTable.PairSecond[6] = 1;
    }
    if (n.stateSignal) {
        ws->Blocks[1].Name = cp1251::FromUtf8("QS7");
        ws->Blocks[1].StateSignal = static_cast<int16_t>(n.stateSignal);
        ws->Blocks[1].OnLogic = {"V1=AND(S1)"};
    }
    EXPECT_EQ(cp1251::ToUtf8(ui::report::LiteralText(*ws, n.literal)), n.text);
}

INSTANTIATE_TEST_SUITE_P(
    InterlockTable, LiteralNames,
    ::testing::Values(Naming{"state_signal", 5, false, {5, 1}, "QS7 включен (ТС5 = 1)"},
                      Naming{"inverted_state_signal", -5, false, {5, 1}, "QS7 отключен (ТС5 = 1)"},
                      // The second TS of a pair reads the complement of the first.
                      Naming{"second_of_pair", 6, true, {5, 1}, "QS7 отключен (ТС5 = 1)"},
                      Naming{"inverted_second_of_pair", -6, true, {5, 1}, "QS7 включен (ТС5 = 1)"},
                      Naming{"named_ts", 5, false, {7, 0}, "ТС7 «Напряжение» = 0"},
                      Naming{"empty_block_names_nothing", 0, false, {5, 1}, "ТС5 = 1"}),
    [](const auto& info) { return std::string(info.param.name); });

// The state signal is printed as the file keeps it and the user entered it (S, never D), a pair
// said in words.
TEST(InterlockTable, StateSignalAsEntered) {
    auto ws = LoadExample();
    analysis::Analyser analyser;
    const ui::report::Report r = ui::report::Build(analyser, *ws, "x.blk", "", "");
    ASSERT_GE(r.blocks.size(), 8u);
    const std::string first = cp1251::ToUtf8(r.blocks[0].stateSignal);  // block 1: S1, pair 1/2
    EXPECT_EQ(first.rfind("S1,", 0), 0u) << first;
    EXPECT_NE(first.find("пара ТС1/2"), std::string::npos) << first;
    const std::string eighth = cp1251::ToUtf8(r.blocks[7].stateSignal);  // block 8: ~S10
    EXPECT_EQ(eighth.rfind("~S10,", 0), 0u) << eighth;
    EXPECT_EQ(eighth.find("пара ТС"), std::string::npos) << eighth;
}

TEST(InterlockTable, PrintedThroughTheDialogs) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto ws = LoadExample();
    TempDir dir;
    const fs::path pdf = dir.path / "table.pdf";
    const std::string config = cp1251::FromUtf8(EXAMPLES_DIR "/substation.blk");
    ui::ScriptedDialogs dialogs;
    analysis::Analyser analyser;

    dialogs.AnswerSaveFile(std::nullopt);
    ui::PrintInterlockTable(*ws, dialogs, config, analyser);
    EXPECT_EQ(dialogs.Log().at(0).file.initialName, "substation.pdf");
    EXPECT_FALSE(fs::exists(pdf));

    const Workspace before = *ws;
    dialogs.AnswerSaveFile(cp1251::FromUtf8(pdf.string()));
    ui::PrintInterlockTable(*ws, dialogs, config, analyser);
    ASSERT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(ws->Display.refreshCount, before.Display.refreshCount);
    EXPECT_EQ(ws->Tabs, before.Tabs);
    const std::string text = PdfText(pdf);
    for (const char* label : {"ТАБЛИЦА ОПЕРАТИВНЫХ БЛОКИРОВОК",
                              "substation.blk",
                              "Составил",
                              "с логикой 9 (нормальных 8, ошибочных 1)",
                              "доказано 7, опровергнуто 1, не проверено 1",
                              "Блок 2. QS1 Разъединитель ввода",
                              "Включение разрешено, если:",
                              "Отключение разрешено, если:",
                              "QE1 Заземляющий нож ввода отключен (ТС4 = 0)",
                              "Схема логики включения",
                              "V2",
                              "[опровергнуто] QS2 включается при отключенном QE3",
                              "Контрпример:",
                              "Блок 9. Q4 Выключатель ТСН",
                              "Лист 13 из 13",
                              "Текст логики",
                              "Топология",
                              "путь: Ввод - QS1",
                              "V5=OR(S14,S17)",
                              "Содержание"})
        EXPECT_NE(text.find(label), std::string::npos) << label;
    EXPECT_NE(Shell("pdfinfo '" + pdf.string() + "'").find("595 x 842 pts (A4)"), std::string::npos);
    // The title page names exactly one file: its full path and its SHA-256 as sha256sum gives it.
    const std::string sum = Shell("sha256sum '" EXAMPLES_DIR "/substation.blk'").substr(0, 64);
    ASSERT_EQ(sum.size(), 64u);
    EXPECT_NE(text.find("SHA-256"), std::string::npos);
    std::string packed = text;
    std::erase_if(packed, [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
    EXPECT_NE(packed.find(sum), std::string::npos) << sum;
    EXPECT_NE(text.find(fs::canonical(EXAMPLES_DIR "/substation.blk").string()), std::string::npos);
}

// With a topology beside the configuration the sheet after the title page is the substation's
// mimic; without one there is no such sheet.
TEST(InterlockTable, MimicSheetWhenTheConfigurationHasATopology) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TempDir dir;
    fs::copy_file(EXAMPLES_DIR "/substation.blk", dir.path / "with.blk");
    fs::copy_file(EXAMPLES_DIR "/substation.top", dir.path / "with.top");
    fs::copy_file(EXAMPLES_DIR "/substation.blk", dir.path / "without.blk");
    auto ws = LoadExample();
    for (const char* name : {"with", "without"}) {
        const fs::path pdf = dir.path / (std::string(name) + ".pdf");
        const std::string config = cp1251::FromUtf8((dir.path / (std::string(name) + ".blk")).string());
        ASSERT_EQ(ui::report::WriteInterlockTable(*ws, config, pdf.string()), "");
        const std::string second = Shell("pdftotext -layout -f 2 -l 2 '" + pdf.string() + "' -");
        const bool mimic = std::string(name) == "with";
        EXPECT_EQ(second.find("Мнемосхема подстанции") != std::string::npos, mimic) << name;
        if (mimic) {
            for (const char* label : {"Ш1", "Ш2", "QS1", "QE3", "Q4", "ТСН", "Лист 2 из 13"})
                EXPECT_NE(second.find(label), std::string::npos) << label;
        }
    }
}

TEST(InterlockTable, HeadlessTool) {
    TempDir dir;
    const std::string tool = REPORT_BINARY;
    const fs::path out = dir.path / "out.pdf";
    int status = -1;
    Shell("env -u DISPLAY QT_QPA_PLATFORM= '" + tool + "' '" EXAMPLES_DIR "/substation.blk' --out '" +
              out.string() + "' 2>&1",
          &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(out).substr(0, 5), "%PDF-");

    // Another requirements file; its malformed line is listed on the title page.
    { std::ofstream(dir.path / "other.req") << cp1251::FromUtf8("ON 2 REQUIRES AND(~D1\nON 2 POSSIBLE\n"); }
    Shell("'" + tool + "' '" EXAMPLES_DIR "/substation.blk' --out '" + out.string() + "' --requirements '" +
              (dir.path / "other.req").string() + "' 2>&1",
          &status);
    EXPECT_EQ(status, 0);
    if (HavePdfToText()) {
        const std::string text = PdfText(out);
        EXPECT_NE(text.find("доказано 1, опровергнуто 0, не проверено 0; строк с"), std::string::npos);
        EXPECT_NE(text.find("строка 1, позиция 22"), std::string::npos);
    }

    Shell("'" + tool + "' '" + (dir.path / "none.blk").string() + "' --out '" +
              (dir.path / "a.pdf").string() + "' 2>&1",
          &status);
    EXPECT_EQ(status, 2);
    EXPECT_FALSE(fs::exists(dir.path / "a.pdf"));
    Shell("'" + tool + "' '" EXAMPLES_DIR "/substation.blk' --out '" + (dir.path / "no" / "a.pdf").string() +
              "' 2>&1",
          &status);
    EXPECT_EQ(status, 2);
    Shell("'" + tool + "' 2>&1", &status);
    EXPECT_EQ(status, 2);
}

// A names file gives the TS the table prints without a server: beside the configuration or
// named with --names, in either format; a line it does not understand is reported, not fatal.
TEST(InterlockTable, NamesFromAFileForHeadlessRuns) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TempDir dir;
    fs::copy_file(EXAMPLES_DIR "/substation.blk", dir.path / "sub.blk");
    const std::string tool = REPORT_BINARY;
    const std::string config = (dir.path / "sub.blk").string(), out = (dir.path / "out.pdf").string();
    struct Run {
        const char* name;
        const char* besideFile;  // sub.names, UTF-8; nullptr: none
        const char* namedFile;   // --names FILE, UTF-8; nullptr: none
        int status;
        const char* printed;  // in the PDF; nullptr: no PDF
        const char* stderrHas;
    } runs[] = {
        {"beside", "14 Оперативный ток\nxx плохая строка\n", nullptr, 0, "ТС14 «Оперативный ток» = 1",
         "sub.names: строка 2: "},
        {"points_file_named", "14 Не этот\n", "ts 0 1 14 1 0 Ток из сервера\nts 0 2 14 0 0 Чужой КП\n", 0,
         "ТС14 «Ток из сервера» = 1", ""},
        {"none", nullptr, nullptr, 0, "ТС14 = 1", ""},
    };
    for (const Run& r : runs) {
        fs::remove(dir.path / "sub.names");
        fs::remove(out);
        if (r.besideFile) std::ofstream(dir.path / "sub.names") << cp1251::FromUtf8(r.besideFile);
        std::string command = "'" + tool + "' '" + config + "' --out '" + out + "'";
        if (r.namedFile) {
            std::ofstream(dir.path / "points.txt") << cp1251::FromUtf8(r.namedFile);
            command += " --names '" + (dir.path / "points.txt").string() + "'";
        }
        int status = -1;
        const std::string said = Shell(command + " 2>&1 >/dev/null", &status);
        EXPECT_EQ(status, r.status) << r.name;
        EXPECT_NE(said.find(r.stderrHas), std::string::npos) << r.name << ": " << said;
        std::string text = PdfText(out);
        std::erase(text, '\n');
        EXPECT_NE(text.find(r.printed), std::string::npos) << r.name;
    }
    // A names file named must be there.
    int status = -1;
    Shell("'" + tool + "' '" + config + "' --out '" + out + "' --names '" + (dir.path / "none.txt").string() +
              "' 2>&1",
          &status);
    EXPECT_EQ(status, 2);
}

// The window prints onto the printer the dialogs chose; the names file beside the configuration
// names the TS the window does not know, a name from the server stays.
TEST(InterlockTable, PrintedOnAPrinterWithNamesBesideTheFile) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TempDir dir;
    fs::copy_file(EXAMPLES_DIR "/substation.blk", dir.path / "sub.blk");
    std::ofstream(dir.path / "sub.names") << cp1251::FromUtf8("14 Оперативный ток\n17 Из файла\n");
    auto ws = LoadExample();
    ws->TsTable.Name[17] = cp1251::FromUtf8("Имя от сервера");
    const Workspace before = *ws;
    ui::ScriptedDialogs dialogs;
    analysis::Analyser analyser;
    const fs::path pdf = dir.path / "printer.pdf";
    {
        QPdfWriter printer(QString::fromStdString(pdf.string()));
        dialogs.AnswerPrint(&printer);
        ui::PrintInterlockTable(*ws, dialogs, cp1251::FromUtf8((dir.path / "sub.blk").string()), analyser,
                                ui::PrintTarget::Printer);
    }
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.Log().at(0).print.way, ui::PrintWay::Dialog);
    const std::string text = PdfText(pdf);
    for (const char* label :
         {"ТАБЛИЦА ОПЕРАТИВНЫХ БЛОКИРОВОК", "Оперативный ток", "Имя от сервера", "Лист 1 из "})
        EXPECT_NE(text.find(label), std::string::npos) << label;
    EXPECT_EQ(text.find("Из файла"), std::string::npos);
    EXPECT_EQ(ws->TsTable.Name, before.TsTable.Name);  // the window's own names stay as they were
}

// A diagram longer than a sheet goes on over the next ones; every wire cut at a sheet's end
// ends in a connector naming the next sheet and starts there in one naming the sheet before.
TEST(InterlockTable, LongDiagramsCarryOffSheetConnectors) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto ws = std::make_unique<Workspace>();
    ws->Blocks[1].Name = "Q1";
    ws->Blocks[1].StateSignal = 1;
    std::vector<std::string> on{"M1=AND(S2,S3)", "M2=AND(S4)"};
    // M1 is carried from the first line to the last, past 70 lines of one column.
    for (int i = 0; i < 70; ++i)
        on.push_back("M2=AND(S" + std::to_string(10 + i) + ",S" + std::to_string(90 + i) + ",~S" +
                     std::to_string(170 + i) + ")");
    on.push_back("V1=AND(M1,M2)");
    ws->Blocks[1].OnLogic = on;
    interlock::RecalculateAll(*ws);
    TempDir dir;
    const fs::path pdf = dir.path / "long.pdf";
    ASSERT_EQ(ui::report::WriteInterlockTable(*ws, "", pdf.string()), "");
    if (getenv("KEEP_PDF")) fs::copy_file(pdf, getenv("KEEP_PDF"), fs::copy_options::overwrite_existing);
    const std::string info = Shell("pdfinfo '" + pdf.string() + "'");
    const int pages = std::stoi(info.substr(info.find("Pages:") + 6));
    ASSERT_GE(pages, 4);
    int connectors = 0;
    for (int p = 1; p <= pages; ++p) {
        const std::string text = Shell("pdftotext -f " + std::to_string(p) + " -l " + std::to_string(p) +
                                       " '" + pdf.string() + "' -");
        const size_t to = text.find("на лист ");
        if (to == std::string::npos) continue;
        ++connectors;
        EXPECT_EQ(std::stoi(text.substr(to + strlen("на лист "))), p + 1) << "sheet " << p;
        const std::string next = Shell("pdftotext -f " + std::to_string(p + 1) + " -l " +
                                       std::to_string(p + 1) + " '" + pdf.string() + "' -");
        const size_t from = next.find("с листа ");
        ASSERT_NE(from, std::string::npos) << "sheet " << p + 1;
        EXPECT_EQ(std::stoi(next.substr(from + strlen("с листа "))), p);
        // The zones name where the other end lies: a letter A..F and a number 1..8.
        const std::string zone = next.substr(from + strlen("с листа ") + std::to_string(p).size() + 2, 2);
        EXPECT_TRUE(zone[0] >= 'A' && zone[0] <= 'F' && zone[1] >= '1' && zone[1] <= '8') << zone;
    }
    EXPECT_GE(connectors, 1);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
