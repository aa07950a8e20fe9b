#pragma once

// The fixed texts of the configuration storage, in Windows-1251. They are written in UTF-8 in
// texts.cpp and converted once, on first use.

#include <string>

#include "interlock/text_list.h"

namespace storage {

struct StorageTexts {
    // Configuration files.
    std::string badBlockNumber;       // the configuration stops at an invalid block number
    std::string openFileError;        // the caption of a file that cannot be read
    std::string erroneousBlocksHead;  // the warning before saving, up to the list of blocks
    std::string erroneousBlocksTail;  // ... after the list
    std::string mainCaption;          // the main window's caption
    // Templates.
    std::string templateBadBlockNumber;
    std::string templateSideErrorPrefix;  // "... в логике " + side
    std::string templateSideOn;
    std::string templateSideOff;
    std::string templateSideErrorSuffix;
    std::string templateDefaultName;  // "Шаблон " + number, for a header without a name

    // Files read and written: "<what> "<path>": <system error>". The system's errors that a
    // file operation commonly meets have Russian texts here, whatever the locale; any other
    // keeps the system's own text.
    std::string cannotRead;
    std::string cannotWrite;
    std::string errNoEntry;      // ENOENT
    std::string errAccess;       // EACCES
    std::string errPermission;   // EPERM
    std::string errIsFolder;     // EISDIR
    std::string errNotFolder;    // ENOTDIR
    std::string errNoSpace;      // ENOSPC
    std::string errReadOnly;     // EROFS
    std::string errExists;       // EEXIST
    std::string errLongName;     // ENAMETOOLONG
    std::string errLinkLoop;     // ELOOP
    std::string errIo;           // EIO
    std::string errTooBig;       // EFBIG
    std::string errQuota;        // EDQUOT
    std::string errTooManyOpen;  // EMFILE
    std::string errNoDevice;     // ENXIO
    std::string errPipe;         // EPIPE
    std::string errBusy;         // EBUSY
    std::string errInvalid;      // EINVAL

    // A TS names file: a line it does not understand, "<file>: строка N: <why>".
    std::string namesBadLine;
    std::string namesBadPointLine;
};

const StorageTexts& Texts();
// Every storage text by its name.
interlock::TextList StorageTextList();

}  // namespace storage
