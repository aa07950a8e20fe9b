#pragma once

// The exchange between the program and its helper process tmaccess-host, which loads the
// telemechanics access library so that a library that crashes or hangs takes only the helper
// with it. One request, one answer, each a single packet of a SOCK_SEQPACKET socket pair; the
// helper reads requests on descriptor kHostSocketFd. Numbers are in the machine's own byte
// order (both ends run on the same machine).
//
//   helper, once at start:  'H' loaded(u8: 0 or 1) text    text: the library's path, or why none loaded
//   'I' serverLen(u32) clientLen(u32) server client  ->  'I' result(i16)
//   'C'                                               ->  'C'
//   'S' count(i16) count*TmStatusRequest              ->  'S' count*TmStatusResult
//   'N' kind(u16) channel(i16) rtu(i16) point(i16) size(i16)  ->  'N' result(i16) size bytes
//
// Both ends build and read every packet with the functions below and nothing else. A reader
// refuses (answers nullopt) any packet whose tag is not its own or whose size does not fit its
// layout exactly: no byte missing, none left over. A name holds no zero byte (the library
// takes it as a C string, so a zero byte would cut it).
//
// The helper is started with the library's candidate paths as its arguments, in order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/tmaccess.h"

namespace acquisition::tmhost {

constexpr int kHostSocketFd = 3;
constexpr size_t kMaxPacket = 64 * 1024;

constexpr char kHello = 'H';
constexpr char kInit = 'I';
constexpr char kClose = 'C';
constexpr char kStatus = 'S';
constexpr char kName = 'N';

// The longest server and client names together that one Init packet carries.
constexpr size_t kMaxInitNames = kMaxPacket - 1 - 2 * sizeof(uint32_t);
// The most status records and the largest name buffer one packet carries.
constexpr size_t kMaxStatusCount = (kMaxPacket - 1 - sizeof(int16_t)) / sizeof(TmStatusRequest);
constexpr size_t kMaxNameSize = kMaxPacket - 1 - sizeof(int16_t);

struct Hello {
    bool loaded = false;
    std::string text;  // the library's path, or why none loaded
};

struct InitRequest {
    std::string server;
    std::string client;
};

struct NameRequest {
    uint16_t kind = 0;
    int16_t channel = 0;
    int16_t rtu = 0;
    int16_t point = 0;
    int16_t size = 0;  // 0..kMaxNameSize
};

struct NameAnswer {
    int16_t result = 0;
    std::string bytes;  // exactly the request's size
};

// True when the two names can travel in one Init request whole: no zero byte in either, and
// both together within kMaxInitNames.
bool InitNamesFit(std::string_view server, std::string_view client);

// The writers. Each answers a packet of at most kMaxPacket bytes; a value that cannot be
// written whole (names that do not fit, a list or size out of range) answers nullopt.
std::string EncodeHello(const Hello& hello);  // the text is cut to fit: it is for diagnostics only
std::optional<std::string> EncodeInit(const InitRequest& request);
std::string EncodeInitAnswer(int16_t result);
std::string EncodeClose();
std::string EncodeCloseAnswer();
std::optional<std::string> EncodeStatus(const std::vector<TmStatusRequest>& list);
std::optional<std::string> EncodeStatusAnswer(const std::vector<TmStatusResult>& list);
std::optional<std::string> EncodeName(const NameRequest& request);
std::optional<std::string> EncodeNameAnswer(const NameAnswer& answer);

// The readers.
std::optional<Hello> DecodeHello(std::string_view packet);
std::optional<InitRequest> DecodeInit(std::string_view packet);
std::optional<int16_t> DecodeInitAnswer(std::string_view packet);
bool DecodeClose(std::string_view packet);
bool DecodeCloseAnswer(std::string_view packet);
std::optional<std::vector<TmStatusRequest>> DecodeStatus(std::string_view packet);
// `count`: the number of records asked for; an answer with any other number is refused.
std::optional<std::vector<TmStatusResult>> DecodeStatusAnswer(std::string_view packet, size_t count);
std::optional<NameRequest> DecodeName(std::string_view packet);
// `size`: the buffer size asked for.
std::optional<NameAnswer> DecodeNameAnswer(std::string_view packet, size_t size);

}  // namespace acquisition::tmhost
