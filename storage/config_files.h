#pragma once

// Configuration files on disk: the default names, the channel and RTU numbers taken from a
// file name, saving and loading with a backup, and the numbered temporary autosave.
// The file dialogs and message boxes belong to the window; these operations get the chosen
// names and hand back what must be shown.
//
// File names here are the program's text (Windows-1251), as the dialogs hand them over and as
// ConfigFileName and the settings keep them; they become file-system names (UTF-8) only when a
// file is opened.

#include <cstdint>
#include <optional>
#include <string>

#include "storage/config_text.h"
#include "storage/file_io.h"
#include "interlock/workspace.h"

namespace storage {

constexpr int kTempFileCount = 15;

// "<exeDir>cfg_<channel>_<RTU>_1.blk" from the texts of the channel and RTU fields.
std::string DefaultConfigFileName(const interlock::Workspace& ws, const std::string& exeDir);
// "<exeDir>Temp/<k>.tmp".
std::string TempFileName(const std::string& exeDir, int counter);
// At least 4 characters, the last three exactly "blk" (letter case counts).
bool HasBlkEnding(const std::string& name);

// Takes single-digit channel and RTU numbers from a name of the form cfg_<channel>_<RTU>_...
void Parse_Config_File_Name(interlock::Workspace& ws, const std::string& fileName);

// The warning shown before saving a configuration with erroneous blocks; empty when there are none.
std::string ErroneousBlocksWarning(const interlock::Workspace& ws);

// Writes the configuration text (values when withValues) into the file, replacing it safely.
WriteResult Save_Config_File(interlock::Workspace& ws, const std::string& path, bool withValues);

struct LoadResult {
    bool loaded = false;                 // the file was read and applied
    std::string fileError;               // the file could not be read: text for the error box
    std::optional<std::string> caption;  // new window caption after a successful load
    bool recalculate = false;            // blocks were read (the file's or the backup's)
};

// Loads a configuration file: the editor is committed, the configuration is backed up into
// `backup` (the viewer's text, always with values), the file is read and applied; when the
// reader stops at an invalid block number the backup is applied again. A file that cannot be
// read changes nothing in memory.
LoadResult Load_Config_File(interlock::Workspace& ws, const std::string& path, Lines& backup);
// Load_Config_File in two parts, for a window that lets the event loop run in between: the
// first does everything but the recalculation of the blocks read and the showing of the
// current one, which the second does when `recalculate` says so.
LoadResult ReadConfigFile(interlock::Workspace& ws, const std::string& path, Lines& backup);
void FinishConfigLoad(interlock::Workspace& ws, const LoadResult& read);

// Main window caption at start and after a load.
std::string MainCaption();
std::string MainCaption(const std::string& loadedFile);

// One temporary autosave: nothing when every block is empty or autosave is off; otherwise
// the counter moves on (1..15 in turn) and the next temporary file is written. nullopt when
// nothing was due, else the result of the write.
std::optional<WriteResult> Temp_SaverTimer(interlock::Workspace& ws, bool saveTemp, bool withValues,
                                           int8_t& tempCounter, const std::string& exeDir);

}  // namespace storage
