#include "ui/mimic/mimic_painter.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "interlock/cp1251.h"
#include "storage/file_io.h"
#include "ui/mimic/mimic_colours.h"
#include "ui/mimic/mimic_texts.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/qt_text.h"

namespace mimic {
namespace {

QPointF Q(topology::Point p) { return {p.x, p.y}; }
QRectF Q(const Rect& r) { return {r.x, r.y, r.w, r.h}; }

QColor Of(interlock::Colour c) { return ui::ToQColor(c); }

// What one painting needs to know of the present moment; all static when the look is empty.
class Scene {
public:
    Scene(const topology::Topology& t, const Look& look) : t_(t), look_(look) {
        live_ = look.nodes.size() == t.nodes.size() && !t.nodes.empty();
    }

    QColor Node(int node) const {
        if (!live_ || node < 0 || static_cast<size_t>(node) >= look_.nodes.size()) return Of(colour::kStatic);
        return EnergyColour(look_.nodes[node]);
    }

    static QColor EnergyColour(Energy e) {
        switch (e) {
            case Energy::Live:
                return Of(colour::kLive);
            case Energy::Dead:
                return Of(colour::kDead);
            case Energy::Earthed:
                return Of(colour::kEarthed);
            case Energy::Unknown:
                break;
        }
        return Of(colour::kUnknown);
    }

    // An apparatus takes the colour of the stronger of its two sides: live over earthed over
    // unknown over dead.
    QColor Element(int element) const {
        const topology::Element& e = t_.elements[element];
        if (!live_) return Of(colour::kStatic);
        auto energy = [&](int node) {
            return node >= 0 && static_cast<size_t>(node) < look_.nodes.size() ? look_.nodes[node]
                                                                               : Energy::Unknown;
        };
        const Energy a = energy(e.a);
        const Energy b = e.b >= 0 ? energy(e.b) : a;
        for (Energy k : {Energy::Live, Energy::Earthed, Energy::Unknown})
            if (a == k || b == k) return EnergyColour(k);
        return EnergyColour(Energy::Dead);
    }

    const ElementLook* Apparatus(int element) const {
        if (element < 0 || static_cast<size_t>(element) >= look_.elements.size()) return nullptr;
        return &look_.elements[element];
    }

    bool SourceOn(int source) const {
        if (source < 0 || static_cast<size_t>(source) >= look_.sourcesOn.size()) return true;
        return look_.sourcesOn[source];
    }

