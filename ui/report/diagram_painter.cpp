#include "ui/report/diagram_painter.h"

#include <QFont>
#include <algorithm>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QBuffer>
#include <QSvgGenerator>
#include <optional>

#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "storage/file_io.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/qt_text.h"

namespace ui::diagram {
namespace {

QPointF Q(Point p) { return {p.x, p.y}; }

// The four label fonts with their metrics, made once per painting.
struct LabelFonts {
    QFont font[2][2];  // [small][bold]
    std::optional<QFontMetricsF> metrics[2][2];

    LabelFonts() {
        for (int small = 0; small < 2; ++small)
            for (int bold = 0; bold < 2; ++bold) {
                QFont& f = font[small][bold];
                f = QFont(QStringLiteral("DejaVu Sans"));
                f.setPixelSize(small ? 9 : 11);
                f.setBold(bold);
                metrics[small][bold].emplace(f);
            }
    }
};

bool Meets(const Rect& a, double x0, double y0, double x1, double y1) {
    return x1 >= a.x && x0 <= a.x + a.w && y1 >= a.y && y0 <= a.y + a.h;
}

void Bubble(QPainter& p, QPointF centre) {
    p.save();
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 3.6, 3.6);
    p.restore();
}

}  // namespace

QColor ColourOf(Tone tone) {
    switch (tone) {
        case Tone::True:
            return ToQColor(interlock::colour::kGreen);
        case Tone::False:
            return ToQColor(interlock::colour::kRed);
        case Tone::Unreliable:
            return ToQColor(interlock::colour::kGrey);
        case Tone::Neither:
            break;
    }
    return ToQColor(interlock::colour::kBlack);
}

