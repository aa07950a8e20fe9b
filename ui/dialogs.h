#pragma once

// Every message box, input box and file dialog of the program goes through Dialogs, so that
// the windows can be driven by tests with scripted answers. Texts in and out are Windows-1251;
// line breaks inside messages are the program's own (LF CR).

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace ui {

// One entry of a file dialog's type list: the text shown and the file mask ("*.blk";
// several masks are separated by ";").
struct FileFilter {
    std::string description;
    std::string mask;

    bool operator==(const FileFilter&) const = default;
};
using FileFilters = std::vector<FileFilter>;

// A filter list written as "text|mask|text|mask" ("Конфигурация (*.blk)|*.blk|...").
FileFilters ParseFileFilters(const std::string& list);

// A file dialog as the program opens it.
struct FileDialogRequest {
    std::string initialName;  // full or bare file name in the name field
    FileFilters filters;
    std::string defaultExt;        // without the dot, e.g. "blk"
    bool confirmOverwrite = true;  // save dialog only

    bool operator==(const FileDialogRequest&) const = default;
};

enum class DialogButtons { Ok, YesNo, OkCancel };

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

// The real boxes: QMessageBox without an owner window, QInputDialog and QFileDialog.
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
};

// Raised by ScriptedDialogs for a box that the test did not expect.
class UnexpectedDialog : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Dialogs for tests: every box is recorded with its texts, icon and buttons, and answered from
// a queue of scripted answers. A box that needs an answer when none (or one of another kind)
// is queued throws UnexpectedDialog instead of waiting for a user. OK boxes need no answer.
class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Message, YesNo, Input, OpenFile, SaveFile };

    struct Record {
        Kind kind = Kind::Message;
        std::string text;  // message text, or input prompt
        std::string caption;
        interlock::Icon icon = interlock::Icon::None;
        DialogButtons buttons = DialogButtons::Ok;
        std::string defaultValue;           // input box
        FileDialogRequest file;             // file dialogs
        std::optional<std::string> answer;  // text / file name given back ("yes" / "no" for YesNo)
    };

    using Dialogs::OpenFile;
    using Dialogs::SaveFile;

    // Answers, consumed in the order they were queued.
    void AnswerYesNo(bool yes);
    void AnswerInput(std::optional<std::string> text);
    void AnswerOpenFile(std::optional<std::string> fileName);
    void AnswerSaveFile(std::optional<std::string> fileName);

    const std::vector<Record>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }
    size_t PendingAnswers() const { return answers_.size(); }
    // The Message boxes shown so far, as the core describes them.
    std::vector<interlock::Message> Messages() const;

    void Message(const interlock::Message& message) override;
    bool AskYesNo(const std::string& text, const std::string& caption, interlock::Icon icon) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultValue) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;

private:
    struct Answer {
        Kind kind;
        std::optional<std::string> value;
    };
    std::optional<std::string> Take(Record record);

    std::deque<Answer> answers_;
    std::vector<Record> log_;
};

const char* KindName(ScriptedDialogs::Kind kind);

}  // namespace ui
