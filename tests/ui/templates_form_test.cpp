// The templates window opened from the main window's "Шаблоны" button and driven as the
// operator drives it: the list, the parameter fields, the block number and name, and the
// button "Загрузить шаблон", with scripted message boxes over a folder of program files.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>

#include "storage/file_io.h"
#include "ui/widgets/color_button.h"
#include "interlock/cp1251.h"
#include "tests/support/window_rig.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "ui/main/templates_form.h"
#include "interlock/workspace.h"

using interlock::Icon;
using ui::TColorButton;
using ui::TForm1;
using ui::TForm5;

namespace {

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

// A library of three templates: the first with captions for parameters 1, 2 and 5 and the
// state "S2", the second without parameters.
std::string Library() {
    return W(
        "@\r\n"
        "## Разъединитель\r\n"
        "#TS - S1 - Положение QS\r\n"
        "#TS - S2 - Состояние\r\n"
        "#TS - S5 - Выключатель Q\r\n"
        "#State - S2\r\n"
        "#Off->On\r\n"
        "V=AND(~S5,S1)\r\n"
        "#On->Off\r\n"
        "V=AND(~S5)\r\n"
        "## Без параметров\r\n"
        "#Off->On\r\n"
        "V=AND(S3)\r\n"
        "## Третий\r\n"
        "#TS - S1 - Один\r\n"
        "#State - S1\r\n"
        "#Off->On\r\n"
        "V=AND(S1)\r\n"
        "@\r\n");
}

class Rig : public test::WindowRig {
public:
    // library: the bytes of templates.txt, or null for no file.
    explicit Rig(const std::string* library) {
        if (library) Write("templates.txt", *library);
        Start();
    }

    TForm5& T5() { return *form->TemplatesForm(); }

    // Clicks "Шаблоны" and runs `inside` while the modal window is open; the window is closed
    // afterwards if `inside` left it open. Returns whether the window was open at all.
    bool WithTemplatesWindow(const std::function<void(TForm5&)>& inside) {
        bool opened = false;
        QTimer::singleShot(0, form.get(), [&] {
            TForm5& t = T5();
            opened = t.isVisible() && t.isModal();
            inside(t);
            if (t.isVisible()) t.reject();
        });
        QTest::mouseClick(form->Templates_Button, Qt::LeftButton);
        QCoreApplication::processEvents();  // a window that did not open still runs `inside` now
        return opened;
    }
};

void Click(TColorButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

void TypeInto(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
}

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

int VisibleFields(const TForm5& t) {
    int n = 0;
    for (int j = 1; j <= 16; ++j) n += t.LabeledEdit[j]->isVisibleTo(&t) ? 1 : 0;
    return n;
}

}  // namespace

class TemplatesFormTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheLibraryAndLaysOutTheFields();
    void insertsIntoTheCurrentBlock();
    void insertsIntoAnotherBlock();
    void badBlockNumberKeepsTheWindowOpen_data();
    void badBlockNumberKeepsTheWindowOpen();
    void missingLibraryOpensAnEmptyWindow();
    void shippedLibraryGivesWorkingBlocks();
};

