#include "ui/report/interlock_report.h"

#include "topology/proof.h"
#include "topology/topology_texts.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QDate>
#include <algorithm>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <memory>
#include <optional>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "analysis/analysis_texts.h"
#include "ui/model/analysis_page_texts.h"
#include "ui/mimic/mimic_painter.h"
#include "ui/mimic/mimic_texts.h"
#include "ui/model/diagram_layout.h"
#include "ui/model/report_texts.h"
#include "ui/model/window_analysis_texts.h"
#include "sequences/sequences_texts.h"
#include "ui/report/diagram_painter.h"
#include "ui/widgets/qt_text.h"

namespace ui::report {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }
QString Q(const std::string& cp1251) { return ToQString(cp1251); }
const ReportTexts& R() { return ReportWords(); }
const PageTexts& P() { return PageWords(); }

QString OneLine(const std::string& text) {
    QString s = ToDisplayText(text);
    s.replace('\n', ' ');
    return s.simplified();
}

constexpr int kResolution = 600;

// A4 in points with the margins of a filed document: wider on the left for the binding.
constexpr double kPageW = 595.3, kPageH = 841.9;
constexpr double kLeft = 57, kRight = 34, kTop = 40, kBottom = 46;
constexpr double kWidth = kPageW - kLeft - kRight;

QFont Font(double points, bool bold = false, bool mono = false) {
    QFont f(mono ? U("DejaVu Sans Mono") : U("DejaVu Sans"));
    // The painter already scales points to the writer's dots.
    f.setPointSizeF(points * 72.0 / kResolution);
    f.setBold(bold);
    return f;
}

// Writes flowing text page by page, in points.
class Sheet {
public:
    Sheet(QPagedPaintDevice& writer, QPainter& painter, QString file, QString date, int total)
        : writer_(writer), p_(painter), file_(std::move(file)), date_(std::move(date)), total_(total) {
        p_.scale(kResolution / 72.0, kResolution / 72.0);
        Furniture();
    }

    void NewPage() {
        writer_.newPage();
        ++page_;
        Furniture();
    }
    double Left() const { return kPageH - kBottom - y_; }
    void Need(double h) {
        if (y_ + h > kPageH - kBottom) NewPage();
    }
    void Skip(double h) { y_ += h; }
    double Y() const { return y_; }

    // A paragraph at `indent`, wrapped to the text width.
    void Text(const QString& text, const QFont& font, double indent = 0, QColor colour = Qt::black,
              int align = Qt::AlignLeft) {
        p_.setFont(font);
        const QRectF area(kLeft + indent, 0, kWidth - indent, 1e5);
        const QRectF r = p_.boundingRect(area, align | Qt::TextWordWrap, text);
        Need(r.height());
        p_.setPen(colour);
        p_.drawText(QRectF(kLeft + indent, y_, kWidth - indent, r.height() + 1), align | Qt::TextWordWrap,
                    text);
        y_ += r.height();
    }

    // A term of a condition: the joiner in its own narrow column, then the wrapped term.
    void Term(const QString& joiner, const QString& plain, double indent) {
        // "ТС7 = 1" is never broken across lines.
        QString text = plain;
        text.replace(QStringLiteral(" = "), QStringLiteral("\u00A0=\u00A0"));
        const QFont f = Font(10);
        const double jw = 34;
        p_.setFont(f);
        const QRectF r = p_.boundingRect(QRectF(0, 0, kWidth - indent - jw, 1e5), Qt::TextWordWrap, text);
        Need(r.height());
        p_.setFont(Font(10, true));
        p_.setPen(Qt::black);
        p_.drawText(QRectF(kLeft + indent, y_, jw, r.height()), Qt::AlignLeft | Qt::AlignTop, joiner);
        p_.setFont(f);
        p_.drawText(QRectF(kLeft + indent + jw, y_, kWidth - indent - jw, r.height() + 1), Qt::TextWordWrap,
                    text);
        y_ += r.height() + 1.5;
    }

    void Rule(double weight = 0.6) {
        p_.setPen(QPen(Qt::black, weight));
        p_.drawLine(QPointF(kLeft, y_), QPointF(kPageW - kRight, y_));
    }

