#include "tests/support/scripted_dialogs.h"

#include <utility>

namespace ui {

const char* KindName(ScriptedDialogs::Kind kind) {
    switch (kind) {
        case ScriptedDialogs::Kind::Message:
            return "message box";
        case ScriptedDialogs::Kind::YesNo:
            return "Yes/No box";
        case ScriptedDialogs::Kind::Input:
            return "input box";
        case ScriptedDialogs::Kind::OpenFile:
            return "open-file dialog";
        case ScriptedDialogs::Kind::SaveFile:
            return "save-file dialog";
        case ScriptedDialogs::Kind::Print:
            return "print dialog";
    }
    return "dialog";
}

void ScriptedDialogs::AnswerYesNo(bool yes) {
    answers_.push_back({Kind::YesNo, std::string(yes ? "yes" : "no")});
}
void ScriptedDialogs::AnswerInput(std::optional<std::string> text) {
    answers_.push_back({Kind::Input, std::move(text)});
}
void ScriptedDialogs::AnswerOpenFile(std::optional<std::string> fileName) {
    answers_.push_back({Kind::OpenFile, std::move(fileName)});
}
void ScriptedDialogs::AnswerSaveFile(std::optional<std::string> fileName) {
    answers_.push_back({Kind::SaveFile, std::move(fileName)});
}

void ScriptedDialogs::AnswerPrint(QPagedPaintDevice* printer) {
    answers_.push_back({Kind::Print, printer ? std::optional<std::string>("print") : std::nullopt, printer});
}

bool ScriptedDialogs::Print(const PrintRequest& request, const PaintPages& paint) {
    Record record;
    record.kind = Kind::Print;
    record.text = request.title;
    record.print = request;
    QPagedPaintDevice* printer = answers_.empty() ? nullptr : answers_.front().printer;
    if (!Take(std::move(record)) || !printer) return false;
    return paint(*printer);
}

std::vector<interlock::Message> ScriptedDialogs::Messages() const {
    std::vector<interlock::Message> messages;
    for (const Record& r : log_) {
        if (r.kind == Kind::Message) messages.push_back({r.text, r.caption, r.icon});
    }
    return messages;
}

std::optional<std::string> ScriptedDialogs::Take(Record record) {
    if (answers_.empty() || answers_.front().kind != record.kind) {
        std::string what = std::string("unexpected ") + KindName(record.kind) + " \"" + record.caption +
                           "\": \"" + record.text + "\"";
        if (!answers_.empty())
            what += std::string(" (next answer is for a ") + KindName(answers_.front().kind) + ")";
        log_.push_back(std::move(record));
        throw UnexpectedDialog(what);
    }
    record.answer = std::move(answers_.front().value);
    answers_.pop_front();
    log_.push_back(record);
    return record.answer;
}

void ScriptedDialogs::Message(const interlock::Message& message) {
    Record record;
    record.kind = Kind::Message;
    record.text = message.text;
    record.caption = message.caption;
    record.icon = message.icon;
    record.buttons = DialogButtons::Ok;
    log_.push_back(std::move(record));
}

bool ScriptedDialogs::AskYesNo(const std::string& text, const std::string& caption, interlock::Icon icon) {
    Record record;
    record.kind = Kind::YesNo;
    record.text = text;
    record.caption = caption;
    record.icon = icon;
    record.buttons = DialogButtons::YesNo;
    return Take(std::move(record)) == std::optional<std::string>("yes");
}

std::optional<std::string> ScriptedDialogs::InputBox(const std::string& caption, const std::string& prompt,
                                                     const std::string& defaultValue) {
    Record record;
    record.kind = Kind::Input;
    record.text = prompt;
    record.caption = caption;
    record.buttons = DialogButtons::OkCancel;
    record.defaultValue = defaultValue;
    return Take(std::move(record));
}

std::optional<std::string> ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
    Record record;
    record.kind = Kind::OpenFile;
    record.text = request.initialName;
    record.buttons = DialogButtons::OkCancel;
    record.file = request;
    return Take(std::move(record));
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
    Record record;
    record.kind = Kind::SaveFile;
    record.text = request.initialName;
    record.buttons = DialogButtons::OkCancel;
    record.file = request;
    return Take(std::move(record));
}

}  // namespace ui
