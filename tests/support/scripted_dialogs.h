#pragma once

// Dialogs for tests and benchmarks: the boxes are recorded and answered from a script.

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/model/dialogs.h"

namespace ui {

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
    enum class Kind { Message, YesNo, Input, OpenFile, SaveFile, Print };

    struct Record {
        Kind kind = Kind::Message;
        std::string text;  // message text, or input prompt
        std::string caption;
        interlock::Icon icon = interlock::Icon::None;
        DialogButtons buttons = DialogButtons::Ok;
        std::string defaultValue;           // input box
        FileDialogRequest file;             // file dialogs
        PrintRequest print;                 // the print dialog and the preview
        std::optional<std::string> answer;  // text / file name given back ("yes" / "no" for YesNo)
    };

    using Dialogs::OpenFile;
    using Dialogs::SaveFile;

    // Answers, consumed in the order they were queued.
    void AnswerYesNo(bool yes);
    void AnswerInput(std::optional<std::string> text);
    void AnswerOpenFile(std::optional<std::string> fileName);
    void AnswerSaveFile(std::optional<std::string> fileName);
    // The print dialog or the preview: the document is painted onto `printer` (a QPrinter or a
    // QPdfWriter the test owns); nullptr cancels.
    void AnswerPrint(QPagedPaintDevice* printer);

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
    bool Print(const PrintRequest& request, const PaintPages& paint) override;

private:
    struct Answer {
        Kind kind;
        std::optional<std::string> value;
        QPagedPaintDevice* printer = nullptr;
    };
    std::optional<std::string> Take(Record record);

    std::deque<Answer> answers_;
    std::vector<Record> log_;
};

const char* KindName(ScriptedDialogs::Kind kind);

}  // namespace ui
