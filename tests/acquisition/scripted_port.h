#pragma once

// The window's side of the server link, scripted for tests: controls whose boxes run the link's
// handlers when they change, as the window's check boxes do, and a port that records every
// error box, answers input boxes from a queue and runs the TS values cascade on the workspace.

#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/server_link.h"
#include "acquisition/ts_source.h"
#include "interlock/cp1251.h"
#include "interlock/report.h"
#include "interlock/ts_cascade.h"

namespace acquisition::test {

using interlock::Icon;
using interlock::Message;

class FakeControls : public ServerControls {
public:
    ServerLink* link = nullptr;
    bool ready = true;
    std::map<ServerBox, bool> boxes{{ServerBox::Check_Server, false},
                                    {ServerBox::Check_Get_TS_Server, false},
                                    {ServerBox::Check_Get_Names_Server, false}};
    bool panel = false;
    bool timer = false;
    bool receptionBoxEnabled = true;

    bool WindowReady() const override { return ready; }
    bool Checked(ServerBox box) const override { return boxes.at(box); }
    void SetChecked(ServerBox box, bool checked) override {
        if (boxes[box] == checked) return;
        boxes[box] = checked;
        switch (box) {
            case ServerBox::Check_Server:
                link->Check_ServerClick();
                break;
            case ServerBox::Check_Get_TS_Server:
                link->Check_Get_TS_ServerClick();
                break;
            case ServerBox::Check_Get_Names_Server:
                link->Check_Get_Names_ServerClick();
                break;
        }
    }
    void SetServerPanelVisible(bool visible) override { panel = visible; }
    void SetServerTimerEnabled(bool enabled) override { timer = enabled; }
    void SetReceptionBoxEnabled(bool enabled) override { receptionBoxEnabled = enabled; }
};

// Another source under the one-receiver rule: the RTU reception box as the link leaves it.
class OtherSource : public TsSource {
public:
    bool receiving = false;
    bool allowed = true;
    bool Receiving() const override { return receiving; }
    void StopReceiving() override { receiving = false; }
    void AllowReception(bool a) override { allowed = a; }
};

// The window's boxes, scripted: every error box is recorded (the window shows it with the
// caption "Ошибка" and the error icon), input boxes are answered from a queue, and the TS
// values cascade runs on the workspace as the window runs it.
class ScriptedPort : public SourcePort {
public:
    explicit ScriptedPort(interlock::Workspace& ws) : ws_(ws) {}
    struct Input {
        std::string caption, prompt, value;
    };
    std::vector<Message> errors;
    std::vector<Input> inputs;
    std::deque<std::optional<std::string>> answers;
    int fillTsList = 0;

    void ShowError(const std::string& text) override {
        errors.push_back({text, cp1251::FromUtf8("Ошибка"), Icon::Error});
    }
    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& value) override {
        inputs.push_back({caption, prompt, value});
        if (answers.empty()) throw std::logic_error("an input box the test did not expect");
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void TsValuesChanged(const interlock::TsCascade& cascade) override {
        interlock::RunTsCascade(ws_, cascade);
        if (cascade.refillList) ++fillTsList;
    }

private:
    interlock::Workspace& ws_;
};

}  // namespace acquisition::test