    // A diagram scaled to the text width (never enlarged), on a new page when too little is left.
    // A diagram scaled to the text width (never enlarged). One that is taller than a page goes
    // on over the next pages, cut between the bands of two lines where it can be.
    void Diagram(const diagram::Diagram& d, const QString& heading) {
        // One scale for every diagram that fits, so that sheets look alike.
        double scale = std::min(0.8, kWidth / d.width);
        const double fullPage = kPageH - kTop - kBottom - 30;
        if (d.height * scale > fullPage) scale = std::min(scale, std::max(0.5, fullPage / d.height));
        // The heading stays with its diagram: a diagram that fits a page is not cut, a longer one
        // starts where it is when a good part of the page is left.
        const double headingHeight = 20;
        const double wanted = std::min(d.height * scale, d.height * scale > fullPage ? 200.0 : fullPage);
        if (wanted + headingHeight > Left()) NewPage();
        Text(heading, Font(10.5, true));
        Skip(3);
        double from = 0;  // in drawing units
        // The wires cut at the end of the previous piece: where they cross, in drawing units,
        // and the sheet and the zone they come from.
        std::vector<double> incoming;
        int fromPage = 0;
        QString fromZone;
        while (from < d.height - 1) {
            double to = std::min(d.height, from + Left() / scale);
            if (to < d.height) {
                // The last gap between two lines' bands before the page ends.
                double cut = from;
                for (const diagram::Gate& g : d.gates) {
                    const double top = g.box.y - 16;
                    if (top > from + 1 && top <= to) cut = std::max(cut, top);
                }
                if (cut > from) to = cut;
            }
            const double h = (to - from) * scale;
            p_.save();
            p_.setClipRect(QRectF(kLeft - 1, y_, kWidth + 2, h + 1));
            p_.translate(kLeft, y_ - from * scale);
            p_.scale(scale, scale);
            const diagram::Rect visible{0, from, d.width, to - from};
            diagram::Paint(p_, d, &visible);
            p_.restore();
            p_.setPen(QPen(QColor(160, 160, 160), 0.5));
            p_.drawRect(QRectF(kLeft, y_, kWidth, h));
            if (from > 0 || to < d.height - 1) ZoneMarks(y_, h);  // a diagram over several sheets
            if (!incoming.empty())
                Connectors(incoming, scale, y_, false,
                           Q(AnalysisTexts().sheetFrom) + QString::number(fromPage) + ", " + fromZone);
            incoming.clear();
            if (to < d.height - 1) {
                // The wires that go on over the next sheet end here in a connector that names
                // where they go on, and start there in one that names where they come from.
                incoming = Crossings(d, to);
                if (!incoming.empty()) {
                    const double bottom = y_ + h;
                    fromPage = page_;
                    fromZone = ZoneOf(kLeft + incoming.front() * scale, bottom);
                    Connectors(incoming, scale, bottom, true,
                               Q(AnalysisTexts().sheetTo) + QString::number(page_ + 1) + ", " +
                                   ZoneOf(kLeft + incoming.front() * scale, kTop + 12));
                }
            }
            y_ += h + 6;
            from = to;
            if (from < d.height - 1) NewPage();
        }
    }

    // The zone of a point of the sheet, as a drawing names it: a letter for each sixth of the
    // width (A..F from the left), a number for each eighth of the height (1..8 from the top).
    static QString ZoneOf(double x, double y) {
        const int column = std::clamp(static_cast<int>((x - kLeft) / (kWidth / 6)), 0, 5);
        const int row = std::clamp(static_cast<int>(y / (kPageH / 8)), 0, 7);
        return QString(QChar('A' + column)) + QString::number(row + 1);
    }

    // The x of every wire that crosses the height `y` of the drawing, left to right.
    static std::vector<double> Crossings(const diagram::Diagram& d, double y) {
        std::vector<double> xs;
        for (const diagram::Wire& w : d.wires)
            for (size_t i = 1; i < w.path.size(); ++i) {
                const diagram::Point a = w.path[i - 1], b = w.path[i];
                if (std::min(a.y, b.y) < y && std::max(a.y, b.y) > y)
                    xs.push_back(a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y));
            }
        std::sort(xs.begin(), xs.end());
        return xs;
    }

