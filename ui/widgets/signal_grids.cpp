#include "ui/widgets/signal_grids.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "ui/widgets/colours.h"
#include "interlock/workspace.h"

#include <algorithm>

namespace ui {

namespace col = interlock::colour;

QFont DesignFont(const QString& family, int pixelHeight, bool bold) {
    // The design's fonts are not on Linux; each gets a stand-in Debian ships whose glyphs are
    // no wider than the design's, so that every text fits the controls laid out for them
    // (the text-fit test measures it): Carlito (Calibri's metrics) for the narrow "MS Sans
    // Serif", DejaVu Sans Condensed for "Verdana", DejaVu Sans for the editor's "Lucida Sans".
    QStringList families{family};
    if (family == "MS Sans Serif")
        families << "Carlito";
    else if (family == "Verdana")
        families << "DejaVu Sans Condensed";
    families << "DejaVu Sans";
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

namespace {

// The number the text stands for when it is one in 0..1000, else `fallback`.
int SmallNumber(const QString& text, int fallback) {
    bool ok = false;
    int v = text.toInt(&ok);
    return ok && v >= 0 && v <= 1000 ? v : fallback;
}

}  // namespace

int TsCellOffset(const QString& text) {
    int v = SmallNumber(text, 1);
    return v < 10 ? 22 : v < 100 ? 17 : 12;
}

int MCellOffset(const QString& text) {
    int v = SmallNumber(text.mid(1), 1);
    return v < 10 ? 15 : v < 100 ? 11 : 7;
}

// ---- TS grid ----

TsGridWidget::TsGridWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the paint fills the whole grid
    setFont(DesignFont("MS Sans Serif", 13, true));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
        leftCol_ = v + 1;
        update();
    });
}

void TsGridWidget::SetCaptions(const QString& row0, const QString& row1) {
    caption0_ = row0;
    caption1_ = row1;
    update();
}

void TsGridWidget::SetColumns(const std::vector<std::pair<int, int>>& columns) {
    if (columns.size() == columns_.size() &&
        std::equal(columns.begin(), columns.end(), columns_.begin(),
                   [](const auto& a, const auto& b) { return a.first == b.first; })) {
        // The same TS: only the values that changed are repainted.
        for (size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].second == columns_[i].second) continue;
            columns_[i].second = columns[i].second;
            cells_[i].second = QString::number(columns[i].second);
            update(CellRect(static_cast<int>(i) + 1, 1));
        }
        return;
    }
    columns_ = columns;
    cells_.clear();
    for (const auto& [n, v] : columns) cells_.emplace_back(QString::number(n), QString::number(v));
    if (col_ >= ColumnCount()) col_ = std::max(1, ColumnCount() - 1);
    UpdateScrollBar();
    update();
}

QString TsGridWidget::Cell(int col, int row) const {
    if (col == 0) return row == 0 ? caption0_ : caption1_;
    if (col < 1 || col > static_cast<int>(cells_.size())) return {};
    return row == 0 ? cells_[col - 1].first : cells_[col - 1].second;
}

void TsGridWidget::SetCurrentCell(int col, int row) {
    if (col < 1 || col >= ColumnCount() || row < 0 || row > 1) return;
    col_ = col;
    row_ = row;
    EnsureVisible(col);
    update();
}

int TsGridWidget::VisibleColumns() const {
    return std::max(1, (width() - (kColumnWidth + 1)) / (kColumnWidth + 1));
}

void TsGridWidget::UpdateScrollBar() {
    int scrolled = static_cast<int>(cells_.size());
    int hidden = std::max(0, scrolled - VisibleColumns());
    scroll_->setRange(0, hidden);
    scroll_->setPageStep(VisibleColumns());
    scroll_->setVisible(hidden > 0);
    scroll_->setGeometry(0, height() - 17, width(), 17);
    if (leftCol_ - 1 > hidden) scroll_->setValue(hidden);
    leftCol_ = scroll_->value() + 1;
}

void TsGridWidget::EnsureVisible(int col) {
    if (col < leftCol_) {
        scroll_->setValue(col - 1);
    } else if (col >= leftCol_ + VisibleColumns()) {
        scroll_->setValue(col - VisibleColumns());
    }
}

QRect TsGridWidget::CellRect(int col, int row) const {
    int x = 0;
    if (col > 0) x = (kColumnWidth + 1) * (1 + col - leftCol_);
    return QRect(x, row * (kRowHeight + 1), kColumnWidth, kRowHeight);
}

int TsGridWidget::ColumnAt(int x) const {
    int slot = x / (kColumnWidth + 1);
    if (slot == 0) return 0;
    int col = leftCol_ + slot - 1;
    return col < ColumnCount() ? col : -1;
}

void TsGridWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = event->rect();
    p.fillRect(area, ToQColor(col::kWindowBackground));
    p.setFont(font());
    int last = std::min(ColumnCount() - 1, leftCol_ + VisibleColumns());
    auto paintCell = [&](int c, int r) {
        QRect cell = CellRect(c, r);
        // A cell paints within its rectangle and the grid lines right of and below it.
        if (!cell.adjusted(0, 0, 1, 1).intersects(area)) return;
        QString text = Cell(c, r);
        QColor fill, pen;
        int dx;
        if (c == 0) {
            fill = ToQColor(col::kHighlight);
            pen = Qt::white;
            dx = 2;
        } else {
            fill = ToQColor(c % 2 == 1 ? col::kWindowBackground : col::kWindow);
            if (r == 0) {
                fill = ToQColor(col::kHighlight);
                pen = Qt::white;
            } else {
                pen = ToQColor(text == "1" ? col::kGreen : text == "0" ? col::kRed : col::kBlack);
            }
            dx = TsCellOffset(text);
        }
        p.fillRect(cell, fill);
        p.setPen(pen);
        p.drawText(QRect(cell.left() + dx, cell.top() + 4, cell.width() - dx, cell.height() - 4),
                   Qt::AlignLeft | Qt::AlignTop, text);
        if (c == col_ && r == row_ && c > 0 && hasFocus()) {
            QPen focus(Qt::black);
            focus.setStyle(Qt::DotLine);
            p.setPen(focus);
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
        // Grid lines.
        p.setPen(ToQColor(col::kBlack));
        p.drawLine(cell.right() + 1, cell.top(), cell.right() + 1, cell.bottom() + 1);
        p.drawLine(cell.left(), cell.bottom() + 1, cell.right() + 1, cell.bottom() + 1);
    };
    for (int r = 0; r < 2; ++r) {
        paintCell(0, r);
        for (int c = leftCol_; c <= last; ++c) paintCell(c, r);
    }
}

void TsGridWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            SetCurrentCell(col_ - 1, row_);
            return;
        case Qt::Key_Right:
            SetCurrentCell(col_ + 1, row_);
            return;
        case Qt::Key_Up:
            SetCurrentCell(col_, row_ - 1);
            return;
        case Qt::Key_Down:
            SetCurrentCell(col_, row_ + 1);
            return;
        default:
            break;
    }
    const QString text = event->text();
    if (text == "0" || text == "1") {
        emit ValueKey(text[0].toLatin1());
        return;
    }
    QWidget::keyPressEvent(event);
}

void TsGridWidget::mousePressEvent(QMouseEvent* event) {
    int c = ColumnAt(event->position().toPoint().x());
    int r = event->position().toPoint().y() / (kRowHeight + 1);
    if (c >= 1 && r >= 0 && r <= 1) SetCurrentCell(c, r);
    setFocus();
}

void TsGridWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    emit CellDoubleClicked();
}

void TsGridWidget::mouseMoveEvent(QMouseEvent* event) { emit PointerMoved(event->position().toPoint()); }

void TsGridWidget::resizeEvent(QResizeEvent*) { UpdateScrollBar(); }

bool TsGridWidget::event(QEvent* event) {
    if (event->type() == QEvent::Leave) emit PointerMoved(QPoint(-1, -1));
    return QWidget::event(event);
}

// ---- M grid ----

MGridWidget::MGridWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the paint fills the whole grid
    setFont(DesignFont("MS Sans Serif", 13, true));
}

QRect MGridWidget::CellRect(int col, int row) {
    return {col * (kColumnWidth + 1), row * (kRowHeight + 1), kColumnWidth, kRowHeight};
}

void MGridWidget::SetRows(const std::vector<std::pair<QString, int>>& rows) {
    if (rows.size() == rows_.size()) {
        // The same variables: only the values that changed are repainted.
        bool same = true;
        for (size_t i = 0; i < rows.size() && same; ++i) same = rows[i].first == rows_[i].first;
        if (same) {
            for (size_t i = 0; i < rows.size(); ++i) {
                if (rows[i].second == values_[i]) continue;
                values_[i] = rows[i].second;
                rows_[i].second = QString::number(rows[i].second);
                update(CellRect(1, static_cast<int>(i)));
            }
            return;
        }
    }
    rows_.clear();
    values_.clear();
    for (const auto& [name, v] : rows) {
        rows_.emplace_back(name, QString::number(v));
        values_.push_back(v);
    }
    update();
}

QString MGridWidget::Cell(int col, int row) const {
    if (row < 0 || row >= RowCount()) return {};
    return col == 0 ? rows_[row].first : rows_[row].second;
}

void MGridWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = event->rect();
    p.fillRect(area, ToQColor(col::kWindowBackground));
    p.setFont(font());
    for (int r = 0; r < RowCount(); ++r) {
        for (int c = 0; c < 2; ++c) {
            const QRect cell = CellRect(c, r);
            // A cell paints within its rectangle and the grid lines right of and below it.
            if (!cell.adjusted(0, 0, 1, 1).intersects(area)) continue;
            QString text = Cell(c, r);
            QColor fill = ToQColor(r % 2 == 1 ? col::kWindow : col::kWindowBackground);
            QColor pen;
            int dx;
            if (c == 0) {
                fill = ToQColor(col::kHighlight);
                pen = Qt::white;
                dx = MCellOffset(text);
            } else {
                pen = ToQColor(text == "1" ? col::kGreen : col::kRed);
                dx = 20;
            }
            p.fillRect(cell, fill);
            p.setPen(pen);
            p.drawText(QRect(cell.left() + dx, cell.top() + 2, cell.width() - dx, cell.height() - 2),
                       Qt::AlignLeft | Qt::AlignTop, text);
            p.setPen(Qt::black);
            p.drawLine(cell.right() + 1, cell.top(), cell.right() + 1, cell.bottom() + 1);
            p.drawLine(cell.left(), cell.bottom() + 1, cell.right() + 1, cell.bottom() + 1);
        }
    }
}

}  // namespace ui
