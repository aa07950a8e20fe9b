// The operator's undo in the logic editor of the main window: a refresh that leaves the editor's
// text as it is (the text is the block's already) keeps the editor's history, so Ctrl+Z still
// takes back the typing afterwards.

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <functional>
#include <memory>

#include "interlock/workspace.h"
#include "ui/widgets/color_button.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/model/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/widgets/signal_grids.h"

using ui::TForm1;

class EditorUndoTest : public QObject {
    Q_OBJECT
private slots:
    void refreshKeepsTheTypingUndoable();
};

void EditorUndoTest::refreshKeepsTheTypingUndoable() {
    struct Row {
        const char* name;
        std::function<void(TForm1&)> refresh;
    };
    const Row rows[] = {
        {"recalculate button", [](TForm1& f) { QTest::mouseClick(f.Recalculate_Button, Qt::LeftButton); }},
        {"colouring switched off and on",
         [](TForm1& f) {
             f.Check_Color->click();
             f.Check_Color->click();
         }},
        {"name entered", [](TForm1& f) { QTest::keyClick(f.Block_Name, Qt::Key_Return); }},
        {"TS value typed in the grid",
         [](TForm1& f) {
             f.TS_Grid->SetCurrentCell(1, 1);
             QTest::keyClick(f.TS_Grid, Qt::Key_1);
         }},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("Temp");
        interlock::Workspace ws;
        ui::ScriptedDialogs dialogs;
        auto f = std::make_unique<TForm1>(ws, dialogs, dir.path().toStdString() + "/");
        f->CreateSecondaryWindows();
        f->show();
        f->Check_Change_TS->setChecked(true);
        f->TS_State_Number->setText("S1");
        QTest::keyClick(f->TS_State_Number, Qt::Key_Return);

        f->Logic->setFocus();
        f->Logic->moveCursor(QTextCursor::End);
        QTest::keyClicks(f->Logic, "V1=AND(S2)");
        QTest::mouseClick(f->Recalculate_Button, Qt::LeftButton);  // the text becomes the block's
        QTest::keyClicks(f->Logic, ",");
        QTest::keyClick(f->Logic, Qt::Key_Backspace);
        QTest::keyClick(f->Logic, Qt::Key_Backspace);
        QTest::keyClicks(f->Logic, ",S3)");
        QTest::mouseClick(f->Recalculate_Button, Qt::LeftButton);
        QCOMPARE(f->Logic->toPlainText(), QStringLiteral("V1=AND(S2,S3)"));

        row.refresh(*f);
        QVERIFY2(f->Logic->toPlainText() == "V1=AND(S2,S3)", row.name);
        QVERIFY2(f->Logic->document()->isUndoAvailable(), row.name);
        f->Logic->setFocus();
        QTest::keyClick(f->Logic, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY2(f->Logic->toPlainText() != "V1=AND(S2,S3)", row.name);
        while (f->Logic->document()->isUndoAvailable())
            QTest::keyClick(f->Logic, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY2(f->Logic->toPlainText().isEmpty(), row.name);
        f.reset();
    }
}

QTEST_MAIN(EditorUndoTest)
#include "editor_undo_test.moc"
