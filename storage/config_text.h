#pragma once

// The configuration text: the 32 interlock blocks, the TS attributes, the channel and RTU
// numbers of the server link and, optionally, the TS values, as a list of Windows-1251 lines.
// The same text is stored in "*.blk" and "*.tmp" files, shown in the configuration viewer and
// kept as the backup taken before a file is loaded.

#include <string>
#include <string_view>
#include <vector>

#include "interlock/workspace.h"

namespace storage {

using Lines = std::vector<std::string>;

// Clears `lines` and writes the whole configuration into it. With `with_values` the eight
// value lines of TS 1..256 are written too. Completes the pair flags of the TS table: the TS
// after a two-position TS becomes its second signal (PairSecond).
//
// Every TS takes exactly one character of its value line: "0" or "1", the digit of a value
// 2..9, and "?" for any other value. The reader passes over everything but "0" and "1", so a
// value other than 0 or 1 (only the server delivers one) never shifts the TS after it.
void Write_Config_Text(interlock::Workspace& ws, Lines& lines, bool with_values);

// Where the reader found the parts of a configuration: line numbers from 1 in the lines read,
// 0 where absent. For tools that point at a line of the file (SARIF, JUnit).
struct ConfigLocations {
    int header[interlock::kBlockCount + 1] = {};       // a block's first header
    std::vector<int> on[interlock::kBlockCount + 1];   // the file line of each ON logic line
    std::vector<int> off[interlock::kBlockCount + 1];  // and of each OFF logic line
    int stop = 0;  // the header with an invalid block number where reading stopped

    // The line of a logic line (from 1), or the block's header when there is no such line.
    int Logic(int block, interlock::Side side, int logicLine) const;
    int Header(int block) const;
};

// Resets all 32 blocks and applies the lines in order. Returns false when a block header
// inside the section carries an invalid block number: the error message is queued in
// ws.Messages, reading stops and what was applied so far stays applied. True otherwise.
// Neither the current block nor the view is changed and nothing is re-shown; the state
// field Fields.TS_State_Number is written by the condition lines, so callers re-show the
// current block.
// With `where`, also records the lines where each part was found.
bool Read_Config_Text(interlock::Workspace& ws, const Lines& lines, ConfigLocations* where = nullptr);

// A file's bytes as lines: CR LF, a lone CR and a lone LF each end a line; a final line
// break does not start another line, and empty bytes have no lines.
Lines SplitLines(std::string_view bytes);

// The lines with CR LF after every one of them, the last included.
std::string JoinLines(const Lines& lines);

}  // namespace storage
