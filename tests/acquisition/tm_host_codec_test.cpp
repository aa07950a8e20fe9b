// The helper's packets: every message reads back as written, and a packet whose size does not
// fit its layout (a byte missing or left over, a count or size out of range, another message's
// tag) is refused by the reader, whichever end reads it.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "acquisition/tm_host_protocol.h"

namespace acquisition::tmhost {
namespace {

// One reader, applied to a packet: does it accept it?
using Accepts = std::function<bool(const std::string&)>;

struct MessageRow {
    const char* name;
    std::string packet;  // a well-formed packet
    Accepts read;
};

void PrintTo(const MessageRow& r, std::ostream* os) { *os << r.name; }

const std::vector<TmStatusRequest> kList = {{0, 1, 1}, {0, 1, 2}, {256, 256, 256}};
const std::vector<TmStatusResult> kResults = {{1, 0}, {0, 0xFFFF}, {-1, 3}};

std::vector<MessageRow> Messages() {
    return {
        {"Init", *EncodeInit({".\\TMS", "interlocks"}),
         [](const std::string& p) { return DecodeInit(p).has_value(); }},
        {"InitEmptyNames", *EncodeInit({"", ""}),
         [](const std::string& p) { return DecodeInit(p).has_value(); }},
        {"InitAnswer", EncodeInitAnswer(1),
         [](const std::string& p) { return DecodeInitAnswer(p).has_value(); }},
        {"Close", EncodeClose(), [](const std::string& p) { return DecodeClose(p); }},
        {"CloseAnswer", EncodeCloseAnswer(), [](const std::string& p) { return DecodeCloseAnswer(p); }},
        {"Status", *EncodeStatus(kList), [](const std::string& p) { return DecodeStatus(p).has_value(); }},
        {"StatusEmpty", *EncodeStatus({}), [](const std::string& p) { return DecodeStatus(p).has_value(); }},
        {"StatusAnswer", *EncodeStatusAnswer(kResults),
         [](const std::string& p) { return DecodeStatusAnswer(p, 3).has_value(); }},
        {"StatusAnswerEmpty", *EncodeStatusAnswer({}),
         [](const std::string& p) { return DecodeStatusAnswer(p, 0).has_value(); }},
        {"Name", *EncodeName({TM_OBJECT_TS, 0, 1, 3, 80}),
         [](const std::string& p) { return DecodeName(p).has_value(); }},
        {"NameAnswer", *EncodeNameAnswer({5, std::string(80, 'x')}),
         [](const std::string& p) { return DecodeNameAnswer(p, 80).has_value(); }},
        {"NameAnswerEmpty", *EncodeNameAnswer({0, ""}),
         [](const std::string& p) { return DecodeNameAnswer(p, 0).has_value(); }},
    };
}

class CodecMessage : public testing::TestWithParam<MessageRow> {};

TEST_P(CodecMessage, AcceptsItsLayoutExactlyAndNothingElse) {
    const MessageRow& row = GetParam();
    EXPECT_TRUE(row.read(row.packet));
    EXPECT_FALSE(row.read(row.packet + '\0')) << "a byte left over";
    EXPECT_FALSE(row.read(row.packet + "tail")) << "bytes left over";
    for (size_t n = 0; n < row.packet.size(); ++n)
        EXPECT_FALSE(row.read(row.packet.substr(0, n))) << "cut to " << n << " bytes";
    std::string otherTag = row.packet;
    otherTag[0] = otherTag[0] == kInit ? kStatus : kInit;
    EXPECT_FALSE(row.read(otherTag));
}

INSTANTIATE_TEST_SUITE_P(Packets, CodecMessage, testing::ValuesIn(Messages()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Codec, ValuesReadBackAsWritten) {
    const auto init = DecodeInit(*EncodeInit({std::string(300, 's'), "client"}));
    ASSERT_TRUE(init);
    EXPECT_EQ(init->server, std::string(300, 's'));
    EXPECT_EQ(init->client, "client");
    EXPECT_EQ(DecodeInitAnswer(EncodeInitAnswer(-7)), -7);

    const auto list = DecodeStatus(*EncodeStatus(kList));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[2].channel, 256);
    EXPECT_EQ((*list)[1].point, 2);
    const auto results = DecodeStatusAnswer(*EncodeStatusAnswer(kResults), 3);
    ASSERT_TRUE(results);
    EXPECT_EQ((*results)[2].value, -1);
    EXPECT_EQ((*results)[1].status, 0xFFFF);
    EXPECT_TRUE(DecodeStatus(*EncodeStatus({}))->empty());

    const auto name = DecodeName(*EncodeName({TM_OBJECT_TS, -1, 2, 3, 80}));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->kind, TM_OBJECT_TS);
    EXPECT_EQ(name->channel, -1);
    EXPECT_EQ(name->size, 80);
    const auto answer = DecodeNameAnswer(*EncodeNameAnswer({9, std::string("P1\0\0", 4)}), 4);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->result, 9);
    EXPECT_EQ(answer->bytes, std::string("P1\0\0", 4));

