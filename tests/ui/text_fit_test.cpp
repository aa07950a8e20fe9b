// Every text a label, check box, radio button, tab or command button of the program's windows
// can show fits inside the control at its design size, measured with the fonts the program
// really gets on this machine. A text that does not fit is cut by a label (the verdict
// "запрещено**" read as "запрещено") or grows a button over its neighbours.

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "interlock/workspace.h"
#include "ui/widgets/color_button.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/model/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "ui/main/templates_form.h"
#include "ui/main/ts_captions_form.h"
#include "ui/main/view_file_form.h"
#include "ui/widgets/widgets.h"

using ui::TColorButton;
using ui::TForm1;

namespace {

QString Q(const std::string& cp1251) { return ui::ToQString(cp1251); }

// What does not fit: "name: text (needed > room)".
class Misfits {
public:
    void Label(QLabel* l, const QString& text) {
        const QString old = l->text();
        l->setText(text);
        const QSize need = l->sizeHint();
        l->setText(old);
        Check(l, text, need, l->size());
    }
    void Button(QAbstractButton* b, const QString& text) {
        const QString old = b->text();
        b->setText(text);
        const QSize need = b->sizeHint();
        b->setText(old);
        Check(b, text, need, b->size());
    }
    void Tab(TColorButton* b, const QString& caption, bool bold) {
        const QString oldCaption = b->Caption();
        const bool oldBold = b->font().bold();
        b->setCaption(caption);
        b->setFontBold(bold);
        const QSize need = b->FittedSize();
        b->setCaption(oldCaption);
        b->setFontBold(oldBold);
        Check(b, caption + (bold ? " (bold)" : ""), need, b->size());
    }
    QStringList list;
    int tightest = 1 << 20;  // the least room to spare, in pixels
    QString tightestText;

private:
    void Check(QWidget* w, const QString& text, QSize need, QSize room) {
        if (room.width() - need.width() < tightest) {
            tightest = room.width() - need.width();
            tightestText = Name(w) + " \"" + text + "\"";
        }
        if (need.width() <= room.width() && need.height() <= room.height()) return;
        list << QString("%1 \"%2\": %3x%4 needed, %5x%6 there")
                    .arg(Name(w), text)
                    .arg(need.width())
                    .arg(need.height())
                    .arg(room.width())
                    .arg(room.height());
    }
    static QString Name(QWidget* w) {
        QString name = w->objectName();
        if (name.isEmpty()) name = w->metaObject()->className();
        return w->window()->metaObject()->className() + QString("/") + name;
    }
};

}  // namespace

class TextFitTest : public QObject {
    Q_OBJECT
private slots:
    void everyTextFitsItsControl();
};

void TextFitTest::everyTextFitsItsControl() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Temp");
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    auto f = std::make_unique<TForm1>(ws, dialogs, dir.path().toStdString() + "/");
    f->CreateSecondaryWindows();
    // Not shown: a button grows to its caption when painted, and the design sizes are wanted.

    // The texts the window's own code puts into its labels and the state field.
    const interlock::EngineTexts& tx = interlock::Texts();
    std::map<QWidget*, std::vector<std::string>> shown{
        {f->Top_Label4, {tx.unknown, tx.stateOn, tx.stateOff, tx.stateOn + "*", tx.stateOff + "*"}},
        {f->Top_Label5, {tx.controlCaption, tx.switchOn, tx.switchOff}},
        {f->Top_Label6,
         {tx.allowed, tx.forbidden, tx.forbiddenStar, tx.forbiddenTwoStars, tx.error, tx.unknownVerdict}},
        {f->Top_Label7, {tx.warningDesign}},
        {f->Top_Label_Name, {tx.nameLabelDesign}},  // an apparatus name is the operator's text
        {f->TS_State_Value, {tx.stateValueOn, tx.stateValueOff, "---", "0"}},
    };

    Misfits misfits;
    for (QWidget* window :
         {static_cast<QWidget*>(f.get()), static_cast<QWidget*>(f->ViewFileForm()),
          static_cast<QWidget*>(f->TemplatesForm()), static_cast<QWidget*>(f->TsCaptionsForm())}) {
        for (QLabel* l : window->findChildren<QLabel*>()) {
            auto it = shown.find(l);
            if (it == shown.end()) {
                misfits.Label(l, l->text());
                continue;
            }
            for (const std::string& t : it->second) misfits.Label(l, Q(t));
        }
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) misfits.Button(b, b->text());
        // Tabs are bold while selected; command buttons always are.
        for (TColorButton* b : window->findChildren<TColorButton*>()) {
            misfits.Tab(b, b->Caption(), true);
            misfits.Tab(b, b->Caption(), b->font().bold());
        }
    }
    for (int i = 1; i <= 16; ++i) {
        misfits.Tab(f->Tab[i], QString::number(i + 16), true);
        misfits.Tab(f->Tab[i], QString::number(i + 16), false);
    }
    qInfo("tightest: %s, %d px to spare", qPrintable(misfits.tightestText), misfits.tightest);
    QVERIFY2(misfits.list.isEmpty(), qPrintable("\n" + misfits.list.join('\n')));
}

QTEST_MAIN(TextFitTest)
#include "text_fit_test.moc"
