// The real boxes of the program: QMessageBox, QInputDialog and QFileDialog.

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStringList>

#include "ui/model/dialogs.h"
#include "ui/widgets/qt_text.h"

namespace ui {
namespace {

QMessageBox::Icon ToQIcon(interlock::Icon icon) {
    switch (icon) {
        case interlock::Icon::None:
            return QMessageBox::NoIcon;
        case interlock::Icon::Information:
            return QMessageBox::Information;
        case interlock::Icon::Warning:
            return QMessageBox::Warning;
        case interlock::Icon::Error:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// One filter entry in Qt's form "text (mask mask)". A text that already ends with its masks in
// brackets is kept as it is; a text equal to the mask is the mask alone.
QString ToQtFilter(const FileFilter& filter) {
    QString masks = ToQString(filter.mask);
    masks.replace(';', ' ');
    masks = masks.simplified();
    const QString text = ToQString(filter.description);
    if (text == masks || text.endsWith("(" + masks + ")")) return text;
    return text + " (" + masks + ")";
}

std::optional<std::string> RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QStringList filters;
    for (const FileFilter& f : request.filters) filters << ToQtFilter(f);

    QFileDialog dialog(nullptr);
    dialog.setAcceptMode(mode);
    // A name that does not exist may be typed in the open dialog too; the caller reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(ToQString(request.defaultExt));
    if (mode == QFileDialog::AcceptSave && !request.confirmOverwrite) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    const QString initial = ToQString(request.initialName);
    if (!initial.isEmpty()) {
        const QFileInfo info(initial);
        if (info.path() != ".") dialog.setDirectory(info.path());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return FromQString(chosen.front());
}

}  // namespace

void QtDialogs::Message(const interlock::Message& message) {
    QMessageBox box(ToQIcon(message.icon), ToDisplayText(message.caption), ToDisplayText(message.text),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtDialogs::AskYesNo(const std::string& text, const std::string& caption, interlock::Icon icon) {
    QMessageBox box(ToQIcon(icon), ToDisplayText(caption), ToDisplayText(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::InputBox(const std::string& caption, const std::string& prompt,
                                               const std::string& defaultValue) {
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, ToDisplayText(caption), ToDisplayText(prompt),
                                               QLineEdit::Normal, ToQString(defaultValue), &ok);
    if (!ok) return std::nullopt;
    return FromQString(text);
}

std::optional<std::string> QtDialogs::OpenFile(const FileDialogRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtDialogs::SaveFile(const FileDialogRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptSave);
}

bool QtDialogs::Print(const PrintRequest& request, const PaintPages& paint) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(ToQString(request.title));
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    printer.setFullPage(true);  // the document draws its own margins and frame
    if (request.way == PrintWay::Dialog) {
        QPrintDialog dialog(&printer);
        dialog.setWindowTitle(ToQString(request.title));
        if (dialog.exec() != QDialog::Accepted) return false;
        return paint(printer);
    }
    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle(ToQString(request.title));
    bool painted = true;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* p) { painted = paint(*p) && painted; });
    return preview.exec() == QDialog::Accepted && painted;
}

}  // namespace ui