    const auto hello = DecodeHello(EncodeHello({true, "/lib/libtmaccess.so"}));
    ASSERT_TRUE(hello);
    EXPECT_TRUE(hello->loaded);
    EXPECT_EQ(hello->text, "/lib/libtmaccess.so");
}

// Packets whose fields disagree with their size or range, built by hand as a faulty or hostile
// peer would send them.
template <typename T>
std::string Bytes(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST(Codec, RefusesFieldsThatDisagreeWithTheSize) {
    const struct {
        const char* name;
        std::string packet;
        Accepts read;
    } rows[] = {
        {"status count negative", "S" + Bytes<int16_t>(-1),
         [](const std::string& p) { return !!DecodeStatus(p); }},
        {"status count beyond the records", "S" + Bytes<int16_t>(2) + std::string(6, '\0'),
         [](const std::string& p) { return !!DecodeStatus(p); }},
        {"status count short of the records", "S" + Bytes<int16_t>(1) + std::string(12, '\0'),
         [](const std::string& p) { return !!DecodeStatus(p); }},
        {"status answer for another count", "S" + std::string(8, '\0'),
         [](const std::string& p) { return !!DecodeStatusAnswer(p, 3); }},
        {"name size negative", "N" + std::string(8, '\0') + Bytes<int16_t>(-80),
         [](const std::string& p) { return !!DecodeName(p); }},
        {"name answer for another size", "N" + Bytes<int16_t>(1) + std::string(79, 'x'),
         [](const std::string& p) { return !!DecodeNameAnswer(p, 80); }},
        {"init server longer than the packet",
         "I" + Bytes<uint32_t>(100) + Bytes<uint32_t>(0) + std::string(10, 's'),
         [](const std::string& p) { return !!DecodeInit(p); }},
        {"init lengths overflowing", "I" + Bytes<uint32_t>(0xFFFFFFFF) + Bytes<uint32_t>(2) + "ab",
         [](const std::string& p) { return !!DecodeInit(p); }},
        {"init name with a zero byte",
         "I" + Bytes<uint32_t>(3) + Bytes<uint32_t>(1) + std::string("a\0b", 3) + "c",
         [](const std::string& p) { return !!DecodeInit(p); }},
        {"hello neither loaded nor not", "H\x02text", [](const std::string& p) { return !!DecodeHello(p); }},
        {"empty packet", "", [](const std::string& p) { return !!DecodeClose(p) || !!DecodeHello(p); }},
    };
    for (const auto& row : rows) EXPECT_FALSE(row.read(row.packet)) << row.name;
}

// A connect request carries both names whole or is not written at all.
TEST(Codec, InitNamesFitWholeOrNotAtAll) {
    const struct {
        const char* name;
        size_t server, client;
        bool zero;
        bool fits;
    } rows[] = {
        {"short names", 5, 10, false, true},
        {"the longest pair", kMaxInitNames - 6000, 6000, false, true},
        {"one byte more", kMaxInitNames - 6000, 6001, false, false},
        {"60000 and 6000 bytes", 60000, 6000, false, false},
        {"a server name alone too long", kMaxInitNames + 1, 0, false, false},
        {"a zero byte inside", 10, 10, true, false},
    };
    for (const auto& row : rows) {
        std::string server(row.server, 's');
        const std::string client(row.client, 'c');
        if (row.zero) server[3] = '\0';
        EXPECT_EQ(InitNamesFit(server, client), row.fits) << row.name;
        const auto packet = EncodeInit({server, client});
        ASSERT_EQ(packet.has_value(), row.fits) << row.name;
        if (!packet) continue;
        EXPECT_LE(packet->size(), kMaxPacket);
        const auto back = DecodeInit(*packet);
        ASSERT_TRUE(back) << row.name;
        EXPECT_EQ(back->client.size(), row.client) << row.name;
    }
}

}  // namespace
}  // namespace acquisition::tmhost
