#pragma once

// The string grid of the TS list window: a fixed header row and one row per listed TS with
// its number, name, value and the "Инв" / "Двух" marks. Every cell is painted by the grid
// itself in the look that the TS list model decides.
//
// Row numbers are the grid's: row 0 is the header, data rows start at 1.

#include <QTableView>
#include <string>
#include <vector>

#include "ui/model/ts_list_model.h"
#include "interlock/workspace.h"

namespace ui {

class TsListTableModel;

class TsListGrid : public QTableView {
    Q_OBJECT
public:
    // Cell widths of the five columns and the height of a row, without the grid lines.
    static constexpr int kColumnWidths[kTsListColumns] = {46, 397, 65, 61, 59};
    static constexpr int kRowHeight = 24;

    // The grid shows and paints from `table`, which must outlive it.
    explicit TsListGrid(const interlock::TsTableData& table, QWidget* parent = nullptr);
    ~TsListGrid() override;

    // Fills the rows from the TS table: all TS when `all`, otherwise the TS of the logic on
    // view. Rows that stay keep their place, so the current cell stays where it was.
    void Fill(bool all);
    bool ShowsAll() const { return all_; }

    // Rows including the header row.
    int RowCount() const;
    // The text of a cell; empty outside the grid.
    const std::string& CellText(int col, int row) const;
    QString Cell(int col, int row) const;
    TsListCellLook CellLook(int col, int row) const;

    // The current cell; row 0 when no data row is current.
    int CurrentColumn() const;
    int CurrentRow() const;
    void SetCurrentCell(int col, int row);
    // Where a cell lies in the grid's viewport.
    QRect CellRect(int col, int row) const;

private:
    const interlock::TsTableData& table_;
    TsListTableModel* model_ = nullptr;
    bool all_ = false;
};

}  // namespace ui
