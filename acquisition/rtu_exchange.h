#pragma once

// The request/response datagrams of the RTU exchange, as plain functions over the TS table.
//
// A request asks for one group of 32 TS: "R" and the group digit "0".."7". A response is "r", the
// group digit g, one byte that is not examined, then one byte per TS: the byte at offset 2+k
// carries TS 32g+k (k = 1..32), "0" or "1"; any other byte, or a position past the end of the
// datagram, carries no value.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "interlock/workspace.h"

namespace acquisition {

constexpr int kRtuGroupCount = 8;
constexpr int kRtuGroupSize = 32;
// Where the RTU responder listens and where the program listens, on the loopback address.
inline constexpr const char* kRtuHost = "127.0.0.1";
inline constexpr const char* kRtuRequestPort = "956";
inline constexpr const char* kRtuLocalPort = "955";

// The request for one group: "R" followed by the group digit. Nothing for a group outside 0..7.
std::optional<std::string> TsRequest(int8_t group);

// One tick of the request cycle: a counter above 7 starts again at 0; returns the group to ask
// for and advances the counter past it.
int8_t NextRequestGroup(int8_t& counter);

// Applies one response to TsTable.Value and returns whether any value changed. A datagram that
// does not start with "r" and a group digit "0".."7" is ignored. A received bit is complemented
// when the TS is Inverted, and once more when the TS is the second of a pair whose first TS is
// Inverted. Only a stored 0 or 1 is changed, and only by a value byte.
bool ApplyTsResponse(interlock::TsTableData& table, std::string_view datagram);

// The receipt log line of a datagram: its bytes with the control characters (0x00..0x1F, 0x7F)
// shown as ".", so that one datagram stays one line whatever it holds.
std::string LogLine(std::string_view datagram);

}  // namespace acquisition
