#pragma once

// TS names for runs without the telemechanics server: a names file beside the configuration
// (`NAME.names`) or a file named on the command line, in either of two line formats, freely
// mixed (Windows-1251 text; blank lines and lines starting with "#" or ";" are skipped):
//
//   14 Q1 Выключатель ввода 10 кВ - включен        a TS number 1..256 and its name
//   ts 0 1 14 1 0 Q1 Выключатель ввода 10 кВ ...    a line of the server's points file:
//                                                   channel, RTU, point, value, status, name
//
// A points-file line names a TS only when its channel and RTU are the configuration's server
// channel and RTU (the points the program would poll); its other lines ("server", "rtu",
// "lost") are skipped. A later line for the same TS replaces an earlier one.

#include <array>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace storage {

struct TsNamesError {
    int line = 0;         // from 1
    std::string message;  // Windows-1251
};

struct TsNames {
    std::array<std::string, interlock::kTsCount + 1> name{};  // by TS; empty: not named
    int count = 0;                                            // TS named
    std::vector<TsNamesError> errors;                         // lines not understood
};

// Parses the bytes of a names file; `channel` and `rtu` select the points-file lines.
TsNames ParseTsNames(const std::string& bytes, int channel, int rtu);

// The names file beside a configuration: "a/b.blk" -> "a/b.names".
std::string NamesFileFor(const std::string& configPath);

// The configuration's server channel and RTU, as its text gives them (0 and 1 when absent or
// not numbers).
int ServerChannelOf(const interlock::Workspace& ws);
int ServerRtuOf(const interlock::Workspace& ws);

// Gives the TS that have no name in `table` the names of `names`; the names the table already
// has (from the server) stay. Returns how many were given.
int FillMissingNames(interlock::TsTableData& table, const TsNames& names);

// Reads the names file `path` (UTF-8) and gives the unnamed TS of `ws` its names (channel and
// RTU from the configuration). `required` false: a file that is not there is no error.
struct NamesRead {
    bool read = false;                // the file was there and read
    std::string error;                // why it could not be read (Windows-1251); empty otherwise
    std::vector<TsNamesError> lines;  // lines not understood
    int given = 0;
};
NamesRead GiveNamesFromFile(interlock::Workspace& ws, const std::string& path, bool required);

}  // namespace storage
