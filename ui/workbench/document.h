#pragma once

// Document: the configuration as the program's windows share it, with its file operations:
// the load of a file (in steps when its logic is large), the save, the autosave into Temp/, the
// start-up restore of the last temporary file and the text applied from the configuration
// viewer. Each operation works on the workspace between the main window's Pull and Push and
// shows its boxes through the dialogs. The workbench owns it; paths are the program's text
// (Windows-1251).

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

#include "storage/config_files.h"
#include "storage/config_text.h"

class QTimer;

namespace ui {

class Workbench;

class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(Workbench& workbench);
    ~Document() override;

    // The open dialog (configurations, temporary files), then the load of the chosen file.
    void Load_File_ButtonClick();
    // Loads a file named outside the dialog (the command line, a file manager) as if chosen in it.
    void LoadChosenFile(const std::string& name);
    // The erroneous blocks' warning, the save dialog, then the save (with the TS values when
    // the option says so).
    void Save_File_ButtonClick();
    // The text edited in the configuration viewer, read as the configuration.
    void ApplyViewerText(const storage::Lines& lines);

    // The autosave: every two minutes (Temp_Saver) into the next of Temp/1.tmp .. 15.tmp, while on.
    QTimer* Temp_Saver = nullptr;
    void Temp_SaverTimer();
    // The option switched on or off; the timer follows it.
    void SetAutosave(bool on);
    bool Autosave() const { return autosave_; }
    int8_t TempCounter() const { return tempCounter_; }
    void SetTempCounter(int8_t counter) { tempCounter_ = counter; }

    // Start-up: every block empty, then the last temporary file when the autosave is on.
    void StartupRestore();
    // Exit: the last autosave when it is on, a failure untold; the timer stops.
    void Close();

    // Where the configuration before a load goes (the viewer keeps it as its text).
    void SetBackupKeeper(std::function<void(storage::Lines)> keep) { keepBackup_ = std::move(keep); }

signals:
    // A load has named the window after the file.
    void CaptionChanged(const std::string& caption);

private:
    // The load's last step: the blocks recalculated, the viewer given the configuration before.
    void CompleteLoad(storage::LoadResult r, storage::Lines backup);
    void ShowFileError(const std::string& text);

    Workbench& workbench_;
    bool autosave_ = false;
    bool closed_ = false;
    int8_t tempCounter_ = 0;
    std::function<void(storage::Lines)> keepBackup_;
};

}  // namespace ui