void Paint(QPainter& p, const Diagram& d, const Rect* visible) {
    const Rect all{-1e9, -1e9, 2e9, 2e9};
    const Rect& view = visible ? *visible : all;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);

    // What a search found: a yellow mark behind the drawing.
    if (!d.found.empty()) {
        p.setPen(QPen(QColor(230, 170, 0), 1.5));
        p.setBrush(QColor(255, 236, 120));
        for (const Rect& r : d.found) p.drawRoundedRect(QRectF(r.x, r.y, r.w, r.h), 3, 3);
        p.setBrush(Qt::NoBrush);
    }

    QFont titleFont(QStringLiteral("DejaVu Sans"));
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.setPen(Qt::black);
    if (!d.title.empty()) p.drawText(QPointF(14, 28), ToQString(d.title));
    if (!d.note.empty()) {
        QFont noteFont(QStringLiteral("DejaVu Sans"));
        noteFont.setPixelSize(11);
        p.setFont(noteFont);
        p.setPen(ColourOf(Tone::False));
        p.drawText(QPointF(14, d.title.empty() ? 18 : 48),
                   QFontMetricsF(noteFont).elidedText(ToDisplayText(d.note).simplified(), Qt::ElideRight,
                                                      std::max(100.0, d.width - 28)));
    }

    for (const Wire& w : d.wires) {
        if (w.path.size() < 2) continue;
        double x0 = w.path[0].x, x1 = x0, y0 = w.path[0].y, y1 = y0;
        for (const Point& pt : w.path) {
            x0 = std::min(x0, pt.x), x1 = std::max(x1, pt.x);
            y0 = std::min(y0, pt.y), y1 = std::max(y1, pt.y);
        }
        if (!Meets(view, x0 - 4, y0 - 4, x1 + 4, y1 + 4)) continue;
        QPen pen(ColourOf(w.tone), w.emphasised ? 3.2 : 1.4);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        QPainterPath path(Q(w.path[0]));
        for (size_t i = 1; i < w.path.size(); ++i) path.lineTo(Q(w.path[i]));
        p.drawPath(path);
    }

    for (const Gate& g : d.gates) {
        if (!Meets(view, g.box.x - 12, g.box.y - 16, g.box.x + g.box.w + 12, g.box.y + g.box.h + 4)) continue;
        QPen pen(ColourOf(g.tone), g.emphasised ? 2.6 : 1.4);
        p.setPen(pen);
        p.setBrush(g.emphasised ? QColor(255, 240, 200) : QColor(Qt::white));
        p.drawRect(QRectF(g.box.x, g.box.y, g.box.w, g.box.h));
        p.setBrush(Qt::NoBrush);
        if (g.negated) Bubble(p, QPointF(g.box.x + g.box.w + 4, g.box.y + g.box.h / 2));
        for (const Pin& in : g.inputs) {
            if (!in.bubble) continue;
            p.setPen(QPen(ColourOf(in.tone), 1.4));
            Bubble(p, QPointF(in.at.x - 4, in.at.y));
        }
    }

    for (const Terminal& t : d.terminals) {
        p.setPen(QPen(ColourOf(t.tone), 2));
        // A pale tint of the value's colour, so that the text stays black on it.
        const QColor c = ColourOf(t.tone);
        const auto tint = [](int v) { return 255 - (255 - v) / 4; };
        p.setBrush(t.tone == Tone::Neither ? QColor(Qt::white)
                                           : QColor(tint(c.red()), tint(c.green()), tint(c.blue())));
        p.drawRoundedRect(QRectF(t.box.x, t.box.y, t.box.w, t.box.h), 4, 4);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRectF(t.box.x, t.box.y, t.box.w, t.box.h), Qt::AlignCenter, ToQString(t.text));
        p.setBrush(Qt::NoBrush);
    }

    const LabelFonts fonts;
    for (const Label& l : d.labels) {
        // A label reaches at most its limit (or 400 units) from its anchor.
        const double reach = l.maxWidth > 0 ? l.maxWidth : 400;
        if (!Meets(view, l.at.x - reach, l.at.y - 14, l.at.x + reach, l.at.y + 4)) continue;
        p.setFont(fonts.font[l.small][l.bold]);
        p.setPen(l.small && l.tone == Tone::Neither ? QColor(90, 90, 90) : ColourOf(l.tone));
        QString text = ToQString(l.text);
        const QFontMetricsF& fm = *fonts.metrics[l.small][l.bold];
        if (l.maxWidth > 0) text = fm.elidedText(text, Qt::ElideRight, l.maxWidth);
        double x = l.at.x;
        if (l.align == Label::Align::Right) x -= fm.horizontalAdvance(text);
        if (l.align == Label::Align::Centre) x -= fm.horizontalAdvance(text) / 2;
        p.drawText(QPointF(x, l.at.y), text);
    }
    p.restore();
}

// The drawing is made in memory and written by the one file writer: a regular file is
// replaced whole, a pipe or a device is written through. The system's text on failure.
std::string WriteOut(const std::string& path, const QByteArray& bytes) {
    const storage::WriteResult r =
        storage::WriteFileAtomically(path, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    return r ? std::string() : cp1251::ToUtf8(storage::SystemErrorText(r.errorCode));
}

std::string ExportSvg(const Diagram& d, const std::string& path) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(QSize(static_cast<int>(d.width + 1), static_cast<int>(d.height + 1)));
        svg.setViewBox(QRectF(0, 0, d.width, d.height));
        svg.setTitle(ToQString(d.title));
        QPainter p;
        if (!p.begin(&svg)) return "SVG";
        Paint(p, d);
        p.end();
    }
    return WriteOut(path, file.data());
}

std::string ExportPdf(const Diagram& d, const std::string& path) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(ToQString(d.title));
        pdf.setCreator(QStringLiteral("interlocks"));
        pdf.setResolution(72);
        // One page the size of the drawing, so it stays whole at any length.
        pdf.setPageSize(QPageSize(QSizeF(d.width, d.height), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        if (!p.begin(&pdf)) return "PDF";
        Paint(p, d);
        p.end();
    }
    return WriteOut(path, file.data());
}

}  // namespace ui::diagram