    bool Live() const { return live_; }

private:
    const topology::Topology& t_;
    const Look& look_;
    bool live_ = false;
};

// The position an apparatus is drawn in: the look's, or (static) its fixed one, else closed.
Position PositionOf(const topology::Element& e, const ElementLook* look) {
    if (look && look->position != Position::None) return look->position;
    if (e.binding == topology::Binding::Fixed) return e.fixedClosed ? Position::Closed : Position::Open;
    return Position::Closed;
}

// Draws a symbol along the y axis, from pinA at y = -half to pinB at y = +half, in local
// coordinates; the caller rotates and places it.
struct Local {
    QPainter& p;
    double half;  // half the symbol's length along the wire
    double across;
};

void Question(QPainter& p, const QRectF& r, const QColor& c) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(static_cast<int>(std::max(8.0, std::min(r.width(), r.height()) * 0.8)));
    f.setBold(true);
    p.save();
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
    p.restore();
}

void DrawBreaker(Local l, Position pos, const QColor& c) {
    const QRectF body(-l.across / 2, -l.half, l.across, 2 * l.half);
    QPen pen(c, 1.6);
    if (pos == Position::Travel || pos == Position::Unknown) pen.setStyle(Qt::DashLine);
    l.p.setPen(pen);
    switch (pos) {
        case Position::Closed:
        case Position::None:
            l.p.setBrush(c);
            l.p.drawRect(body);
            break;
        case Position::Open:
            l.p.setBrush(Of(colour::kOpenBody));
            l.p.drawRect(body);
            break;
        case Position::Travel: {
            // Half filled: between the two positions.
            l.p.setBrush(Of(colour::kOpenBody));
            l.p.drawRect(body);
            l.p.setPen(Qt::NoPen);
            l.p.setBrush(c);
            QPolygonF half;
            half << body.topLeft() << body.bottomRight() << body.bottomLeft();
            l.p.drawPolygon(half);
            break;
        }
        case Position::Unknown:
            l.p.setBrush(Of(colour::kOpenBody));
            l.p.drawRect(body);
            Question(l.p, body, c);
            break;
    }
}

// A blade hinged at pinB's side: along the wire when closed, at 30 degrees when open, at 15
// and dashed in travel.
void DrawBlade(Local l, Position pos, const QColor& c, double length) {
    const QPointF hinge(0, -l.half + length);
    const QPointF contact(0, -l.half);
    QPen pen(c, 2);
    pen.setCapStyle(Qt::RoundCap);
    double angle = 0;
    if (pos == Position::Open) angle = 30;
    if (pos == Position::Travel) {
        angle = 15;
        pen.setStyle(Qt::DashLine);
    }
    if (pos == Position::Unknown) {
        angle = 30;
        pen.setStyle(Qt::DotLine);
    }
    const double rad = angle * M_PI / 180;
    const QPointF tip(hinge.x() - length * std::sin(rad), hinge.y() - length * std::cos(rad));
    l.p.setPen(pen);
    l.p.drawLine(hinge, tip);
    // The fixed contact: a short bar across the wire.
    l.p.setPen(QPen(c, 1.6));
    l.p.drawLine(QPointF(-l.across / 3, contact.y()), QPointF(l.across / 3, contact.y()));
    l.p.setBrush(c);
    l.p.drawEllipse(hinge, 1.6, 1.6);
    if (pos == Position::Unknown) Question(l.p, QRectF(0, -l.half, l.across / 2 + 4, length), c);
}

void DrawEarth(QPainter& p, QPointF at, double dir, const QColor& c) {
    p.setPen(QPen(c, 1.6));
    p.drawLine(at, at + QPointF(0, dir * 3));
    for (int i = 0; i < 3; ++i) {
        const double y = at.y() + dir * (3 + 3.5 * i);
        const double w = 8 - 2.6 * i;
        p.drawLine(QPointF(at.x() - w, y), QPointF(at.x() + w, y));
    }
}

void DrawLight(QPainter& p, const Rect& r, Light light) {
    if (r.w <= 0 || light == Light::None) return;
    interlock::Colour c = colour::kAllowed;
    if (light == Light::Forbidden) c = colour::kForbidden;
    if (light == Light::ForbiddenHint) c = colour::kHint;
    if (light == Light::Error) c = colour::kError;
    p.setPen(QPen(QColor(40, 40, 40), 0.8));
    p.setBrush(Of(c));
    p.drawEllipse(Q(r));
}

void DrawSymbol(QPainter& p, const Symbol& s, const topology::Topology& t, const Scene& scene) {
    const QPointF a = Q(s.pinA), b = Q(s.pinB);
    const QRectF box = Q(s.box);
    p.save();
    switch (s.kind) {
        case SymbolKind::Source: {
            const bool on = scene.SourceOn(s.index);
            const QColor c = !scene.Live() ? Of(colour::kStatic) : on ? Of(colour::kLive) : Of(colour::kDead);
            const QPointF centre = box.center();
            const double r = std::min(box.width(), box.height()) / 2;
            p.setPen(QPen(c, 1.6));
            p.setBrush(Of(colour::kOpenBody));
            p.drawEllipse(centre, r, r);
            QPainterPath sine;
            for (int i = 0; i <= 16; ++i) {
                const double x = -r * 0.6 + 1.2 * r * i / 16.0;
                const double y = -r * 0.35 * std::sin(2 * M_PI * i / 16.0);
                if (i == 0)
                    sine.moveTo(centre + QPointF(x, y));
                else
                    sine.lineTo(centre + QPointF(x, y));
            }
            p.setBrush(Qt::NoBrush);
            p.drawPath(sine);
            break;
        }
        case SymbolKind::Load: {
            const QColor c = scene.Node(t.loads[s.index].node);
            // An arrow pointing away from the node.
            const double dir = a.y() < box.center().y() ? 1 : -1;
            const QPointF tip(a.x(), a.y() + dir * box.height());
            p.setPen(QPen(c, 1.8));
            p.drawLine(a, tip);
            QPolygonF head;
            head << tip << QPointF(tip.x() - box.width() / 2, tip.y() - dir * 8)
                 << QPointF(tip.x() + box.width() / 2, tip.y() - dir * 8);
            p.setBrush(c);
            p.drawPolygon(head);
            break;
        }
        default: {
            const topology::Element& e = t.elements[s.index];
            const ElementLook* look = scene.Apparatus(s.index);
            const Position pos = PositionOf(e, look);
            QColor c = scene.Element(s.index);
            if (look && (look->unreliable || look->position == Position::Unknown)) c = Of(colour::kUnknown);
            // Local frame: pinA up, along the y axis.
            const QPointF mid = (a + b) / 2;
            const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
            const double angle = std::atan2(b.y() - a.y(), b.x() - a.x()) * 180 / M_PI - 90;
            p.translate(mid);
            p.rotate(angle);
            const double across = s.vertical ? s.box.w : s.box.h;
            const Local l{p, len / 2, across};
            switch (s.kind) {
                case SymbolKind::Breaker:
                    DrawBreaker(l, pos, c);
                    break;
                case SymbolKind::Disconnector:
                    DrawBlade(l, pos, c, len);
                    break;
                case SymbolKind::Earthing:
                    DrawBlade(l, pos, c, len);
                    break;
                case SymbolKind::Cable: {
                    p.setPen(QPen(c, 2));
                    p.drawLine(QPointF(0, -l.half), QPointF(0, l.half));
                    p.setPen(QPen(c, 1.2));
                    p.drawLine(QPointF(-across / 2, -3), QPointF(across / 2, -1));
                    p.drawLine(QPointF(-across / 2, 1), QPointF(across / 2, 3));
                    break;
                }
                case SymbolKind::Transformer: {
                    const double r = across / 2;
                    p.setBrush(Qt::NoBrush);
                    p.setPen(QPen(scene.Node(e.a), 1.6));
                    p.drawEllipse(QPointF(0, -l.half + r), r, r);
                    p.setPen(QPen(scene.Node(e.b), 1.6));
                    p.drawEllipse(QPointF(0, l.half - r), r, r);
                    break;
                }
                default:
                    break;
            }
            p.restore();
            p.save();
            if (s.kind == SymbolKind::Earthing) {
                const double dir = b.y() >= a.y() ? 1 : -1;
                DrawEarth(p, b, dir, c);
            }
            if (look) {
                DrawLight(p, s.onLight, look->on);
                DrawLight(p, s.offLight, look->off);
            }
            break;
        }
    }
    p.restore();
}

}  // namespace

