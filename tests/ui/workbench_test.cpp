// The workbench without a window: the operation that runs between Pull and Push (nested, put
// aside while a call waits, held back at start-up), and the document's file operations, which
// work on the workspace whether or not a main window is attached.

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "interlock/workspace.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/workbench/document.h"
#include "ui/workbench/workbench.h"

namespace ui {
namespace {

// A main window reduced to a log: "P" for Pull, "S" for Push (the workspace shown).
class LogHost : public WorkbenchHost {
public:
    std::string log;
    void Pull() override { log += 'P'; }
    void Push() override { log += 'S'; }
    void TsValuesChanged(const interlock::TsCascade&) override { log += 'T'; }
    void ShowLogicLine(int, interlock::Side, int) override {}
    interlock::TsEditState TsEditState() const override { return {}; }
    QWidget* MainWidget() override { return nullptr; }
};

struct Bench {
    QTemporaryDir dir;
    interlock::Workspace ws;
    ScriptedDialogs dialogs;
    Workbench workbench{ws, dialogs, Dir()};
    std::string Dir() const { return dir.path().toStdString() + "/"; }
    std::string Read(const std::string& name) const {
        std::ifstream in(Dir() + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST(WorkbenchOperation, OnlyTheOutermostMovesDataAndAWaitingCallLetsOthersRun) {
    struct Row {
        const char* name;
        std::function<void(Workbench&, std::string&)> run;
        const char* log;
    } rows[] = {
        {"one operation", [](Workbench& w, std::string& log) { w.RunOperation([&] { log += 'a'; }); }, "PaS"},
        {"an operation inside another",
         [](Workbench& w, std::string& log) {
             w.RunOperation([&] {
                 log += 'a';
                 w.RunOperation([&] { log += 'b'; });
                 log += 'c';
             });
         },
         "PabcS"},
        {"a call waits: another operation runs whole, then the first goes on",
         [](Workbench& w, std::string& log) {
             w.RunOperation([&] {
                 log += 'a';
                 w.SuspendOperation();
                 w.RunOperation([&] { log += 'b'; });
                 w.ResumeOperation();
                 log += 'c';
             });
         },
         "PaSPbSPcS"},
        {"held back at start-up: nothing shown, inner operations inside it",
         [](Workbench& w, std::string& log) {
             w.RunHeldBack([&] {
                 log += 'a';
                 w.RunOperation([&] { log += 'b'; });
             });
         },
         "Pab"},
        {"after an operation the next one moves data again",
         [](Workbench& w, std::string& log) {
             w.RunOperation([&] { log += 'a'; });
             w.RunHeldBack([&] { log += 'b'; });
             w.RunOperation([&] { log += 'c'; });
         },
         "PaSPbPcS"},
    };
    for (const Row& row : rows) {
        Bench b;
        LogHost host;
        b.workbench.Attach(&host);
        row.run(b.workbench, host.log);
        EXPECT_EQ(host.log, row.log) << row.name;
        EXPECT_FALSE(b.workbench.OperationRunning()) << row.name;
        b.workbench.Attach(nullptr);
    }
}

// A configuration saved, loaded by another program run and saved again is the same file, with
// no window attached to either: the document's operations need none.
TEST(Document, SavesAndLoadsWithoutAWindow) {
    Bench first;
    Document& doc = first.workbench.Doc();
    std::vector<std::string> captions;
    QObject::connect(&doc, &Document::CaptionChanged, [&](const std::string& c) { captions.push_back(c); });
    doc.LoadChosenFile(EXAMPLES_DIR "/substation.blk");
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_NE(captions[0].find("substation.blk"), std::string::npos);
    const std::string saved = first.Dir() + "saved.blk";
    first.dialogs.AnswerSaveFile(saved);
    doc.Save_File_ButtonClick();
    const std::string bytes = first.Read("saved.blk");
    ASSERT_FALSE(bytes.empty());

    Bench second;
    storage::Lines backup;
    second.workbench.Doc().SetBackupKeeper([&](storage::Lines lines) { backup = std::move(lines); });
    second.workbench.Doc().LoadChosenFile(saved);
    EXPECT_FALSE(backup.empty());  // the configuration before the load (32 empty blocks)
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        EXPECT_EQ(second.ws.Blocks[n].OnLogic, first.ws.Blocks[n].OnLogic) << n;
        EXPECT_EQ(second.ws.Blocks[n].OffLogic, first.ws.Blocks[n].OffLogic) << n;
    }
    second.dialogs.AnswerSaveFile(second.Dir() + "again.blk");
    second.workbench.Doc().Save_File_ButtonClick();
    EXPECT_EQ(second.Read("again.blk"), bytes);
}

TEST(Document, AMissingFileIsToldAndLosesNothing) {
    Bench b;
    Document& doc = b.workbench.Doc();
    doc.LoadChosenFile(EXAMPLES_DIR "/substation.blk");
    const std::vector<std::string> before = b.ws.Blocks[1].OnLogic;
    const std::string name = b.ws.ConfigFileName;
    b.dialogs.ClearLog();
    doc.LoadChosenFile(b.Dir() + "absent.blk");
    ASSERT_EQ(b.dialogs.Log().size(), 1u);
    EXPECT_EQ(b.dialogs.Log()[0].icon, interlock::Icon::Error);
    EXPECT_EQ(b.ws.Blocks[1].OnLogic, before);
    EXPECT_EQ(b.ws.ConfigFileName, name);
}

// The last autosave at exit: written when the option is on, once, and a failure then goes
// untold (the program is ending); the timer stops. While the program runs a failure is told.
TEST(Document, AutosaveFollowsTheOptionAndTheExit) {
    struct Row {
        const char* name;
        bool autosave;
        bool tempFolder;  // Temp/ exists, so the write succeeds
        bool close;       // the exit, or a tick of the timer
        int boxes;
        int counter;  // the autosave counter afterwards (from 0)
    } rows[] = {
        {"exit, option on", true, true, true, 0, 1},    {"exit, option off", false, true, true, 0, 0},
        {"exit, write fails", true, false, true, 0, 1}, {"tick, write fails", true, false, false, 1, 1},
        {"tick, option on", true, true, false, 0, 1},
    };
    for (const Row& row : rows) {
        Bench b;
        if (row.tempFolder) QDir(b.dir.path()).mkdir("Temp");
        Document& doc = b.workbench.Doc();
        doc.LoadChosenFile(EXAMPLES_DIR "/substation.blk");
        b.dialogs.ClearLog();
        doc.SetAutosave(row.autosave);
        EXPECT_EQ(doc.Temp_Saver->isActive(), row.autosave) << row.name;
        if (row.close) {
            doc.Close();
            doc.Close();  // a second exit writes nothing more
            EXPECT_FALSE(doc.Temp_Saver->isActive()) << row.name;
        } else {
            doc.Temp_SaverTimer();
        }
        EXPECT_EQ(b.dialogs.Log().size(), static_cast<size_t>(row.boxes)) << row.name;
        EXPECT_EQ(doc.TempCounter(), row.counter) << row.name;
        if (row.tempFolder && row.counter > 0) {
            EXPECT_FALSE(b.Read("Temp/1.tmp").empty()) << row.name;
        }
    }
}

}  // namespace
}  // namespace ui

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
