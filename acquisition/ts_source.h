#pragma once

// What every source of live TS values shares: the window as the source reaches it
// (SourcePort), the small interface the window drives (TsSource), and the one rule between
// sources, that only one receives at a time (ReceptionRule).
//
// A source is a class of this folder. It reads and sets its own window controls through an
// interface of its own (ServerControls, RtuControls), shows boxes and reports changed TS
// values through SourcePort, and tells the rule when its reception goes on or off.

#include <optional>
#include <string>
#include <vector>

#include "interlock/ts_cascade.h"

namespace acquisition {

// The window as a TS source sees it.
class SourcePort {
public:
    virtual ~SourcePort() = default;
    // The error box (caption "Ошибка", error icon) with `text`.
    virtual void ShowError(const std::string& text) = 0;
    // An input box: the entered text, or nothing when it was cancelled.
    virtual std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                               const std::string& value) = 0;
    // TS values changed: the window runs the cascade and shows the result.
    virtual void TsValuesChanged(const interlock::TsCascade& cascade) = 0;
};

class ReceptionRule;

// A source of TS values, as the window drives it.
class TsSource {
public:
    virtual ~TsSource() = default;
    // Whether the source's reception is switched on (its reception box is checked).
    virtual bool Receiving() const = 0;
    // Switches the reception off, as the operator unchecking its box does.
    virtual void StopReceiving() = 0;
    // Whether the operator may switch the reception on (its reception box enabled).
    virtual void AllowReception(bool allowed) = 0;

protected:
    // Called by the source once its reception went on or off.
    void ReceptionChanged();

private:
    friend class ReceptionRule;
    ReceptionRule* rule_ = nullptr;
};

// Only one source receives at a time: while one receives, the others cannot be switched on.
class ReceptionRule {
public:
    // The sources in order of precedence, the strongest last.
    void Add(TsSource& source);
    // After `source` went on or off: the others may be switched on exactly when it is off.
    void Changed(TsSource& source);
    // Start-up, once the settings have set the boxes: when several sources receive, only the
    // strongest keeps receiving; each may then be switched on exactly when no other receives.
    void Settle();

private:
    std::vector<TsSource*> sources_;
};

}  // namespace acquisition