void PaintMimic(QPainter& p, const QRectF& target, const Layout& layout, const topology::Topology& topology,
                const Look& look) {
    const Rect& all = layout.bounds;
    if (all.w <= 0 || all.h <= 0 || target.width() <= 0 || target.height() <= 0) return;
    const Scene scene(topology, look);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double scale = std::min(target.width() / all.w, target.height() / all.h);
    p.translate(target.x() + (target.width() - all.w * scale) / 2,
                target.y() + (target.height() - all.h * scale) / 2);
    p.scale(scale, scale);
    p.translate(-all.x, -all.y);

    for (const Wire& w : layout.wires) {
        if (w.points.size() < 2) continue;
        QPen pen(scene.Node(w.node), 1.6);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath path(Q(w.points[0]));
        for (size_t i = 1; i < w.points.size(); ++i) path.lineTo(Q(w.points[i]));
        p.drawPath(path);
    }
    for (const Bus& b : layout.buses) {
        p.setPen(Qt::NoPen);
        p.setBrush(scene.Node(b.node));
        p.drawRect(Q(b.bar));
    }
    // A dot where a wire joins a busbar or three wires meet, so that a wire crossing a bar or
    // another wire without a dot reads as no connection.
    std::vector<int> busOf(topology.nodes.size(), -1);
    for (size_t i = 0; i < layout.buses.size(); ++i)
        if (layout.buses[i].node >= 0 && static_cast<size_t>(layout.buses[i].node) < busOf.size())
            busOf[layout.buses[i].node] = static_cast<int>(i);
    std::map<std::tuple<int, double, double>, int> ends;
    for (const Wire& w : layout.wires)
        if (w.points.size() >= 2) ++ends[{w.node, w.points.back().x, w.points.back().y}];
    p.setPen(Qt::NoPen);
    for (const auto& [key, count] : ends) {
        const int node = std::get<0>(key);
        const bool bus = node >= 0 && static_cast<size_t>(node) < busOf.size() && busOf[node] >= 0;
        if (!bus && count < 3) continue;
        p.setBrush(scene.Node(node));
        p.drawEllipse(QPointF(std::get<1>(key), std::get<2>(key)), 3.4, 3.4);
    }
    for (const Symbol& s : layout.symbols) DrawSymbol(p, s, topology, scene);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const QFontMetricsF fm(font);
    p.setFont(font);
    p.setPen(Of(colour::kStatic));
    auto label = [&](const Rect& r, const std::string& text, Qt::Alignment align) {
        if (r.w <= 0 || text.empty()) return;
        p.drawText(Q(r), align | Qt::AlignVCenter,
                   fm.elidedText(ui::ToQString(text), Qt::ElideRight, r.w + 2));
    };
    for (const Bus& b : layout.buses) label(b.labelBox, b.label, Qt::AlignLeft);
    for (const Symbol& s : layout.symbols)
        label(s.labelBox, s.label, s.vertical ? Qt::AlignLeft : Qt::AlignHCenter);
    p.restore();
}

