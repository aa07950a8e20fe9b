#pragma once

// Safe file access for the configuration, temporary and settings files.
//
// Paths are file-system names (UTF-8 bytes on Linux), with "/" between folders.
//
// Error texts are meant for a message box: they are Windows-1251, like every text of the
// program, in the form
//   Не удалось записать файл "<path>": <system error text>
// The path is converted from UTF-8; the system's error is given by SystemErrorText.

#include <string>

namespace storage {

struct ReadResult {
    bool ok = false;
    std::string bytes;  // the whole file when ok
    std::string error;  // message-box text when !ok
    int errorCode = 0;  // errno of the failure (ENOENT for a missing file), 0 when ok

    explicit operator bool() const { return ok; }
};

struct WriteResult {
    bool ok = false;
    std::string error;  // message-box text when !ok
    int errorCode = 0;  // errno of the failure, 0 when ok

    explicit operator bool() const { return ok; }
};

// The text of a system error (errno) in Windows-1251: Russian for the errors file operations
// commonly meet, whatever the locale; the system's own text for any other.
std::string SystemErrorText(int code);

// Loads the whole file as bytes, with no conversion of line breaks or code page.
ReadResult ReadWholeFile(const std::string& path);

// Replaces the file with `bytes` so that the target is at every moment either the old file
// or the complete new one: the bytes go into a new file in the same folder, every write is
// checked (a full disk is a failure), the data are flushed to the disk, and only then is the
// new file renamed over the target. On failure the new file is removed and the old target
// is left untouched. A file the caller could not open for writing (read-only, another user's)
// is refused with the error that open gives, and stays as it is. A replaced file keeps its
// permission bits; a new one gets 0666 less the umask. When the target is a symbolic link,
// the file it points to is replaced. A successful save removes the new files that earlier
// saves of the same target left behind when they were killed before their rename.
//
// What is not a regular file is never replaced: a FIFO, a character device, a socket, and
// every path under /dev/ or /proc/ (/dev/stdout, /dev/fd/N) are opened and written through,
// so a pipe's reader gets the bytes and the node stays as it is; a write error (a full
// device) is reported with the system's text. A folder is refused ("Is a directory").
// Every file the programs write goes through here.
WriteResult WriteFileAtomically(const std::string& path, const std::string& bytes);

// True when path names an existing regular file (a folder is not a file).
bool FileExists(const std::string& path);

// The folder of the running executable, ending in "/" so that a file name can be appended
// directly ("/opt/interlocks/bin/" + "settings.ini"). Empty when it cannot be found, which
// makes the appended names relative to the current folder.
std::string ExecutableDir();

}  // namespace storage