private:
    // The zone letters in the top corner of each sixth of a piece of a diagram, the zone
    // numbers left of it.
    void ZoneMarks(double top, double h) {
        p_.save();
        p_.setFont(Font(5.5));
        p_.setPen(QColor(150, 150, 150));
        for (int c = 0; c < 6; ++c) {
            const double x = kLeft + c * kWidth / 6;
            if (c > 0) p_.drawLine(QPointF(x, top), QPointF(x, top + 3));
            p_.drawText(QRectF(x + 1.5, top + 0.5, 10, 7), Qt::AlignLeft | Qt::AlignTop,
                        QString(QChar('A' + c)));
        }
        for (int r = 0; r < 8; ++r) {
            const double y = (r + 0.5) * kPageH / 8;
            if (y > top && y < top + h)
                p_.drawText(QRectF(kLeft - 12, y - 4, 10, 8), Qt::AlignRight | Qt::AlignVCenter,
                            QString::number(r + 1));
        }
        p_.restore();
    }

    // A connector on each wire at the edge `y` of a piece (an arrow out of the piece at its
    // bottom, into it at its top) and the reference beside the leftmost one.
    void Connectors(const std::vector<double>& xs, double scale, double y, bool out, const QString& text) {
        p_.save();
        p_.setPen(QPen(Qt::black, 0.6));
        p_.setBrush(Qt::black);
        for (double x : xs) {
            const double cx = kLeft + x * scale;
            const double tip = out ? y + 4 : y;
            const double base = out ? y : y + 4;
            const QPointF arrow[3] = {{cx - 2.5, base}, {cx + 2.5, base}, {cx, tip}};
            p_.drawPolygon(arrow, 3);
        }
        p_.setBrush(Qt::NoBrush);
        p_.setFont(Font(7, true));
        const double x = kLeft + xs.front() * scale + 4;
        // Below the zone letters at a piece's top.
        p_.drawText(QRectF(x, out ? y + 0.5 : y + 7.5, kWidth, 9), Qt::AlignLeft | Qt::AlignTop, text);
        p_.restore();
    }

public:
    QPainter& Painter() { return p_; }
    int Page() const { return page_; }
    void SetY(double y) { y_ = y; }

private:
    void Furniture() {
        p_.setPen(Qt::black);
        p_.setFont(Font(8));
        const double top = kTop - 14;
        p_.drawText(QRectF(kLeft, top - 10, kWidth, 12), Qt::AlignLeft | Qt::AlignBottom, Q(R().title));
        p_.drawText(QRectF(kLeft, top - 10, kWidth, 12), Qt::AlignRight | Qt::AlignBottom, file_);
        p_.setPen(QPen(Qt::black, 0.5));
        p_.drawLine(QPointF(kLeft, top + 4), QPointF(kPageW - kRight, top + 4));
        const double bottom = kPageH - kBottom + 14;
        p_.drawLine(QPointF(kLeft, bottom), QPointF(kPageW - kRight, bottom));
        p_.drawText(QRectF(kLeft, bottom + 2, kWidth, 12), Qt::AlignLeft | Qt::AlignTop, date_);
        p_.drawText(QRectF(kLeft, bottom + 2, kWidth, 12), Qt::AlignRight | Qt::AlignTop,
                    Q(Capitalised(R().sheet)) + QString::number(page_) +
                        (total_ > 0 ? Q(R().sheetOf) + QString::number(total_) : QString()));
        y_ = kTop + 12;
    }

    QPagedPaintDevice& writer_;
    QPainter& p_;
    QString file_, date_;
    int total_ = 0;  // 0 while not known
    int page_ = 1;
    double y_ = 0;
};

