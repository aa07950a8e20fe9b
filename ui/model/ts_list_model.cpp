#include "ui/model/ts_list_model.h"

#include "interlock/engine_texts.h"
#include "ui/model/texts.h"

#include <charconv>
#include <string_view>

#include "interlock/cp1251.h"
#include "interlock/int_rule.h"

namespace ui {

namespace col = interlock::colour;
using interlock::kTsCount;

namespace {

// Writes `text` into `out`, reusing its storage; whether that changed it.
bool Put(std::string& out, std::string_view text) {
    if (out == text) return false;
    out.assign(text);
    return true;
}

// Writes the decimal form of v into `out`, reusing its storage; whether that changed it.
bool PutNumber(std::string& out, int v) {
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    (void)ec;
    return Put(out, std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

// The number a cell text stands for when it is one in 0..1000, else `fallback`.
int SmallNumber(const std::string& text, int fallback) {
    int32_t v = 0;
    return interlock::IsIntInRange(text, 0, 1000, &v) ? v : fallback;
}

constexpr std::array<int, kTsListColumns> kHeaderOffsets{15, 150, 14, 18, 10};

}  // namespace

const TsListRow& TsListHeader() {
    const WindowTexts& x = Texts();
    static const TsListRow header{interlock::Texts().ts, x.listName, x.listValue, x.listInverted,
                                  x.listTwoPosition};
    return header;
}

void FillTsListRows(const interlock::TsTableData& table, bool all, std::vector<TsListRow>& rows,
                    std::vector<char>* changed) {
    size_t count = 0;
    if (changed) changed->clear();
    for (int n = 1; n <= kTsCount; ++n) {
        if (!all && !table.UsedInLogic[n]) continue;
        bool rowChanged = false;
        if (count == rows.size()) {
            rows.emplace_back();
            rowChanged = true;
        }
        TsListRow& row = rows[count++];
        rowChanged |= PutNumber(row[kTsNumberColumn], n);
        rowChanged |=
            Put(row[kTsNameColumn], table.Name[n].empty() ? std::string_view("N/A") : table.Name[n]);
        rowChanged |= PutNumber(row[kTsValueColumn], table.Value[n]);
        // The flag columns are written also when clear, so that no "+" of an earlier fill stays.
        rowChanged |= Put(row[kTsInvertedColumn], table.Inverted[n] ? "+" : "");
        rowChanged |= Put(row[kTsTwoPosColumn], table.TwoPosition[n] ? "+" : "");
        if (changed) changed->push_back(rowChanged ? 1 : 0);
    }
    rows.resize(count);
}

TsListCellLook TsListCellStyle(const interlock::TsTableData& table, bool all, int row, int column,
                               const std::string& text, const std::string& numberText) {
    TsListCellLook look;
    if (row == 0) {
        look.fill = col::kHighlight;
        look.text = col::kWhite;
        look.bold = true;
        look.offset = column >= 0 && column < kTsListColumns ? kHeaderOffsets[column] : 0;
        return look;
    }
    look.fill = row % 2 == 1 ? col::kWindowBackground : col::kWindow;
    look.text = col::kNearBlack;
    switch (column) {
        case kTsNumberColumn: {
            int n = SmallNumber(numberText, 0);
            look.offset = n < 10 ? 20 : n < 100 ? 16 : 12;
            // Only a real TS number may index the table: the number text is read back from the
            // grid, and an index beyond 1..256 would lie outside it.
            look.bold = all && n >= 1 && n <= kTsCount && table.UsedInLogic[n];
            break;
        }
        case kTsNameColumn:
            look.offset = 5;
            break;
        case kTsValueColumn:
            look.bold = true;
            look.text = text == "1" ? col::kGreen : col::kRed;
            look.offset = 27;
            break;
        case kTsInvertedColumn:
        case kTsTwoPosColumn:
            look.bold = true;
            look.text = col::kGreen;
            look.offset = 25;
            break;
        default:
            break;
    }
    return look;
}

bool ToggleTsAttribute(interlock::TsTableData& table, int row, int column, const std::string& numberText) {
    if (row < 1 || (column != kTsInvertedColumn && column != kTsTwoPosColumn)) return false;
    int32_t n = 0;
    if (!interlock::IsIntInRange(numberText, 1, kTsCount, &n)) return false;
    if (column == kTsInvertedColumn) {
        // The second TS of a pair takes its inversion from the first.
        if (table.PairSecond[n]) return false;
        table.Inverted[n] ^= 1;
        return true;
    }
    // For TS 256 the partner flag lies at index 257, which the table has room for.
    if (table.PairSecond[n]) {
        table.TwoPosition[n] = 0;
        table.PairSecond[n + 1] = 0;
    } else {
        table.TwoPosition[n] = table.TwoPosition[n] ? 0 : 1;
        table.PairSecond[n + 1] = table.TwoPosition[n];
    }
    return true;
}

}  // namespace ui
