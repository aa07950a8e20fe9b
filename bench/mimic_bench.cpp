// The mimic on the heaviest configuration with its 32-apparatus topology: the automatic layout,
// and the repaint after a TS change (a window-sized image painted with a look that differs from
// the last one: a breaker's position, the sections' energy and the lights).
//
// Figures are medians of repeated runs, in milliseconds.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "bench/machine.h"
#include "bench/topology32.h"
#include "bench/worst_case.h"
#include "topology/topology.h"
#include "ui/mimic/mimic_layout.h"
#include "ui/mimic/mimic_look.h"
#include "ui/mimic/mimic_painter.h"

namespace {

// The median and the best of repeated runs: the build machine is shared, and the best run shows
// what the code costs when nothing else competes for the core.
struct Figure {
    double median = 0, best = 0;
};

Figure Time(int runs, const std::function<void(int)>& body) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body(i);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

// The moment after the `step`th TS change: one apparatus moved, the sections around it
// re-coloured, its lights turned.
mimic::Look LookAfter(const topology::Topology& t, int step) {
    mimic::Look look;
    look.nodes.assign(t.nodes.size(), mimic::Energy::Live);
    look.elements.assign(t.elements.size(), {});
    look.sourcesOn.assign(t.sources.size(), true);
    for (size_t i = 0; i < t.elements.size(); ++i) {
        mimic::ElementLook& e = look.elements[i];
        e.position = mimic::Position::Closed;
        e.on = mimic::Light::Forbidden;
        e.off = mimic::Light::Allowed;
    }
    const size_t moved = static_cast<size_t>(step) % t.elements.size();
    look.elements[moved].position = step % 2 ? mimic::Position::Open : mimic::Position::Travel;
    look.elements[moved].on = mimic::Light::Allowed;
    look.elements[moved].off = mimic::Light::ForbiddenHint;
    const int a = t.elements[moved].a;
    if (a >= 0) look.nodes[a] = step % 3 ? mimic::Energy::Dead : mimic::Energy::Earthed;
    return look;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    auto ws = std::make_unique<interlock::Workspace>();
    worst_case::Build(*ws);
    const topology::Topology t = topology::ReadTopology(worst_case::Topology32(), *ws);
    int apparatus = 0;
    for (const topology::Element& e : t.elements) apparatus += e.IsApparatus();

    mimic::Layout layout;
    const Figure lay = Time(201, [&](int) { layout = mimic::LayOut(t); });

    // A window of the usual size, painted from scratch as the window's paint event does.
    QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
    std::vector<mimic::Look> looks;
    for (int i = 0; i < 64; ++i) looks.push_back(LookAfter(t, i));
    const Figure repaint = Time(201, [&](int i) {
        image.fill(Qt::white);
        QPainter p(&image);
        mimic::PaintMimic(p, QRectF(0, 0, image.width(), image.height()), layout, t, looks[i % looks.size()]);
    });
    const Figure still = Time(51, [&](int) {
        image.fill(Qt::white);
        QPainter p(&image);
        mimic::PaintMimic(p, QRectF(0, 0, image.width(), image.height()), layout, t, mimic::Look{});
    });

    std::printf("mimic of the heaviest configuration's topology: %d apparatus, %zu symbols, %zu wires\n",
                apparatus, layout.symbols.size(), layout.wires.size());
    std::printf("  layout:                              median %7.3f ms, best %7.3f ms (target 20 ms)\n",
                lay.median, lay.best);
    std::printf("  repaint after a TS change, 1280x800: median %7.3f ms, best %7.3f ms (target 2 ms)\n",
                repaint.median, repaint.best);
    std::printf("  the static scheme, 1280x800:         median %7.3f ms, best %7.3f ms\n", still.median,
                still.best);
    std::printf("load average %s, resident %ld KiB\n", machine::LoadAverages().c_str(),
                machine::ResidentKib());
    return 0;
}