void TitlePage(Sheet& s, const Report& r) {
    s.SetY(170);
    s.Text(Q(R().title).toUpper(), Font(20, true), 0, Qt::black, Qt::AlignHCenter);
    s.Skip(8);
    s.Text(Q(R().subtitle), Font(11), 0, Qt::black, Qt::AlignHCenter);
    s.Skip(50);

    // A value that needs the approver's attention is red.
    auto row = [&](const QString& key, const QString& value, bool alarm = false) {
        QPainter& p = s.Painter();
        p.setFont(Font(10.5));
        const QRectF r = p.boundingRect(QRectF(0, 0, kWidth - 190, 1e5), Qt::TextWordWrap, value);
        p.setPen(Qt::black);
        p.setFont(Font(10.5, true));
        p.drawText(QRectF(kLeft + 10, s.Y(), 180, r.height()), Qt::AlignLeft | Qt::AlignTop, key);
        p.setFont(Font(10.5));
        p.setPen(alarm ? QColor(Qt::red) : QColor(Qt::black));
        p.drawText(QRectF(kLeft + 190, s.Y(), kWidth - 190, r.height() + 1), Qt::TextWordWrap, value);
        s.Skip(r.height() + 7);
    };
    s.Rule();
    s.Skip(8);
    row(Q(R().configFile), Q(r.file));
    {
        // The exact file a signature approves: a copy that differs in one byte has another hash.
        const AnalysisViewTexts& t = AnalysisTexts();
        if (r.sha256.empty()) {
            row(Q(t.titlePath), Q(t.titleNoFile), true);
        } else {
            row(Q(t.titlePath), QString::fromStdString(r.fullPath));
            row(Q(t.titleModified), QString::fromStdString(r.modified));
            // In groups of eight, to be read against sha256sum by eye; it wraps between groups.
            QString groups;
            for (int i = 0; i < static_cast<int>(r.sha256.size()); i += 8)
                groups += (i ? " " : "") + QString::fromStdString(r.sha256.substr(static_cast<size_t>(i), 8));
            row(Q(t.titleSha256), groups);
        }
    }
    row(Q(R().compiledOn), QString::fromStdString(r.date));
    row(Q(R().blocks),
        Q(R().blocksValue).arg(r.normal + r.erroneous).arg(r.normal).arg(r.erroneous).arg(r.empty),
        r.erroneous > 0);
    row(Q(R().findings), Q(R().findingsValue).arg(r.errors).arg(r.warnings).arg(r.information), r.errors > 0);
    const QString requirements = Q(AnalysisPageTexts().pageRequirements);
    if (r.requirementsFile.empty()) {
        row(requirements, Q(R().noRequirementsFile));
    } else {
        row(Q(R().requirementsFile), QString::fromStdString(r.requirementsFile));
        const analysis::AnalysisTexts& a = analysis::Texts();
        QString req = Q(a.proven + " %1, " + a.refuted + " %2, " + a.notChecked + " %3")
                          .arg(r.proven)
                          .arg(r.refuted)
                          .arg(r.notChecked);
        if (!r.requirementErrors.empty())
            req += Q(R().requirementErrors).arg(static_cast<int>(r.requirementErrors.size()));
        row(requirements, req, r.refuted > 0 || r.notChecked > 0 || !r.requirementErrors.empty());
    }
    s.Rule();
    if (!r.requirementErrors.empty()) {
        s.Skip(10);
        s.Text(Q(R().requirementErrorsHead), Font(10, true), 10);
        for (const analysis::RequirementError& e : r.requirementErrors)
            s.Text(
                Q(P().line + "%1, " + P().position + "%2: ").arg(e.line).arg(e.position) + OneLine(e.message),
                Font(9.5), 24, Qt::red);
    }

    // Signatures at the foot of the title page.
    s.SetY(kPageH - kBottom - 150);
    for (const std::string* role : {&R().compiledBy, &R().checkedBy, &R().approvedBy}) {
        QPainter& p = s.Painter();
        p.setPen(Qt::black);
        p.setFont(Font(10.5));
        const double y = s.Y();
        p.drawText(QPointF(kLeft + 10, y + 12), Q(*role));
        p.setPen(QPen(Qt::black, 0.5));
        p.drawLine(QPointF(kLeft + 100, y + 14), QPointF(kLeft + 250, y + 14));
        p.drawLine(QPointF(kLeft + 265, y + 14), QPointF(kLeft + 380, y + 14));
        p.drawText(QPointF(kLeft + 395, y + 12), Q(R().dateBlank));
        p.setFont(Font(7));
        p.drawText(QRectF(kLeft + 100, y + 15, 150, 10), Qt::AlignHCenter, Q(R().signature));
        p.drawText(QRectF(kLeft + 265, y + 15, 115, 10), Qt::AlignHCenter, Q(R().surname));
        s.Skip(42);
    }
}

