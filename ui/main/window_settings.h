#pragma once

// The main window's options as settings.ini keeps them: the check boxes, the server's channel
// and RTU fields, the server name, the autosave counter and the configuration's name. Read once
// at start-up (the boxes' reactions held back by the window), written once at exit.

#include <string>
#include <utility>
#include <vector>

#include "storage/settings.h"

class QCheckBox;
class QLineEdit;

namespace ui {

class Workbench;

class WindowSettings {
public:
    // The options kept as boxes, in the order they are set.
    using BoxOption = std::pair<bool storage::Settings::*, QCheckBox*>;
    static constexpr int kServerFieldLimit = 3;  // typing limit of the channel and RTU fields

    WindowSettings(Workbench& workbench, std::vector<BoxOption> boxes, QLineEdit* channel, QLineEdit* rtu,
                   std::string& serverName);

    void Load();
    // A settings file that cannot be written is simply not kept: nothing to tell at exit.
    void Save() const;

private:
    std::string FileName() const;

    Workbench& workbench_;
    std::vector<BoxOption> boxes_;
    QLineEdit* channel_;
    QLineEdit* rtu_;
    std::string& serverName_;
};

}  // namespace ui