void TemplatesFormTest::opensWithTheLibraryAndLaysOutTheFields() {
    const std::string library = Library();
    Rig rig(&library);
    bool opened = rig.WithTemplatesWindow([&](TForm5& t) {
        QCOMPARE(Items(t.Templates_LB),
                 QStringList({QStringLiteral("Разъединитель"), QStringLiteral("Без параметров"),
                              QStringLiteral("Третий")}));
        QCOMPARE(t.Templates_LB->currentIndex(), 0);
        QCOMPARE(t.Block_Name->text(), QStringLiteral("Разъединитель"));
        QCOMPARE(t.Block_Number->text(), QStringLiteral("1"));
        QCOMPARE(t.Templates_LB->maxVisibleItems(), 10);

        // Captions 1, 2 and 5: fields 1 and 2 in the first row, field 3 on the left of the second.
        QCOMPARE(VisibleFields(t), 3);
        QCOMPARE(t.EditLabel[3]->text(), QStringLiteral("Выключатель Q"));
        QCOMPARE(t.BoundParameter(3), 5);
        QCOMPARE(t.LabeledEdit[1]->geometry(), QRect(300, 88, 50, 21));
        QCOMPARE(t.LabeledEdit[2]->geometry().topLeft(), QPoint(652, 88));
        QCOMPARE(t.LabeledEdit[3]->geometry().topLeft(), QPoint(300, 120));
        QCOMPARE(t.EditLabel[1]->geometry().right() + 1, 300 - 10);
        QVERIFY(t.EditLabel[1]->width() >= 80);
        QCOMPARE(t.EditLabel[2]->geometry().right() + 1, 652 - 10);
        QCOMPARE(t.Send_Template->geometry().topLeft(), QPoint(183, 152));
        QCOMPARE(t.Close_Button->geometry().topLeft(), QPoint(383, 152));
        QCOMPARE(t.OuterHeight(), 217);
        QCOMPARE(t.height(), 217 - TForm1::kFrameHeight);

        // At most five characters; typed texts stay when another template is chosen.
        TypeInto(t.LabeledEdit[1], "S123456");
        QCOMPARE(t.LabeledEdit[1]->text(), QStringLiteral("S1234"));
        t.Templates_LB->setFocus();
        QTest::keyClick(t.Templates_LB, Qt::Key_Down);
        QCOMPARE(t.Templates_LB->currentIndex(), 1);
        QCOMPARE(t.Block_Name->text(), QStringLiteral("Без параметров"));
        QCOMPARE(VisibleFields(t), 0);
        QCOMPARE(t.BoundParameter(1), 0);
        QCOMPARE(t.Send_Template->y(), 88);
        QCOMPARE(t.OuterHeight(), 153);
        QTest::keyClick(t.Templates_LB, Qt::Key_Down);
        QCOMPARE(VisibleFields(t), 1);
        QCOMPARE(t.LabeledEdit[1]->text(), QStringLiteral("S1234"));
        QCOMPARE(t.Send_Template->y(), 120);
        Click(t.Close_Button);
        QVERIFY(!t.isVisible());
        QCOMPARE(t.TemplateCount(), 0);
    });
    QVERIFY(opened);
    QVERIFY(rig.dialogs.Log().empty());
    QVERIFY(rig.ws.Blocks[1].IsEmpty());

    // The next opening reads the library again and clears the fields.
    opened = rig.WithTemplatesWindow([&](TForm5& t) {
        QCOMPARE(t.TemplateCount(), 3);
        QCOMPARE(t.LabeledEdit[1]->text(), QString());
        QCOMPARE(VisibleFields(t), 3);
    });
    QVERIFY(opened);
}

void TemplatesFormTest::insertsIntoTheCurrentBlock() {
    const std::string library = Library();
    Rig rig(&library);
    TForm1& f = *rig.form;
    f.Logic->setPlainText("typed, not committed");
    bool opened = rig.WithTemplatesWindow([&](TForm5& t) {
        TypeInto(t.LabeledEdit[1], "S10");
        TypeInto(t.LabeledEdit[2], "~S9");
        TypeInto(t.LabeledEdit[3], "S11");
        t.Block_Name->setText(QStringLiteral("QS1 ввода"));  // typing tests send Latin keys only
        Click(t.Send_Template);
        QVERIFY(!t.isVisible());
    });
    QVERIFY(opened);
    const interlock::Block& b = rig.ws.Blocks[1];
    QCOMPARE(b.OnLogic, std::vector<std::string>{"V1=AND(~S11,S10)"});
    QCOMPARE(b.OffLogic, std::vector<std::string>{"V1=AND(~S11)"});
    QCOMPARE(b.StateSignal, int16_t(-9));  // state "S2" with parameter 2 = ~S9
    QCOMPARE(b.Name, W("QS1 ввода"));
    QVERIFY(!b.OnError && !b.OffError);
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("~S9"));
    QCOMPARE(f.Block_Name->text(), QStringLiteral("QS1 ввода"));
    QCOMPARE(f.Logic->toPlainText(), QStringLiteral("V1=AND(~S11,S10)"));
    QCOMPARE(f.Top_Label_Name->text(), QStringLiteral("QS1 ввода"));
    QVERIFY(rig.dialogs.Log().empty());
}

void TemplatesFormTest::insertsIntoAnotherBlock() {
    const std::string library = Library();
    Rig rig(&library);
    TForm1& f = *rig.form;
    TypeInto(f.TS_State_Number, "S4");
    QTest::keyClick(f.TS_State_Number, Qt::Key_Return);
    TypeInto(f.Block_Name, "current");
    QTest::keyClick(f.Block_Name, Qt::Key_Return);
    f.Logic->setPlainText("V1=AND(S7)");
    Click(f.Recalculate_Button);

    bool opened = rig.WithTemplatesWindow([&](TForm5& t) {
        TypeInto(t.Block_Number, "5");
        TypeInto(t.LabeledEdit[1], "S20");
        TypeInto(t.LabeledEdit[2], "S21");
        // Field 3 (parameter 5) left empty: "~S5" becomes "~" and the ON side does not parse.
        Click(t.Send_Template);
        QVERIFY(!t.isVisible());
    });
    QVERIFY(opened);
    const interlock::Block& b = rig.ws.Blocks[5];
    QCOMPARE(b.OnLogic, std::vector<std::string>{"V5=AND(~,S20)"});
    QCOMPARE(b.StateSignal, int16_t(21));
    QCOMPARE(b.Name, W("Разъединитель"));
    QVERIFY(b.OnError);
    QCOMPARE(rig.ws.Tabs[5].colour, interlock::colour::kRed);
    QCOMPARE(f.Tab[5]->Color(), interlock::colour::kRed);
    // The window goes on showing block 1.
    QCOMPARE(rig.ws.CurrentBlock, 1);
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S4"));
    QCOMPARE(f.Block_Name->text(), QStringLiteral("current"));
    QCOMPARE(f.Logic->toPlainText(), QStringLiteral("V1=AND(S7)"));
    QCOMPARE(rig.ws.Blocks[1].StateSignal, int16_t(4));
}