void ConditionText(Sheet& s, const Condition& c) {
    s.Need(40);
    s.Text(Q(c.heading), Font(10.5, true));
    s.Skip(3);
    if (c.terms.empty()) {
        s.Text(Q(c.sentence).simplified(), Font(10, false), 48);
    } else {
        for (size_t i = 0; i < c.terms.size(); ++i)
            s.Term(i == 0 ? QString() : Q(c.joiner), Q(c.terms[i]), 14);
    }
    s.Skip(8);
}

// The two logics as written, side by side in a fixed-width font, so that the sheet can be
// checked against the configuration file line by line.
void LogicText(Sheet& s, const interlock::Block& b) {
    const size_t rows = std::max(b.OnLogic.size(), b.OffLogic.size());
    if (rows == 0) return;
    const QFont mono = Font(7.5, false, true);
    QPainter& p = s.Painter();
    p.setFont(mono);
    // The font's size already allows for the painter's scale: its metrics on the writer come
    // out in points.
    const QFontMetricsF fm(mono, p.device());
    const double line = fm.lineSpacing();
    const double half = kWidth / 2;
    s.Need(std::min(60.0, line * rows + 30));
    s.Text(Q(R().logicText), Font(10.5, true));
    s.Skip(3);
    auto header = [&] {
        p.setFont(Font(8.5, true));
        p.setPen(Qt::black);
        p.drawText(QPointF(kLeft + 14, s.Y() + 9), Q(topology::Texts().on + " (#Off->On)"));
        p.drawText(QPointF(kLeft + half + 14, s.Y() + 9), Q(topology::Texts().off + " (#On->Off)"));
        s.Skip(13);
    };
    header();
    for (size_t i = 0; i < rows; ++i) {
        if (s.Left() < line + 2) {
            s.NewPage();
            header();
        }
        p.setFont(mono);
        p.setPen(Qt::black);
        const double y = s.Y() + line * 0.8;
        auto cell = [&](const std::vector<std::string>& logic, double x) {
            if (i >= logic.size()) return;
            const QString text = QString::number(i + 1).rightJustified(2) + "  " + Q(logic[i]);
            p.drawText(QPointF(x, y), fm.elidedText(text, Qt::ElideRight, half - 20));
        };
        cell(b.OnLogic, kLeft + 14);
        cell(b.OffLogic, kLeft + half + 14);
        s.Skip(line);
    }
    s.Skip(8);
}

QString CubeText(const analysis::Cube& cube, const interlock::Workspace& ws) {
    QString s;
    for (const analysis::Literal& l : cube) s += (s.isEmpty() ? "" : "; ") + Q(LiteralText(ws, l));
    return s;
}

// The blocks with their sheets, as the first pass found them.
// The substation's single-line diagram on a sheet of its own, as large as the sheet allows (a
// small scheme no larger than it is drawn on screen): the scheme alone, without a moment's state.
void MimicSheet(Sheet& s, const Report& r) {
    if (r.topologyFile.empty() || r.topology.nodes.empty()) return;
    const mimic::Layout layout = mimic::LayOut(r.topology);
    s.NewPage();
    s.Text(Q(mimic::Texts().sheetCaption), Font(14, true));
    s.Skip(4);
    s.Rule(1.0);
    s.Skip(8);
    const double h = s.Left() - 4;
    const double scale = std::min({1.0, kWidth / layout.bounds.w, h / layout.bounds.h});
    const QRectF area(kLeft, s.Y(), layout.bounds.w * scale, layout.bounds.h * scale);
    mimic::PaintMimic(s.Painter(), area, layout, r.topology, mimic::Look{});
    s.Skip(area.height());
}

