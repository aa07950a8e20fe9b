// The mimic's painting, read back from pixels: section colours by energy, a breaker's body by
// its position, the verdict lights; and its SVG and PDF exports under the house's file rules.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "interlock/cp1251.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "tests/topology/support.h"
#include "ui/mimic/mimic_colours.h"
#include "ui/mimic/mimic_painter.h"
#include "ui/widgets/colours.h"

namespace {

namespace fs = std::filesystem;
using mimic::Energy;
using mimic::Light;
using mimic::Look;
using mimic::Position;

std::unique_ptr<interlock::Workspace> Blocks() {
    std::vector<topology::test::BlockSpec> blocks;
    for (int n = 1; n <= 8; ++n)
        blocks.push_back({n, "S" + std::to_string(n), {"V1=AND(S40)"}, {}, "Q" + std::to_string(n)});
    return topology::test::MakeWorkspace(blocks);
}

// An incoming feeder on a busbar with one line bay; block 1 the feeder's breaker.
const std::vector<std::string> kScheme = {"NODE IN",
                                          "NODE SH",
                                          "NODE A",
                                          "NODE B",
                                          "NODE L",
                                          "SOURCE IN",
                                          "BREAKER Q1 IN SH BLOCK 1",
                                          "DISCONNECTOR QS2 SH A BLOCK 2",
                                          "BREAKER Q3 A B BLOCK 3",
                                          "DISCONNECTOR QS4 B L BLOCK 4",
                                          "EARTHING QE5 L BLOCK 5",
                                          "LOAD L",
                                          "INDICATOR S40 SH"};

struct Painted {
    QImage image;
    double scale = 1, dx = 0, dy = 0;

