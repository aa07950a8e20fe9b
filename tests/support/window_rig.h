#pragma once

// The program over a folder of its own, for the window tests: a temporary folder standing for
// the program's folder (settings.ini, templates.txt, Temp/), the workspace, scripted dialogs,
// and the main window's start-up and end.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "interlock/workspace.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/sources/ts_sources.h"
#include "ui/workbench/document.h"

namespace test {

class WindowRig {
public:
    // settings: the content of settings.ini, or null for no file; tempFolder: lay out Temp/.
    explicit WindowRig(const char* settings = nullptr, bool tempFolder = true) {
        if (tempFolder) QDir(dir.path()).mkdir("Temp");
        if (settings) Write("settings.ini", settings);
    }
    virtual ~WindowRig() { form.reset(); }

    enum class Shown { Yes, No };
    // The start-up: the main window, then the secondary windows (which restore the last
    // temporary file and show block 1); `boxes` replaces the scripted dialogs.
    ui::TForm1& Start(Shown shown = Shown::Yes, ui::Dialogs* boxes = nullptr) {
        form = std::make_unique<ui::TForm1>(ws, boxes ? *boxes : dialogs, Dir());
        form->CreateSecondaryWindows();
        if (shown == Shown::Yes) form->show();
        return *form;
    }
    // The end of the run: the main window's destruction.
    void Stop() { form.reset(); }

    std::string Dir() const { return dir.path().toStdString() + "/"; }
    std::string Path(const std::string& name) const { return Dir() + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(Path(name), std::ios::binary);
        out << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Exists(const std::string& name) const { return QFile::exists(QString::fromStdString(Path(name))); }

    QTemporaryDir dir;
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<ui::TForm1> form;
};

}  // namespace test