void Contents(Sheet& s, const Report& r, const Pagination& known) {
    if (r.blocks.empty()) return;
    s.NewPage();
    s.Text(Q(R().contents), Font(14, true));
    s.Skip(4);
    s.Rule(1.0);
    s.Skip(8);
    for (size_t i = 0; i < r.blocks.size(); ++i) {
        const BlockEntry& b = r.blocks[i];
        s.Need(16);
        QPainter& p = s.Painter();
        p.setPen(Qt::black);
        p.setFont(Font(10));
        const double y = s.Y() + 11;
        p.drawText(QPointF(kLeft + 10, y), Q(P().block) + QString::number(b.number));
        const QString name = b.name.empty() ? Q(R().unnamed) : Q(b.name);
        p.drawText(QRectF(kLeft + 70, s.Y(), kWidth - 140, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(name, Qt::ElideRight, static_cast<int>(kWidth - 140)));
        if (b.status == interlock::BlockStatus::Erroneous) p.setPen(Qt::red);
        const QString page =
            i < known.blockPage.size() ? Q(R().sheet) + QString::number(known.blockPage[i]) : QString();
        p.drawText(QRectF(kLeft, s.Y(), kWidth - 4, 14), Qt::AlignRight | Qt::AlignVCenter, page);
        s.Skip(15);
    }
}

void BlockPages(Sheet& s, const Report& r, const interlock::Workspace& ws, Pagination& found) {
    for (const BlockEntry& b : r.blocks) {
        s.NewPage();
        found.blockPage.push_back(s.Page());
        s.Text(
            Q(P().block) + QString::number(b.number) + ". " + (b.name.empty() ? Q(R().unnamed) : Q(b.name)),
            Font(14, true));
        s.Skip(4);
        s.Rule(1.0);
        s.Skip(6);
        s.Text(Q(Capitalised(AnalysisTexts().whereStateSignal) + ": " + b.stateSignal), Font(10));
        s.Text(
            Q(R().blockState + (b.status == interlock::BlockStatus::Erroneous ? R().logicError : R().normal)),
            Font(10), 0, b.status == interlock::BlockStatus::Erroneous ? QColor(Qt::red) : QColor(Qt::black));
        s.Skip(10);
        ConditionText(s, b.on);
        ConditionText(s, b.off);

        diagram::Metrics m;
        m.values = false;
        m.title = false;
        m.labelWidth = 230;  // the sheet's width: a longer name is shortened
        for (interlock::Side side : {interlock::Side::On, interlock::Side::Off}) {
            if (ws.Blocks[b.number].Of(side).Logic.empty()) continue;
            s.Diagram(diagram::LayOut(ws, b.number, side, m),
                      side == interlock::Side::On ? Q(R().diagramOn) : Q(R().diagramOff));
        }

        LogicText(s, ws.Blocks[b.number]);

        s.Need(40);
        s.Text(Q(R().findings), Font(10.5, true));
        s.Skip(3);
        if (b.problems.empty()) s.Text(Q(P().no), Font(10), 14);
        for (const analysis::Problem& p : b.problems) {
            QString where;
            if (p.side)
                where = Q(p.side == interlock::Side::On ? topology::Texts().on : topology::Texts().off);
            if (p.line > 0) where += ", " + Q(P().line) + QString::number(p.line);
            s.Text(QString("– ") + Q(analysis::SeverityText(p.severity)) +
                       (where.isEmpty() ? "" : " (" + where + ")") + ": " + OneLine(p.message),
                   Font(10), 14,
                   p.severity == analysis::Severity::Error ? QColor(Qt::red) : QColor(Qt::black));
        }
        s.Skip(8);
        s.Need(40);
        s.Text(Q(AnalysisPageTexts().pageRequirements), Font(10.5, true));
        s.Skip(3);
        if (b.requirements.empty())
            s.Text(Q(r.requirementsFile.empty() ? R().noRequirementsFile : P().no), Font(10), 14);
        for (const analysis::RequirementResult& x : b.requirements) {
            const bool bad = x.verdict == analysis::Verdict::Refuted;
            QString line = QString("– [") + Q(analysis::VerdictText(x.verdict)) + "] ";
            if (!x.requirement.label.empty()) line += Q(x.requirement.label) + ": ";
            line += Q(x.requirement.text);
            if (!x.reason.empty()) line += " (" + OneLine(x.reason) + ")";
            s.Text(line, Font(10, bad), 14, bad ? QColor(Qt::red) : QColor(Qt::black));
            if (x.counterexample)
                s.Text(
                    Q(Capitalised(analysis::Texts().counterexample)) + CubeText(x.counterexample->cube, ws),
                    Font(9.5), 28);
        }
        if (!r.topologyFile.empty() && !b.topology.empty()) {
            s.Skip(8);
            s.Need(40);
            s.Text(Q(topology::Texts().heading), Font(10.5, true));
            s.Skip(3);
            for (size_t i = 0; i < b.topology.size(); ++i) {
                const bool bad = b.topologyBad[i];
                s.Text(QString("– ") + OneLine(b.topology[i]), Font(10, bad), 14,
                       bad ? QColor(Qt::red) : QColor(Qt::black));
            }
        }
    }
}

// A checked switching program as a form: numbered steps in a table, then the signatures.
void FormPages(Sheet& s, const sequences::SwitchingForm& f) {
    const sequences::SequenceTexts& tx = sequences::Texts();
    s.NewPage();
    s.Text(Q(tx.formTitle), Font(14, true));
    s.Skip(4);
    s.Text(Q(tx.formProgram + f.program), Font(10));
    s.Text(Q(f.mode), Font(10));
    s.Text(Q(tx.startState + f.start), Font(10));
    s.Skip(4);
    s.Rule(1.0);
    // Columns: number, operation, verdict, state after.
    const double cols[] = {0, 28, 120, 310, kWidth};
    auto row = [&](const QString cells[4], const QFont& font, QColor colour) {
        QPainter& p = s.Painter();
        p.setFont(font);
        double h = 0;
        for (int c = 0; c < 4; ++c) {
            const QRectF area(0, 0, cols[c + 1] - cols[c] - 4, 1e5);
            h = std::max(h, p.boundingRect(area, Qt::TextWordWrap, cells[c]).height());
        }
        s.Need(h + 4);
        p.setPen(colour);
        for (int c = 0; c < 4; ++c)
            p.drawText(QRectF(kLeft + cols[c], s.Y() + 2, cols[c + 1] - cols[c] - 4, h + 1), Qt::TextWordWrap,
                       cells[c]);
        s.Skip(h + 4);
        s.Rule(0.3);
    };
    const QString head[4] = {Q(tx.step), Q(topology::Texts().colOperation), Q(topology::Texts().colVerdict),
                             Q(tx.colState)};
    row(head, Font(9.5, true), Qt::black);
    for (const sequences::FormRow& r : f.rows) {
        const QString cells[4] = {QString::number(r.number), Q(r.operation), Q(r.verdict), Q(r.state)};
        row(cells, Font(9.5), r.bad ? QColor(Qt::red) : QColor(Qt::black));
    }
    for (const std::string& e : f.errors) s.Text(Q(e), Font(9.5), 0, Qt::red);
    s.Skip(6);
    s.Text(Q(f.summary), Font(10, true));
    s.Skip(18);
    for (const std::string* role : {&R().compiledBy, &R().checkedBy, &tx.signPerformed, &tx.signSupervised}) {
        s.Need(40);
        QPainter& p = s.Painter();
        p.setPen(Qt::black);
        p.setFont(Font(10.5));
        const double y = s.Y();
        p.drawText(QPointF(kLeft + 10, y + 12), Q(*role));
        p.setPen(QPen(Qt::black, 0.5));
        p.drawLine(QPointF(kLeft + 110, y + 14), QPointF(kLeft + 450, y + 14));
        p.setFont(Font(7));
        p.drawText(QRectF(kLeft + 110, y + 15, 340, 10), Qt::AlignHCenter, Q(tx.signHint));
        s.Skip(36);
    }
}

}  // namespace

