#pragma once

// The two string grids of the main window: the TS grid (TS number above its value, one column
// per TS the logic on view reads, a fixed caption column) and the M grid (M variables and the
// block's output V). Both paint their cells themselves from the texts they hold.

#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

class QScrollBar;

namespace ui {

// Fonts of the design ("MS Sans Serif", "Verdana", "Lucida Sans"), with Linux stand-ins no
// wider than them.
QFont DesignFont(const QString& family, int pixelHeight, bool bold = false);

// Text offset inside a TS grid value or number cell: a rough centring by digit count.
int TsCellOffset(const QString& text);
// Text offset of an M grid name cell ("M3", "V12").
int MCellOffset(const QString& text);

class TsGridWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 50;
    static constexpr int kRowHeight = 24;

    explicit TsGridWidget(QWidget* parent = nullptr);

    // Column 0 is the caption column; columns 1.. hold the TS.
    void SetCaptions(const QString& row0, const QString& row1);
    void SetColumns(const std::vector<std::pair<int, int>>& columns);
    int ColumnCount() const { return static_cast<int>(cells_.size()) + 1; }
    QString Cell(int col, int row) const;

    int CurrentColumn() const { return col_; }
    int CurrentRow() const { return row_; }
    void SetCurrentCell(int col, int row);
    int LeftColumn() const { return leftCol_; }

    // Geometry of a cell on screen (scrolled), for tests and hints.
    QRect CellRect(int col, int row) const;

signals:
    void ValueKey(char key);   // "0" or "1" typed
    void CellDoubleClicked();  // on the current cell
    void PointerMoved(QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    int VisibleColumns() const;
    void UpdateScrollBar();
    int ColumnAt(int x) const;
    void EnsureVisible(int col);

    QString caption0_, caption1_;
    std::vector<std::pair<int, int>> columns_;        // (TS number, value) of columns 1..
    std::vector<std::pair<QString, QString>> cells_;  // the same as texts
    int col_ = 1;
    int row_ = 0;
    int leftCol_ = 1;  // first scrolled column on show
    QScrollBar* scroll_ = nullptr;
};

class MGridWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 50;
    static constexpr int kRowHeight = 21;

    explicit MGridWidget(QWidget* parent = nullptr);
    void SetRows(const std::vector<std::pair<QString, int>>& rows);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    QString Cell(int col, int row) const;
    // Where a cell lies in the grid (column 0 the name, 1 the value).
    static QRect CellRect(int col, int row);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::pair<QString, QString>> rows_;
    std::vector<int> values_;
};

}  // namespace ui
