#include "ui/widgets/ts_list_grid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "ui/widgets/colours.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/signal_grids.h"

namespace ui {

// The rows of the grid. The row texts are filled in place by the TS list model; the Qt view
// is told only which rows came, went or changed.
class TsListTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    std::vector<TsListRow> rows;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : shown_;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : kTsListColumns;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        size_t r = static_cast<size_t>(index.row());
        if (r >= rows.size()) return {};
        return ToQString(rows[r][index.column()]);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
            section >= kTsListColumns)
            return {};
        return ToQString(TsListHeader()[section]);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    // Refills the rows and tells the views what changed: rows added or removed at the end,
    // and the rows that stayed but look different (a text, or the weight of the number, which
    // the full list shows in bold for the TS of the logic on view), so that only they are
    // painted again.
    void Refill(const interlock::TsTableData& table, bool all) {
        FillTsListRows(table, all, rows, &changed_);
        int before = shown_;
        int after = static_cast<int>(rows.size());
        if (after > before) {
            beginInsertRows(QModelIndex(), before, after - 1);
            shown_ = after;
            endInsertRows();
        } else if (after < before) {
            beginRemoveRows(QModelIndex(), after, before - 1);
            shown_ = after;
            endRemoveRows();
        }
        bold_.resize(rows.size(), 0);
        int first = -1;  // the first row of a stretch of changed rows
        const int kept = std::min(before, after);
        for (int r = 0; r <= kept; ++r) {
            bool differs = false;
            if (r < kept) {
                const std::string& number = rows[static_cast<size_t>(r)][kTsNumberColumn];
                const char bold =
                    TsListCellStyle(table, all, r + 1, kTsNumberColumn, number, number).bold ? 1 : 0;
                differs = changed_[static_cast<size_t>(r)] || bold != bold_[static_cast<size_t>(r)];
                bold_[static_cast<size_t>(r)] = bold;
            }
            if (differs && first < 0) first = r;
            if (!differs && first >= 0) {
                emit dataChanged(index(first, 0), index(r - 1, kTsListColumns - 1), {Qt::DisplayRole});
                first = -1;
            }
        }
        for (int r = kept; r < after; ++r) {
            const std::string& number = rows[static_cast<size_t>(r)][kTsNumberColumn];
            bold_[static_cast<size_t>(r)] =
                TsListCellStyle(table, all, r + 1, kTsNumberColumn, number, number).bold;
        }
    }

private:
    int shown_ = 0;
    std::vector<char> changed_;  // by row, from the last fill
    std::vector<char> bold_;     // by row: the number as the views were last told to show it
};

namespace {

void PaintCell(QPainter* painter, const QRect& rect, const TsListCellLook& look, const QString& text,
               const QFont& font) {
    painter->fillRect(rect, ToQColor(look.fill));
    painter->setFont(font);
    painter->setPen(ToQColor(look.text));
    QRect textRect(rect.left() + look.offset, rect.top() + kTsListTextTop, rect.width() - look.offset,
                   rect.height() - kTsListTextTop);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// Data cells, painted whole: fill, text colour, weight and offset come from the TS list model.
class TsListDelegate : public QStyledItemDelegate {
public:
    explicit TsListDelegate(TsListGrid* grid)
        : QStyledItemDelegate(grid),
          grid_(grid),
          normal_(DesignFont("Verdana", 13, false)),
          bold_(DesignFont("Verdana", 13, true)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        int col = index.column();
        int row = index.row() + 1;
        TsListCellLook look = grid_->CellLook(col, row);
        painter->save();
        PaintCell(painter, option.rect, look, grid_->Cell(col, row), look.bold ? bold_ : normal_);
        if (option.state & QStyle::State_HasFocus) {
            QPen focus(Qt::black);
            focus.setStyle(Qt::DotLine);
            painter->setPen(focus);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

private:
    TsListGrid* grid_;
    QFont normal_;
    QFont bold_;
};

// The fixed header row, painted like the data cells from the model's header look.
class TsListHeaderView : public QHeaderView {
public:
    explicit TsListHeaderView(TsListGrid* grid)
        : QHeaderView(Qt::Horizontal, grid), grid_(grid), bold_(DesignFont("Verdana", 13, true)) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid()) return;
        painter->save();
        QRect cell = rect.adjusted(0, 0, -1, -1);
        PaintCell(painter, cell, grid_->CellLook(logicalIndex, 0), grid_->Cell(logicalIndex, 0), bold_);
        painter->setPen(Qt::black);
        painter->drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
        painter->drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        painter->restore();
    }

private:
    TsListGrid* grid_;
    QFont bold_;
};

}  // namespace

TsListGrid::TsListGrid(const interlock::TsTableData& table, QWidget* parent)
    : QTableView(parent), table_(table) {
    model_ = new TsListTableModel(this);
    setModel(model_);
    setItemDelegate(new TsListDelegate(this));
    setFont(DesignFont("Verdana", 13, true));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    auto* header = new TsListHeaderView(this);
    setHorizontalHeader(header);
    header->setMinimumSectionSize(0);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setFixedHeight(kRowHeight + 1);
    // A section holds the cell and the grid line to its right.
    for (int c = 0; c < kTsListColumns; ++c) header->resizeSection(c, kColumnWidths[c] + 1);

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight + 1);
}

TsListGrid::~TsListGrid() = default;

void TsListGrid::Fill(bool all) {
    all_ = all;
    model_->Refill(table_, all);
}

int TsListGrid::RowCount() const { return model_->rowCount() + 1; }

const std::string& TsListGrid::CellText(int col, int row) const {
    static const std::string empty;
    if (col < 0 || col >= kTsListColumns || row < 0 || row >= RowCount()) return empty;
    if (row == 0) return TsListHeader()[col];
    return model_->rows[row - 1][col];
}

QString TsListGrid::Cell(int col, int row) const { return ToQString(CellText(col, row)); }

TsListCellLook TsListGrid::CellLook(int col, int row) const {
    return TsListCellStyle(table_, all_, row, col, CellText(col, row), CellText(kTsNumberColumn, row));
}

int TsListGrid::CurrentColumn() const {
    QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

int TsListGrid::CurrentRow() const {
    QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void TsListGrid::SetCurrentCell(int col, int row) {
    if (col < 0 || col >= kTsListColumns || row < 1 || row >= RowCount()) return;
    setCurrentIndex(model_->index(row - 1, col));
}

QRect TsListGrid::CellRect(int col, int row) const {
    if (row < 1) return {};
    return visualRect(model_->index(row - 1, col));
}

}  // namespace ui
