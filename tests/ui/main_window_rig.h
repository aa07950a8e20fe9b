#pragma once

// What the main window tests share. The main window driven as the operator drives it: clicks on the tabs and
// buttons, typing in the fields and the editor, keys and double-clicks in the TS grid, the check boxes of the
// settings panel, and the file commands with scripted dialogs. Every test starts the program
// afresh over its own folder of program files (settings.ini, Temp/) and looks only at what the
// operator sees: labels, tabs, grids, the editor, the window height, the boxes shown and the
// files written.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "ui/widgets/color_button.h"
#include "ui/widgets/colours.h"
#include "interlock/cp1251.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_rig.h"
#include "acquisition/rtu_reception.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/signal_grids.h"
#include "ui/main/view_file_form.h"
#include "ui/widgets/widgets.h"
#include "interlock/workspace.h"

using interlock::Icon;
using ui::TColorButton;
using ui::TForm1;
namespace col = interlock::colour;

namespace main_window_test {

inline std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

// ---- The program over a folder of its own ----

using Rig = test::WindowRig;

// ---- What the operator does ----

inline void Click(TColorButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

inline void TypeInto(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
}

inline void Enter(QWidget* field) { QTest::keyClick(field, Qt::Key_Return); }

// Replaces the editor text by typing it, line by line.
inline void TypeLogic(TForm1& f, const QString& text) {
    f.Logic->clear();
    const QStringList lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (i) QTest::keyClick(f.Logic, Qt::Key_Return);
        QTest::keyClicks(f.Logic, lines[i]);
    }
}

// Clicks a check box of the settings panel on its indicator (the panel is opened first).
inline void ClickBox(TForm1& f, QCheckBox* box) {
    if (!f.Settings_Panel->isVisible()) Click(f.Tab_Settings);
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

// A whole block as the operator enters it: state signal and Enter, the OFF logic in the view
// "Вкл -> Откл", the ON logic in the view "Откл -> Вкл", the name, then "Пересчитать логику".
inline void EnterBlock(TForm1& f, const QString& state, const QString& off, const QString& on,
                       const QString& name = {}) {
    TypeInto(f.TS_State_Number, state);
    Enter(f.TS_State_Number);
    if (f.Tab_Off->isEnabled()) Click(f.Tab_Off);
    TypeLogic(f, off);
    Click(f.Tab_On);
    TypeLogic(f, on);
    TypeInto(f.Block_Name, name);
    Click(f.Recalculate_Button);
}

// TS data as it would come from the RTU or the server: "V5=1" value, "U3=2" unreliability,
// "T5" two-position, "F5" from the server, "N3=Q3" name; separated by blanks.
inline void SetTs(interlock::Workspace& ws, const std::string& items) {
    std::istringstream in(items);
    std::string item;
    interlock::TsTableData& t = ws.TsTable;
    while (in >> item) {
        const size_t eq = item.find('=');
        const int n = std::stoi(item.substr(1, eq == std::string::npos ? std::string::npos : eq - 1));
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        switch (item[0]) {
            case 'V':
                t.Value[n] = static_cast<int16_t>(std::stoi(value));
                break;
            case 'U':
                t.Unreliability[n] = static_cast<uint8_t>(std::stoi(value));
                break;
            case 'T':
                t.TwoPosition[n] = 1;
                break;
            case 'F':
                t.FromServer[n] = 1;
                break;
            case 'N':
                t.Name[n] = value;
                break;
            default:
                QFAIL(("bad TS item " + item).c_str());
        }
    }
}

// ---- What the operator sees ----

inline QString Hint(const QWidget* w) { return w->toolTip(); }

inline QColor TextColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

inline QColor Q(interlock::Colour c) { return ui::ToQColor(c); }

inline QString LookOf(const TColorButton* b) {
    return QString("colour=%1 font=%2 enabled=%3 bold=%4 height=%5")
        .arg(b->Color(), 0, 16)
        .arg(b->FontColor(), 0, 16)
        .arg(b->isEnabled())
        .arg(b->font().bold())
        .arg(b->height());
}

// Only what the tab click itself sets: the old tab is clickable again and back to 25 high.
inline QString EnabledAndHeight(const TColorButton* b) {
    return QString("enabled=%1 height=%2").arg(b->isEnabled()).arg(b->height());
}

inline QString Look(interlock::Colour colour, interlock::Colour font, bool enabled, bool bold, int height) {
    return QString("colour=%1 font=%2 enabled=%3 bold=%4 height=%5")
        .arg(colour, 0, 16)
        .arg(font, 0, 16)
        .arg(enabled)
        .arg(bold)
        .arg(height);
}

// The looks of a block tab by block status (the current block's tab is disabled and 34 high).
inline QString EmptyTab(bool current = false) {
    return Look(col::kWindowBackground, col::kBlack, !current, false, current ? 34 : 25);
}
inline QString NormalTab(bool current = false) {
    return Look(col::kHighlight, col::kWhite, !current, true, current ? 34 : 25);
}
inline QString RedTab(bool current = false) {
    return Look(col::kRed, col::kWhite, !current, true, current ? 34 : 25);
}

// Messages as readable text, the system's line-break bytes spelled out, so that a comparison
// is a comparison of the exact bytes.
inline QString Spell(const std::string& cp1251Text) {
    QString s = ui::ToQString(cp1251Text);
    s.replace("\n", "<LF>").replace("\r", "<CR>");
    return s;
}

inline QString IconName(Icon icon) {
    switch (icon) {
        case Icon::None:
            return "none";
        case Icon::Information:
            return "information";
        case Icon::Warning:
            return "warning";
        case Icon::Error:
            return "error";
    }
    return "?";
}

inline QStringList Boxes(const ui::ScriptedDialogs& d) {
    QStringList list;
    for (const auto& r : d.Log()) {
        list << QString("%1 [%2] %3 (%4)")
                    .arg(ui::KindName(r.kind), Spell(r.caption), Spell(r.text), IconName(r.icon));
    }
    return list;
}

inline QString Box(const char* kind, const char* captionUtf8, const char* textUtf8, Icon icon) {
    return QString("%1 [%2] %3 (%4)").arg(kind, Spell(W(captionUtf8)), Spell(W(textUtf8)), IconName(icon));
}

inline QString EditorText(const TForm1& f) { return f.Logic->toPlainText(); }

// The look of one character of the editor.
inline QTextCharFormat CharAt(const TForm1& f, int line, int column) {
    return f.Logic->ShownFormat(line, column);
}

inline QColor CharColour(const TForm1& f, int line, int column) {
    const QTextCharFormat format = CharAt(f, line, column);
    return format.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : format.foreground().color();
}

inline QStringList TsColumns(const TForm1& f) {
    QStringList list;
    for (int c = 1; c < f.TS_Grid->ColumnCount(); ++c)
        list << f.TS_Grid->Cell(c, 0) + "=" + f.TS_Grid->Cell(c, 1);
    return list;
}

inline QStringList MRows(const TForm1& f) {
    QStringList list;
    for (int r = 0; r < f.M_Grid->RowCount(); ++r) list << f.M_Grid->Cell(0, r) + "=" + f.M_Grid->Cell(1, r);
    return list;
}

inline int ColumnOf(const TForm1& f, int ts) {
    for (int c = 1; c < f.TS_Grid->ColumnCount(); ++c) {
        if (f.TS_Grid->Cell(c, 0) == QString::number(ts)) return c;
    }
    return -1;
}

inline QPoint CellCentre(const TForm1& f, int col, int row) { return f.TS_Grid->CellRect(col, row).center(); }

// ---- Configuration texts ----

// Lines written in UTF-8, stored as a file does: Windows-1251 with CR LF after every line.
inline std::string ConfigFile(std::initializer_list<const char*> lines) {
    std::string bytes;
    for (const char* line : lines) bytes += W(line) + "\r\n";
    return bytes;
}

inline std::string AttributeLine(std::initializer_list<std::pair<int, char>> codes) {
    std::string line = "F=" + std::string(256, '0');
    for (const auto& [n, code] : codes) line[1 + n] = code;
    return line;
}

// The key=value lines of an INI text, each as "section/key=value", in file order.
inline QStringList IniEntries(const std::string& text) {
    QStringList entries;
    QString section;
    for (QString line : QString::fromStdString(text).split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            section = line.mid(1, line.size() - 2);
        } else if (line.contains('=')) {
            entries << section + "/" + line;
        }
    }
    return entries;
}

}  // namespace main_window_test

using namespace main_window_test;
