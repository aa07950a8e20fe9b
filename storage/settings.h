#pragma once

// "settings.ini": the options of the settings panel, the server link parameters and the
// number of the last temporary file, kept between runs.
//
// Sections and keys are matched without regard to letter case. Booleans are written "1" or
// "0" and read as integers (nonzero is true); integers are read in decimal or, after "0x"
// or "0X", in hexadecimal; a missing key or a value that is not an integer gives the
// default. Texts are Windows-1251 bytes, written and read verbatim (the blanks around a
// value are not part of it). Saving changes only the lines of the fifteen keys: every other
// line of an existing file stays as it was.

#include <cstdint>
#include <string>

namespace storage {

struct Settings {
    bool color = true;                   // [Settings] color     - Check_Color
    bool ts_show = true;                 // [TS] show            - Check_Show_TS
    bool ts_change = true;               // [TS] change          - Check_Change_TS
    bool ts_get = false;                 // [TS] get             - Check_Get_TS_Orvesk
    bool m_show = false;                 // [M] show             - Check_Show_M
    bool temp = true;                    // [File] temp          - Check_Save_Temp
    int8_t temp_last = 0;                // [File] temp_last     - TempCounter
    std::string file;                    // [File] file          - ConfigFileName (written only)
    bool save_ts = true;                 // [File] save_ts       - Check_Save_TS
    bool connect = false;                // [Server] connect     - Check_Server
    std::string server_name = ".\\TMS";  // [Server] server_name - ServerName
    std::string channel = "0";           // [Server] channel     - Server_channel_Number
    std::string rtu = "1";               // [Server] RTU         - Server_RTU_Number
    bool get_ts = false;                 // [Server] get_ts      - Check_Get_TS_Server
    bool get_names = false;              // [Server] get_names   - Check_Get_Names_Server

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
