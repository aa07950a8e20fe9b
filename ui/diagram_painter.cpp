#include "ui/diagram_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "interlock/workspace.h"
#include "ui/colors.h"
#include "ui/qt_text.h"

namespace ui::diagram {
namespace {

QPointF Q(Point p) { return {p.x, p.y}; }

QFont LabelFont(const Label& l) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(l.small ? 9 : 11);
    f.setBold(l.bold);
    return f;
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

void Paint(QPainter& p, const Diagram& d) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);

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
        p.drawText(QPointF(14, d.title.empty() ? 18 : 48), ToQString(d.note));
    }

    for (const Wire& w : d.wires) {
        if (w.path.size() < 2) continue;
        QPen pen(ColourOf(w.tone), w.emphasised ? 3.2 : 1.4);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        QPainterPath path(Q(w.path[0]));
        for (size_t i = 1; i < w.path.size(); ++i) path.lineTo(Q(w.path[i]));
        p.drawPath(path);
    }

    for (const Gate& g : d.gates) {
        QPen pen(ColourOf(g.tone), g.emphasised ? 2.6 : 1.4);
        p.setPen(pen);
        p.setBrush(g.emphasised ? QColor(255, 240, 200) : QColor(Qt::white));
        p.drawRect(QRectF(g.box.x, g.box.y, g.box.w, g.box.h));
        p.setBrush(Qt::NoBrush);
        for (const Pin& in : g.inputs)
            if (in.bubble) Bubble(p, QPointF(in.at.x - 4, in.at.y));
        if (g.negated) Bubble(p, QPointF(g.box.x + g.box.w + 4, g.box.y + g.box.h / 2));
    }

    for (const Terminal& t : d.terminals) {
        p.setPen(QPen(ColourOf(t.tone), 2));
        p.setBrush(t.tone == Tone::Neither ? QColor(Qt::white) : ColourOf(t.tone).lighter(185));
        p.drawRoundedRect(QRectF(t.box.x, t.box.y, t.box.w, t.box.h), 4, 4);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRectF(t.box.x, t.box.y, t.box.w, t.box.h), Qt::AlignCenter, ToQString(t.text));
        p.setBrush(Qt::NoBrush);
    }

    for (const Label& l : d.labels) {
        const QFont f = LabelFont(l);
        p.setFont(f);
        p.setPen(l.small && l.tone == Tone::Neither ? QColor(90, 90, 90) : ColourOf(l.tone));
        QString text = ToQString(l.text);
        const QFontMetricsF fm(f);
        if (l.maxWidth > 0) text = fm.elidedText(text, Qt::ElideRight, l.maxWidth);
        double x = l.at.x;
        if (l.align == Label::Align::Right) x -= fm.horizontalAdvance(text);
        if (l.align == Label::Align::Centre) x -= fm.horizontalAdvance(text) / 2;
        p.drawText(QPointF(x, l.at.y), text);
    }
    p.restore();
}

std::string ExportSvg(const Diagram& d, const std::string& path) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return file.errorString().toStdString();
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(QSize(static_cast<int>(d.width + 1), static_cast<int>(d.height + 1)));
        svg.setViewBox(QRectF(0, 0, d.width, d.height));
        svg.setTitle(ToQString(d.title));
        QPainter p;
        if (!p.begin(&svg)) {
            file.cancelWriting();
            return "SVG";
        }
        Paint(p, d);
        p.end();
    }
    if (!file.commit()) return file.errorString().toStdString();
    return {};
}

std::string ExportPdf(const Diagram& d, const std::string& path) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return file.errorString().toStdString();
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(ToQString(d.title));
        pdf.setCreator(QStringLiteral("interlocks"));
        pdf.setResolution(72);
        // One page the size of the drawing, so it stays whole at any length.
        pdf.setPageSize(QPageSize(QSizeF(d.width, d.height), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        if (!p.begin(&pdf)) {
            file.cancelWriting();
            return "PDF";
        }
        Paint(p, d);
        p.end();
    }
    if (!file.commit()) return file.errorString().toStdString();
    return {};
}

}  // namespace ui::diagram