bool PaintPages(const Report& r, const interlock::Workspace& ws, QPagedPaintDevice& device,
                const Pagination& known, Pagination* found) {
    // Every size is in points at the report's resolution; a printer is asked for it too.
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        printer->setResolution(kResolution);
        printer->setFullPage(true);
        printer->setPageLayout(a4);
    } else if (auto* pdf = dynamic_cast<QPdfWriter*>(&device)) {
        pdf->setResolution(kResolution);
        pdf->setPageLayout(a4);
    }
    QPainter painter;
    if (!painter.begin(&device)) return false;
    Sheet sheet(device, painter, Q(r.file), QString::fromStdString(r.date), known.total);
    Pagination pages;
    TitlePage(sheet, r);
    MimicSheet(sheet, r);
    Contents(sheet, r, known);
    BlockPages(sheet, r, ws, pages);
    if (r.form) FormPages(sheet, *r.form);
    pages.total = sheet.Page();
    painter.end();
    if (found) *found = std::move(pages);
    return true;
}

bool PaintPdf(const Report& r, const interlock::Workspace& ws, QIODevice& device, const Pagination& known,
              Pagination* found) {
    QPdfWriter writer(&device);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(Q(R().title));
    writer.setCreator(U("interlocks-report"));
    return PaintPages(r, ws, writer, known, found);
}

