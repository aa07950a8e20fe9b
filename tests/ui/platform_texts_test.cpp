// What the platform shows of the program's own texts, under a real X server (xvfb-run): the
// window titles the window manager receives and the standard buttons of the boxes. Titles are
// read back from the X window (_NET_WM_NAME), where the platform may have added to them.

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <xcb/xcb.h>

#include <fstream>
#include <functional>
#include <memory>

#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "ui/widgets/application.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/model/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "ui/widgets/qt_text.h"

using interlock::Icon;

namespace {

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(r);
    return atom;
}

// The title the X server holds for the widget's window, as the window manager reads it.
QString PublishedTitle(QWidget* w) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !w->windowHandle()) return "<no X window>";
    xcb_connection_t* c = x11->connection();
    const auto window = static_cast<xcb_window_t>(w->windowHandle()->winId());
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), 0, 4096), nullptr);
    QString title = "<no title>";
    if (r && r->type != XCB_ATOM_NONE) {
        title = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(r)),
                                  xcb_get_property_value_length(r));
    }
    free(r);
    return title;
}

// Runs `inspect` on the modal box `open` shows, then closes the box with Escape.
void WithModalBox(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible() || seen) return;
        seen = true;
        inspect(box);
        QTest::keyClick(box, Qt::Key_Escape);
        if (box->isVisible()) box->close();
    });
    poll.start();
    open();
    poll.stop();
    QVERIFY(seen);
}

}  // namespace

class PlatformTextsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run under an X server (xvfb-run)");
        ui::PrepareApplication(*qApp);
    }

    void boxTitlesAreTheCaptions_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("question");
        QTest::newRow("error") << QStringLiteral("Ошибка") << false;
        QTest::newRow("attention") << QStringLiteral("Внимание") << false;
        QTest::newRow("file") << QStringLiteral("Ошибка при открытии файла") << false;
        QTest::newRow("nullify") << QStringLiteral("Обнуление блока") << true;
        QTest::newRow("close") << QStringLiteral("Завершение работы программы") << true;
    }
    void boxTitlesAreTheCaptions() {
        QFETCH(QString, caption);
        QFETCH(bool, question);
        ui::QtDialogs dialogs;
        const std::string c = ui::FromQString(caption);
        WithModalBox(
            [&] {
                if (question)
                    dialogs.AskYesNo(W("?"), c, Icon::Information);
                else
                    dialogs.Message({W("!"), c, Icon::Error});
            },
            [&](QWidget* box) { QCOMPARE(PublishedTitle(box), caption); });
    }

    void mainWindowTitleAfterALoadIsTheProgramsText() {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/";
        std::ofstream(folder + "plant.blk", std::ios::binary)
            << std::ifstream(EXAMPLE_BLK, std::ios::binary).rdbuf();
        interlock::Workspace ws;
        ui::ScriptedDialogs dialogs;
        auto form = std::make_unique<ui::TForm1>(ws, dialogs, folder);
        form->CreateSecondaryWindows();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(PublishedTitle(form.get()), QStringLiteral("Оперативные блокировки Орвеск"));
        dialogs.AnswerOpenFile(folder + "plant.blk");
        form->Bench().Doc().Load_File_ButtonClick();
        const QString expected =
            QStringLiteral("Оперативные блокировки Орвеск - ") + dir.path() + "/plant.blk";
        QCOMPARE(form->windowTitle(), expected);
        QTRY_COMPARE(PublishedTitle(form.get()), expected);
    }

    // Qt's own texts of the boxes and the file dialogs are Russian.
    void standardButtonsSpeakRussian() {
        QMessageBox box(QMessageBox::Information, "x", "y",
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QStringLiteral("Нет"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove('&'), QStringLiteral("Отмена"));

        QFileDialog dialog(nullptr);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        QStringList labels;
        for (QLabel* l : dialog.findChildren<QLabel*>()) labels << l->text().remove('&');
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) labels << b->text().remove('&');
        QVERIFY2(!labels.contains("Look in:") && !labels.contains("File name:") && !labels.contains("Cancel"),
                 qPrintable(labels.join('|')));
        QVERIFY2(labels.contains(QStringLiteral("Отмена")), qPrintable(labels.join('|')));
    }
};

QTEST_MAIN(PlatformTextsTest)
#include "platform_texts_test.moc"
