// The application of an RTU response to the TS table, against the rule written out plainly
// here: the same values change, and the answer says whether any did. The log line of any
// datagram is one line of the same length.
//
// Input: 32 bytes of Inverted flags, 32 of pair flags, 32 of values and 32 of "neither 0 nor
// 1" marks for TS 1..256; the rest is the datagram.

#include <cstring>

#include "acquisition/rtu_exchange.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const std::string_view inverted = in.Bytes(32);
    const std::string_view pairs = in.Bytes(32);
    const std::string_view values = in.Bytes(32);
    const std::string_view odd = in.Bytes(32);
    const std::string_view datagram = in.Rest();

    interlock::TsTableData table{};
    for (int n = 1; n <= interlock::kTsCount; ++n) {
        table.Inverted[n] = in.Bit(inverted, n - 1);
        if (in.Bit(pairs, n - 1)) {
            table.TwoPosition[n] = 1;
            table.PairSecond[n + 1] = 1;
        }
        table.Value[n] = in.Bit(odd, n - 1) ? static_cast<int16_t>(n % 7 - 3) : in.Bit(values, n - 1);
    }

    interlock::TsTableData expected = table;
    bool expectedChanged = false;
    if (datagram.size() >= 2 && datagram[0] == 'r' && datagram[1] >= '0' && datagram[1] <= '7') {
        const int g = datagram[1] - '0';
        for (int k = 1; k <= 32; ++k) {
            const int n = 32 * g + k;
            const size_t at = static_cast<size_t>(2 + k);
            if (at >= datagram.size() || (datagram[at] != '0' && datagram[at] != '1')) continue;
            int v = datagram[at] - '0';
            if (table.Inverted[n]) v ^= 1;
            if (table.PairSecond[n] && table.Inverted[n - 1]) v ^= 1;
            if ((expected.Value[n] == 0 || expected.Value[n] == 1) && expected.Value[n] != v) {
                expected.Value[n] = static_cast<int16_t>(v);
                expectedChanged = true;
            }
        }
    }
    const bool changed = acquisition::ApplyTsResponse(table, datagram);
    FUZZ_CHECK(changed == expectedChanged);
    FUZZ_CHECK(table.Value == expected.Value);

    const std::string line = acquisition::LogLine(datagram);
    FUZZ_CHECK(line.size() == datagram.size());
    for (unsigned char c : line) FUZZ_CHECK(c >= 0x20 && c != 0x7F);
    return 0;
}
