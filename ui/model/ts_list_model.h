#pragma once

// The TS list: which telesignals it lists, the texts of its five columns, the look of every
// cell and what a double-click in the attribute columns changes in the TS table. Plain C++;
// the TS list window only shows what these functions decide.
//
// Rows are numbered as in the window's grid: row 0 is the header, data rows start at 1.
// Texts are Windows-1251 bytes.

#include <array>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace ui {

constexpr int kTsListColumns = 5;

// The columns of the list, left to right.
enum TsListColumn : int {
    kTsNumberColumn = 0,    // "ТС": the TS number
    kTsNameColumn = 1,      // "Наименование": the TS name, "N/A" when it has none
    kTsValueColumn = 2,     // "Знач": the value
    kTsInvertedColumn = 3,  // "Инв": "+" when inverted
    kTsTwoPosColumn = 4,    // "Двух": "+" when first TS of a two-position pair
};

// The texts of one data row.
using TsListRow = std::array<std::string, kTsListColumns>;

// The header texts of row 0.
const TsListRow& TsListHeader();

// Refills `rows` from the TS table: every TS 1..256 when `all`, otherwise only the TS that
// the logic on view uses. The strings already in `rows` are reused, so a refill of an
// unchanged list allocates nothing. `changed`, when given, receives a flag for every row of
// the new list: whether one of its texts differs from what the row held before (a new row
// counts as changed).
void FillTsListRows(const interlock::TsTableData& table, bool all, std::vector<TsListRow>& rows,
                    std::vector<char>* changed = nullptr);

// How one cell is painted: the fill, the text colour and weight, and where the text starts
// (`offset` pixels right of the cell's left edge, 4 pixels below its top edge).
struct TsListCellLook {
    interlock::Colour fill = interlock::colour::kWindowBackground;
    interlock::Colour text = interlock::colour::kNearBlack;
    bool bold = false;
    int offset = 0;

    bool operator==(const TsListCellLook&) const = default;
};

constexpr int kTsListTextTop = 4;

// The look of cell (row, column) showing `text`, in a row whose number cell shows
// `numberText`. `all` tells whether the full list is on show (the TS of the logic on view
// then have their numbers in bold).
TsListCellLook TsListCellStyle(const interlock::TsTableData& table, bool all, int row, int column,
                               const std::string& text, const std::string& numberText);

// A double-click on cell (row, column) of a row whose number cell shows `numberText`:
// "Инв" complements the inversion, "Двух" sets or clears the two-position pair. Returns true
// when the TS table may have changed and the list must be filled again.
bool ToggleTsAttribute(interlock::TsTableData& table, int row, int column, const std::string& numberText);

}  // namespace ui