void TemplatesFormTest::badBlockNumberKeepsTheWindowOpen_data() {
    QTest::addColumn<QString>("number");
    QTest::newRow("zero") << "0";
    QTest::newRow("thirty-three") << "33";
    QTest::newRow("empty") << "";
    QTest::newRow("letters") << "Q5";
}

void TemplatesFormTest::badBlockNumberKeepsTheWindowOpen() {
    QFETCH(QString, number);
    const std::string library = Library();
    Rig rig(&library);
    bool opened = rig.WithTemplatesWindow([&](TForm5& t) {
        TypeInto(t.Block_Number, number);
        TypeInto(t.LabeledEdit[1], "S10");
        Click(t.Send_Template);
        QVERIFY(t.isVisible());
        QCOMPARE(
            rig.dialogs.Messages(),
            std::vector<interlock::Message>(
                {{W("Некорректный номер блока для вставки. Прерываю работу."), W("Внимание"), Icon::None}}));
    });
    QVERIFY(opened);
    for (int n = 1; n <= interlock::kBlockCount; ++n) QVERIFY(rig.ws.Blocks[n].IsEmpty());
}

void TemplatesFormTest::missingLibraryOpensAnEmptyWindow() {
    Rig rig(nullptr);
    Click(rig.form->Tab[3]);
    bool opened = rig.WithTemplatesWindow([&](TForm5& t) {
        QCOMPARE(t.Templates_LB->count(), 0);
        QCOMPARE(VisibleFields(t), 0);
        QCOMPARE(t.Block_Name->text(), QString());
        QCOMPARE(t.Block_Number->text(), QStringLiteral("3"));
        QCOMPARE(t.OuterHeight(), 153);
        // Nothing to insert.
        Click(t.Send_Template);
        QVERIFY(t.isVisible());
    });
    QVERIFY(opened);
    const std::vector<interlock::Message> shown = rig.dialogs.Messages();
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(shown[0].icon, Icon::Error);
    QVERIFY(shown[0].text.find(storage::SystemErrorText(ENOENT)) != std::string::npos);
    QVERIFY(rig.ws.Blocks[3].IsEmpty());
}

// The library shipped with the program: every template inserted with its parameters filled
// gives a block that parses.
void TemplatesFormTest::shippedLibraryGivesWorkingBlocks() {
    QFile shipped(QStringLiteral(SHIPPED_TEMPLATES));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray bytes = shipped.readAll();
    const std::string library(bytes.constData(), static_cast<size_t>(bytes.size()));
    Rig rig(&library);
    int count = 0;
    QVERIFY(rig.WithTemplatesWindow([&](TForm5& t) { count = t.Templates_LB->count(); }));
    QVERIFY(count >= 4);
    for (int i = 0; i < count; ++i) {
        const int block = 2 + i;
        QVERIFY(rig.WithTemplatesWindow([&](TForm5& t) {
            t.Templates_LB->setCurrentIndex(i);
            t.Templates_LBSelect();
            TypeInto(t.Block_Number, QString::number(block));
            for (int j = 1; j <= 16; ++j) {
                if (t.LabeledEdit[j]->isVisibleTo(&t))
                    TypeInto(t.LabeledEdit[j], QString("S%1").arg(20 * block + j));
            }
            Click(t.Send_Template);
        }));
        const interlock::Block& b = rig.ws.Blocks[block];
        QVERIFY2(!b.OnError, cp1251::ToUtf8(b.OnErrorMessage).c_str());
        QVERIFY2(!b.OffError, cp1251::ToUtf8(b.OffErrorMessage).c_str());
        QVERIFY(b.StateSignal != 0);
        QVERIFY(!b.Name.empty());
    }
    QVERIFY(rig.dialogs.Log().empty());
}

QTEST_MAIN(TemplatesFormTest)
#include "templates_form_test.moc"