PreparedTable PrepareInterlockTable(const interlock::Workspace& ws, const std::string& configPath,
                                    analysis::Analyser* analyser, const std::string& requirementsPath,
                                    const sequences::SwitchingForm* form) {
    std::optional<analysis::Analyser> own;
    if (!analyser) {
        own.emplace(analysis::BddSession::kDefaultMaxNodes, analysis::Analyser::InitialNodesFor(ws));
        analyser = &*own;
    }
    const std::string utf8 = cp1251::ToUtf8(configPath);
    const std::string requirements = !requirementsPath.empty() ? requirementsPath
                                     : utf8.empty()            ? std::string()
                                                               : analysis::RequirementsFileFor(utf8);
    const std::string date = QDate::currentDate().toString("dd.MM.yyyy").toStdString();
    PreparedTable t;
    t.report = Build(*analyser, ws, configPath, requirements, date,
                     utf8.empty() ? std::string() : topology::TopologyFileFor(utf8));
    Report& r = t.report;
    if (form) r.form = *form;
    if (!utf8.empty()) {
        const QFileInfo info(QString::fromStdString(utf8));
        QFile config(info.absoluteFilePath());
        if (info.isFile() && config.open(QIODevice::ReadOnly)) {
            QCryptographicHash hash(QCryptographicHash::Sha256);
            if (hash.addData(&config)) {
                r.fullPath = info.absoluteFilePath().toStdString();
                r.modified = info.lastModified().toString("dd.MM.yyyy HH:mm:ss").toStdString();
                r.sha256 = hash.result().toHex().toStdString();
            }
        }
    }
    // The diagrams read the blocks as a recalculation leaves them; the caller's stay untouched.
    t.ws = std::make_shared<interlock::Workspace>(ws);
    interlock::RecalculateAll(*t.ws);
    // A first pass in memory finds the sheets of the blocks and their number for the contents.
    QBuffer scratch;
    scratch.open(QIODevice::WriteOnly);
    t.ready = PaintPdf(r, *t.ws, scratch, {}, &t.pages);
    return t;
}

std::string WriteInterlockTable(const interlock::Workspace& ws, const std::string& configPath,
                                const std::string& outPath, analysis::Analyser* analyser,
                                const std::string& requirementsPath, const sequences::SwitchingForm* form) {
    const PreparedTable t = PrepareInterlockTable(ws, configPath, analyser, requirementsPath, form);
    if (!t.ready) return "PDF";
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    if (!PaintPdf(t.report, *t.ws, file, t.pages)) return "PDF";
    return diagram::WriteOut(outPath, file.data());
}

bool PrintInterlockTable(const PreparedTable& table, QPagedPaintDevice& printer) {
    return table.ready && PaintPages(table.report, *table.ws, printer, table.pages);
}

}  // namespace ui::report
