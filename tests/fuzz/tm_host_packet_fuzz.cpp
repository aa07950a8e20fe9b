// The helper's packets: whatever bytes arrive, every reader either refuses them or accepts a
// message that writes back to exactly those bytes (a packet has one layout and nothing
// besides), and an answer sized for one count or buffer size is refused for any other.
//
// Input: the packet itself.

#include <string>

#include "acquisition/tm_host_protocol.h"
#include "tests/fuzz/fuzz_check.h"

using namespace acquisition::tmhost;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string packet(reinterpret_cast<const char*>(data), size);

    if (const auto hello = DecodeHello(packet)) FUZZ_CHECK(EncodeHello(*hello) == packet);
    if (const auto init = DecodeInit(packet)) {
        FUZZ_CHECK(InitNamesFit(init->server, init->client));
        FUZZ_CHECK(EncodeInit(*init) == packet);
    }
    if (const auto result = DecodeInitAnswer(packet)) FUZZ_CHECK(EncodeInitAnswer(*result) == packet);
    if (DecodeClose(packet)) FUZZ_CHECK(EncodeClose() == packet);
    if (const auto list = DecodeStatus(packet)) FUZZ_CHECK(EncodeStatus(*list) == packet);
    if (const auto name = DecodeName(packet)) FUZZ_CHECK(EncodeName(*name) == packet);

    // Answers: read for the count or size the packet's length suggests, and for one more.
    const size_t records = size > 0 ? (size - 1) / sizeof(TmStatusResult) : 0;
    if (const auto results = DecodeStatusAnswer(packet, records)) {
        FUZZ_CHECK(results->size() == records);
        FUZZ_CHECK(EncodeStatusAnswer(*results) == packet);
    }
    FUZZ_CHECK(!DecodeStatusAnswer(packet, records + 1));
    const size_t bytes = size >= 3 ? size - 3 : 0;
    if (const auto answer = DecodeNameAnswer(packet, bytes)) {
        FUZZ_CHECK(answer->bytes.size() == bytes);
        FUZZ_CHECK(EncodeNameAnswer(*answer) == packet);
    }
    FUZZ_CHECK(!DecodeNameAnswer(packet, bytes + 1));
    return 0;
}
