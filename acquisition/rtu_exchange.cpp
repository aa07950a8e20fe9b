#include "acquisition/rtu_exchange.h"

namespace acquisition {

std::optional<std::string> TsRequest(int8_t group) {
    if (group < 0 || group >= kRtuGroupCount) return std::nullopt;
    return std::string{'R', static_cast<char>('0' + group)};
}

int8_t NextRequestGroup(int8_t& counter) {
    if (counter >= kRtuGroupCount) counter = 0;
    const int8_t group = counter;
    counter = static_cast<int8_t>(counter + 1);
    return group;
}

bool ApplyTsResponse(interlock::TsTableData& table, std::string_view datagram) {
    if (datagram.size() < 2 || datagram[0] != 'r') return false;
    if (datagram[1] < '0' || datagram[1] >= '0' + kRtuGroupCount) return false;
    const int g = datagram[1] - '0';
    bool changed = false;
    for (int k = 1; k <= kRtuGroupSize; ++k) {
        const int n = kRtuGroupSize * g + k;
        const std::size_t offset = static_cast<std::size_t>(2 + k);
        if (offset >= datagram.size()) break;  // no value from here on
        const char byte = datagram[offset];
        if (byte != '0' && byte != '1') continue;
        int v = byte - '0';
        if (table.Inverted[n]) v ^= 1;
        if (table.PairSecond[n] && table.Inverted[n - 1]) v ^= 1;
        int16_t& stored = table.Value[n];
        if (v == 0 && stored == 1) {
            stored = 0;
            changed = true;
        } else if (v == 1 && stored == 0) {
            stored = 1;
            changed = true;
        }
    }
    return changed;
}

std::string LogLine(std::string_view datagram) {
    std::string line(datagram);
    for (char& c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '.';
    }
    return line;
}

}  // namespace acquisition
