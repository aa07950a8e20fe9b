#pragma once

// Every message box, input box and file dialog of the program goes through Dialogs, so that
// the windows can be driven by tests with scripted answers. Texts in and out are Windows-1251;
// line breaks inside messages are the program's own (LF CR).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "interlock/workspace.h"

class QPagedPaintDevice;  // the printer the print dialog set up; only passed through here

namespace ui {

// One entry of a file dialog's type list: the text shown and the file mask ("*.blk";
// several masks are separated by ";").
struct FileFilter {
    std::string description;
    std::string mask;

    bool operator==(const FileFilter&) const = default;
};
using FileFilters = std::vector<FileFilter>;

// A file dialog as the program opens it.
struct FileDialogRequest {
    std::string initialName;  // full or bare file name in the name field
    FileFilters filters;
    std::string defaultExt;        // without the dot, e.g. "blk"
    bool confirmOverwrite = true;  // save dialog only

    bool operator==(const FileDialogRequest&) const = default;
};

enum class DialogButtons { Ok, YesNo, OkCancel };

// A document for paper: the system's print dialog, or its preview (from which it may be
// printed as well). `paint` paints the whole document onto the printer chosen and says whether
// it could.
enum class PrintWay { Dialog, Preview };
struct PrintRequest {
    std::string title;  // the document's name for the printer's queue
    PrintWay way = PrintWay::Dialog;

    bool operator==(const PrintRequest&) const = default;
};
using PaintPages = std::function<bool(QPagedPaintDevice& printer)>;

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box with an OK button.
    virtual void Message(const interlock::Message& message) = 0;
    // A modal Yes/No box; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption, interlock::Icon icon) = 0;
    // The input box: the entered text, or nullopt when it was cancelled.
    virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                                const std::string& defaultValue) = 0;
    // File dialogs: the chosen file name, or nullopt when cancelled.
    virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
    // The print dialog or the preview: true when the document was painted for a printer, false
    // when cancelled or when it could not be painted.
    virtual bool Print(const PrintRequest& request, const PaintPages& paint) = 0;

    std::optional<std::string> OpenFile(const std::string& initialName, const FileFilters& filters,
                                        const std::string& defaultExt) {
        return OpenFile(FileDialogRequest{initialName, filters, defaultExt, true});
    }
    std::optional<std::string> SaveFile(const std::string& initialName, const FileFilters& filters,
                                        const std::string& defaultExt, bool confirmOverwrite = true) {
        return SaveFile(FileDialogRequest{initialName, filters, defaultExt, confirmOverwrite});
    }
};

// Shows the messages the core has queued, oldest first, and empties the queue.
void ShowQueuedMessages(Dialogs& dialogs, interlock::Workspace& ws);

// The real boxes: QMessageBox without an owner window, QInputDialog, QFileDialog, QPrintDialog
// and QPrintPreviewDialog.
class QtDialogs : public Dialogs {
public:
    using Dialogs::OpenFile;
    using Dialogs::SaveFile;

    void Message(const interlock::Message& message) override;
    bool AskYesNo(const std::string& text, const std::string& caption, interlock::Icon icon) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultValue) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
    bool Print(const PrintRequest& request, const PaintPages& paint) override;
};

}  // namespace ui
