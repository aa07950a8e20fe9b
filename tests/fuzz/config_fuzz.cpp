// The configuration reader and writer. Whatever a file holds, the reader takes what it can;
// what it took, written and read again, is the same state: the second writing gives exactly
// the lines of the first.
//
// The format itself loses two things, and a state that holds one of them is only read back
// without a crash: a logic line that looks like a line of the format (it begins with "IF",
// "END", "#O" or "##", is "@" alone, or has the prefix and length of an attribute, value,
// channel or RTU line) is taken for that line; and a TS that is both the second of a pair and
// two-position itself (overlapping pairs, which a file can say but the window never makes) is
// written as a second ("4") without its own flag.

#include "storage/config_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool Starts(const std::string& line, std::string_view prefix, size_t minLength = 0) {
    return line.rfind(prefix, 0) == 0 && line.size() >= std::max(prefix.size(), minLength);
}

bool LooksLikeFormat(const std::string& line) {
    return line == "@" || Starts(line, "IF") || Starts(line, "END") || Starts(line, "#O") ||
           Starts(line, "##") || Starts(line, "F=", 258) || Starts(line, "#TS", 36) ||
           Starts(line, "#Server_Channel=", 17) || Starts(line, "#Server_RTU=", 13);
}

// Whether the state can go through the text unchanged.
bool Representable(const interlock::Workspace& ws) {
    for (int n = 1; n <= interlock::kBlockCount; ++n)
        for (const auto* logic : {&ws.Blocks[n].OnLogic, &ws.Blocks[n].OffLogic})
            for (const std::string& line : *logic)
                if (LooksLikeFormat(line)) return false;
    for (int i = 1; i <= interlock::kTsCount; ++i)
        if (ws.TsTable.PairSecond[i] && ws.TsTable.TwoPosition[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    interlock::Workspace first;
    storage::Read_Config_Text(first, storage::SplitLines(bytes));
    storage::Lines written;
    storage::Write_Config_Text(first, written, true);
    // What is written survives the file's line breaks.
    FUZZ_CHECK(storage::SplitLines(storage::JoinLines(written)) == written);

    interlock::Workspace second;
    const bool read = storage::Read_Config_Text(second, written);
    storage::Lines again;
    storage::Write_Config_Text(second, again, true);
    if (Representable(first)) {
        FUZZ_CHECK(read);
        FUZZ_CHECK(again == written);
    }
    return 0;
}
