#pragma once

// The exchange between the program and its helper process tmaccess-host, which loads the
// telemechanics access library so that a library that crashes or hangs takes only the helper
// with it. One request, one answer, each a single packet of a SOCK_SEQPACKET socket pair; the
// helper reads requests on descriptor kHostSocketFd. Numbers are in the machine's own byte
// order (both ends run on the same machine).
//
//   helper, once at start:  'H' loaded(u8) text          text: the library's path, or why none loaded
//   'I' serverLen(u32) server client  ->  'I' result(i16)
//   'C'                                ->  'C'
//   'S' count(i16) count*TmStatusRequest  ->  'S' count*TmStatusResult
//   'N' kind(u16) channel(i16) rtu(i16) point(i16) size(i16)  ->  'N' result(i16) size bytes
//
// The helper is started with the library's candidate paths as its arguments, in order.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace acquisition::tmhost {

constexpr int kHostSocketFd = 3;
constexpr size_t kMaxPacket = 64 * 1024;

constexpr char kHello = 'H';
constexpr char kInit = 'I';
constexpr char kClose = 'C';
constexpr char kStatus = 'S';
constexpr char kName = 'N';

template <typename T>
void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads a T at `at` and moves past it; false when the packet is too short.
template <typename T>
bool Get(const std::string& in, size_t& at, T& value) {
    if (in.size() < at + sizeof value) return false;
    std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

}  // namespace acquisition::tmhost