namespace {

std::string WriteOut(const std::string& path, const QByteArray& bytes) {
    const storage::WriteResult r =
        storage::WriteFileAtomically(path, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    return r ? std::string() : cp1251::ToUtf8(storage::SystemErrorText(r.errorCode));
}

}  // namespace

std::string ExportSvg(const Layout& layout, const topology::Topology& topology, const Look& look,
                      const std::string& path) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        const QSizeF size(layout.bounds.w, layout.bounds.h);
        svg.setSize(
            QSize(static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))));
        svg.setViewBox(QRectF(QPointF(0, 0), size));
        svg.setTitle(ui::ToQString(Texts().title));
        QPainter p;
        if (!p.begin(&svg)) return "SVG";
        PaintMimic(p, QRectF(QPointF(0, 0), size), layout, topology, look);
        p.end();
    }
    return WriteOut(path, file.data());
}

std::string ExportPdf(const Layout& layout, const topology::Topology& topology, const Look& look,
                      const std::string& path) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(ui::ToQString(Texts().title));
        pdf.setCreator(QStringLiteral("interlocks"));
        pdf.setResolution(72);
        // One page the size of the drawing, within the largest page readers accept (200 inches a
        // side): a larger drawing is scaled down onto it.
        constexpr double kLargest = 14400;
        const double fit = std::min(
            {1.0, kLargest / std::max(layout.bounds.w, 1.0), kLargest / std::max(layout.bounds.h, 1.0)});
        const QSizeF size(std::max(layout.bounds.w * fit, 72.0), std::max(layout.bounds.h * fit, 72.0));
        pdf.setPageSize(QPageSize(size, QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        if (!p.begin(&pdf)) return "PDF";
        PaintMimic(p, QRectF(QPointF(0, 0), size), layout, topology, look);
        p.end();
    }
    return WriteOut(path, file.data());
}

}  // namespace mimic