    QColor At(topology::Point p) const {
        return image.pixelColor(static_cast<int>(dx + (p.x) * scale), static_cast<int>(dy + (p.y) * scale));
    }
};

Painted Paint(const mimic::Layout& l, const topology::Topology& t, const Look& look) {
    Painted r;
    r.image =
        QImage(static_cast<int>(l.bounds.w * 2), static_cast<int>(l.bounds.h * 2), QImage::Format_RGB32);
    r.image.fill(Qt::white);
    QPainter p(&r.image);
    mimic::PaintMimic(p, QRectF(0, 0, r.image.width(), r.image.height()), l, t, look);
    p.end();
    r.scale = std::min(r.image.width() / l.bounds.w, r.image.height() / l.bounds.h);
    r.dx = (r.image.width() - l.bounds.w * r.scale) / 2 - l.bounds.x * r.scale;
    r.dy = (r.image.height() - l.bounds.h * r.scale) / 2 - l.bounds.y * r.scale;
    return r;
}

topology::Point Centre(const mimic::Rect& r) { return {r.x + r.w / 2, r.y + r.h / 2}; }

QColor Of(interlock::Colour c) { return ui::ToQColor(c); }

struct PixelCase {
    const char* name;
    Energy bus;
    Position breaker;  // Q3, in the line bay
    Light on;          // Q3's lights
    Light off;
    interlock::Colour busColour;
    interlock::Colour lowerBody;  // inside Q3's body, lower left
    interlock::Colour upperBody;  // and upper right
    interlock::Colour onColour;
    interlock::Colour offColour;
};

class MimicPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(MimicPixels, SectionsSymbolsAndLights) {
    const PixelCase& c = GetParam();
    auto ws = Blocks();
    const topology::Topology t = topology::ReadTopology(kScheme, *ws);
    ASSERT_FALSE(t.HasErrors());
    const mimic::Layout l = mimic::LayOut(t);
    Look look;
    look.nodes.assign(t.nodes.size(), Energy::Dead);
    look.nodes[t.NodeIndex("SH")] = c.bus;
    look.nodes[t.NodeIndex("A")] = c.bus;
    look.elements.assign(t.elements.size(), {});
    look.sourcesOn = {true};
    const int q3 = 2;
    look.elements[q3].position = c.breaker;
    look.elements[q3].on = c.on;
    look.elements[q3].off = c.off;
    const Painted p = Paint(l, t, look);
    const mimic::Symbol& s = l.symbols[l.SymbolOfElement(q3)];
    ASSERT_EQ(l.buses.size(), 1u);
    const mimic::Rect& bar = l.buses[0].bar;
    EXPECT_EQ(p.At({bar.x + bar.w / 2 + 7, bar.y + bar.h / 2}), Of(c.busColour));
    // Inside the body, clear of its outline and of a question mark in the middle.
    EXPECT_EQ(p.At({s.box.x + s.box.w * 0.25, s.box.y + s.box.h * 0.8}), Of(c.lowerBody));
    EXPECT_EQ(p.At({s.box.x + s.box.w * 0.75, s.box.y + s.box.h * 0.2}), Of(c.upperBody));
    EXPECT_EQ(p.At(Centre(s.onLight)), Of(c.onColour));
    EXPECT_EQ(p.At(Centre(s.offLight)), Of(c.offColour));
}

using namespace mimic::colour;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Mimic, MimicPixels, ::testing::Values(
    // A closed breaker is filled with the colour of its section, an open one hollow.
    PixelCase{"live_closed", Energy::Live, Position::Closed, Light::Allowed, Light::Forbidden,
              kLive, kLive, kLive, kAllowed, kForbidden},
    PixelCase{"live_open", Energy::Live, Position::Open, Light::Forbidden, Light::Allowed,
              kLive, kOpenBody, kOpenBody, kForbidden, kAllowed},
    PixelCase{"dead_closed", Energy::Dead, Position::Closed, Light::ForbiddenHint, Light::Error,
              kDead, kDead, kDead, kHint, kError},
    PixelCase{"earthed_closed", Energy::Earthed, Position::Closed, Light::Error, Light::ForbiddenHint,
              kEarthed, kEarthed, kEarthed, kError, kHint},
    // In travel: half filled, between the two positions.
    PixelCase{"travel", Energy::Live, Position::Travel, Light::None, Light::None,
              kLive, kLive, kOpenBody, interlock::colour::kWhite, interlock::colour::kWhite},
    // Unknown: the main window's grey and a question mark, never a filled body.
    PixelCase{"unknown", Energy::Unknown, Position::Unknown, Light::Allowed, Light::Allowed,
              kUnknown, kOpenBody, kOpenBody, kAllowed, kAllowed}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Without a present moment: the scheme alone, in one colour, no lights.
TEST(MimicPaint, EmptyLookPaintsTheStaticScheme) {
    auto ws = Blocks();
    const topology::Topology t = topology::ReadTopology(kScheme, *ws);
    const mimic::Layout l = mimic::LayOut(t);
    const Painted p = Paint(l, t, Look{});
    const mimic::Rect& bar = l.buses[0].bar;
    EXPECT_EQ(p.At({bar.x + bar.w / 2 + 7, bar.y + bar.h / 2}), Of(kStatic));
    const mimic::Symbol& s = l.symbols[l.SymbolOfElement(2)];
    EXPECT_EQ(p.At(Centre(s.box)), Of(kStatic));
    EXPECT_EQ(p.At(Centre(s.onLight)), QColor(Qt::white));
    // A fixed open apparatus is drawn open even so.
    const topology::Topology fixed =
        topology::ReadTopology({"NODE A", "NODE B", "SOURCE A", "LOAD B", "BREAKER Q A B OPEN"}, *ws);
    const mimic::Layout lf = mimic::LayOut(fixed);
    const Painted pf = Paint(lf, fixed, Look{});
    EXPECT_EQ(pf.At(Centre(lf.symbols[lf.SymbolOfElement(0)].box)), Of(kOpenBody));
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(MimicExport, SvgAndPdfWrittenWholeAndNeverOverADirectory) {
    auto ws = Blocks();
    const topology::Topology t = topology::ReadTopology(kScheme, *ws);
    const mimic::Layout l = mimic::LayOut(t);
    const fs::path dir = fs::temp_directory_path() / ("mimic_export_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path svg = dir / "scheme.svg", pdf = dir / "scheme.pdf";
    EXPECT_EQ(mimic::ExportSvg(l, t, Look{}, svg.string()), "");
    EXPECT_EQ(mimic::ExportPdf(l, t, Look{}, pdf.string()), "");
    const std::string s = ReadAll(svg), p = ReadAll(pdf);
    EXPECT_NE(s.find("<svg"), std::string::npos);
    EXPECT_NE(s.find("</svg>"), std::string::npos);
    for (const char* label : {"QS2", "Q3", "QE5", "SH"}) EXPECT_NE(s.find(label), std::string::npos) << label;
    EXPECT_EQ(p.rfind("%PDF", 0), 0u);
    EXPECT_NE(p.find("%%EOF"), std::string::npos);
    // A directory in the way is left as it is, with a reason; so is a missing folder.
    const fs::path blocker = dir / "blocker.svg";
    fs::create_directories(blocker);
    EXPECT_NE(mimic::ExportSvg(l, t, Look{}, blocker.string()), "");
    EXPECT_TRUE(fs::is_directory(blocker));
    EXPECT_NE(mimic::ExportPdf(l, t, Look{}, (dir / "missing" / "x.pdf").string()), "");
    // A drawing taller than any reader's page is scaled onto the largest one.
    topology::Topology deep;
    for (int i = 0; i <= 2000; ++i) deep.nodes.push_back({"N" + std::to_string(i), i + 1, std::nullopt});
    for (int i = 1; i <= 2000; ++i) {
        topology::Element e;
        e.kind = topology::Kind::Cable;
        e.a = i - 1;
        e.b = i;
        deep.elements.push_back(e);
    }
    const mimic::Layout tall = mimic::LayOut(deep);
    ASSERT_GT(tall.bounds.h, 100000);
    const fs::path big = dir / "tall.pdf";
    EXPECT_EQ(mimic::ExportPdf(tall, deep, Look{}, big.string()), "");
    const std::string bytes = ReadAll(big);
    const size_t box = bytes.find("/MediaBox");
    ASSERT_NE(box, std::string::npos);
    std::istringstream numbers(bytes.substr(bytes.find('[', box) + 1, 80));
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    numbers >> x0 >> y0 >> x1 >> y1;
    EXPECT_LE(y1 - y0, 14400.5);
    EXPECT_GT(y1 - y0, 14000);
    fs::remove(big);
    // No temporary left behind.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
    EXPECT_EQ(files, 2);
    fs::remove_all(dir);
}

// MIMIC_SHOT=file.png: the example's mimic (or MIMIC_TOP's, over blocks 1..8), static, for a
// look at it.
TEST(MimicPaint, Shot) {
    const char* shot = std::getenv("MIMIC_SHOT");
    if (!shot) GTEST_SKIP();
    const char* other = std::getenv("MIMIC_TOP");
    auto ws = other ? Blocks() : std::make_unique<interlock::Workspace>();
    if (!other) {
        const storage::ReadResult blk = storage::ReadWholeFile(EXAMPLES_DIR "/substation.blk");
        ASSERT_TRUE(storage::Read_Config_Text(*ws, storage::SplitLines(blk.bytes)));
        interlock::RecalculateAll(*ws);
    }
    const storage::ReadResult top = storage::ReadWholeFile(other ? other : EXAMPLES_DIR "/substation.top");
    const topology::Topology t = topology::ReadTopology(storage::SplitLines(top.bytes), *ws);
    const mimic::Layout l = mimic::LayOut(t);
    Painted p = Paint(l, t, Look{});
    p.image.save(shot);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
