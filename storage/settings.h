#pragma once

// "settings.ini": the options of the settings panel, the server link parameters and the
// number of the last temporary file, kept between runs.
//
// Sections and keys are matched without regard to letter case. Booleans are written "1" or
// "0" and read as integers (nonzero is true); integers are read in decimal or, after "0x"
// or "0X", in hexadecimal; a missing key or a value that is not an integer gives the
// default. Texts are Windows-1251 bytes, written and read verbatim (the blanks around a
// value are not part of it). Saving changes only the lines of the fifteen keys: every other
// line of an existing file stays as it was. The keys and their sections are listed once, in
// settings.cpp.
//
// The reader is our own rather than an INI library's: saving must keep every other line, key
// spelling, comment and line break of the file byte for byte, which none of them promises.

#include <cstdint>
#include <string>

namespace storage {

struct Settings {
    bool colour = true;                  // Check_Color
    bool ts_show = true;                 // Check_Show_TS
    bool ts_change = true;               // Check_Change_TS
    bool ts_get = false;                 // Check_Get_TS_Orvesk
    bool m_show = false;                 // Check_Show_M
    bool temp = true;                    // Check_Save_Temp
    int8_t temp_last = 0;                // TempCounter
    std::string file;                    // ConfigFileName (written only)
    bool save_ts = true;                 // Check_Save_TS
    bool connect = false;                // Check_Server
    std::string server_name = ".\\TMS";  // ServerName
    std::string channel = "0";           // Server_channel_Number
    std::string rtu = "1";               // Server_RTU_Number
    bool get_ts = false;                 // Check_Get_TS_Server
    bool get_names = false;              // Check_Get_Names_Server

    bool operator==(const Settings&) const = default;
};

// Reads the settings. A missing or unreadable file, section or key, or a value that cannot
// be read, silently gives the default. "file" is never read: it stays empty.
Settings LoadSettings(const std::string& path);

// Writes the fifteen keys. Keys the file already holds are replaced where they stand; the
// others are added at the end of their section, or in a new section at the end of the file,
// so that a new file lists them in the order of the table above with "file" after
// "temp_last" and "channel" and "RTU" last. A line break inside a text would start a line of
// its own in the file, so a text is cut before its first CR or LF.
// The file is replaced atomically. On failure (including an existing file that cannot be
// read, which would otherwise lose its other lines) the file is unchanged, false is returned
// and *error (when given) receives the message-box text with the system's error text.
bool SaveSettings(const std::string& path, const Settings& settings, std::string* error);

}  // namespace storage
