#include "acquisition/tm_host_protocol.h"

#include <cstring>

namespace acquisition::tmhost {
namespace {

template <typename T>
void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads the fields of one packet in order; every read past the end fails, and End() tells
// whether the whole packet was read, no more and no less.
class Reader {
public:
    Reader(std::string_view packet, char tag) : packet_(packet), ok_(!packet.empty() && packet[0] == tag) {
        at_ = 1;
    }
    template <typename T>
    T Get() {
        T value{};
        if (!Has(sizeof value)) return value;
        std::memcpy(&value, packet_.data() + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    std::string_view Bytes(size_t n) {
        if (!Has(n)) return {};
        std::string_view bytes = packet_.substr(at_, n);
        at_ += n;
        return bytes;
    }
    size_t Left() const { return ok_ ? packet_.size() - at_ : 0; }
    bool Ok() const { return ok_; }
    bool End() const { return ok_ && at_ == packet_.size(); }

private:
    bool Has(size_t n) {
        if (ok_ && packet_.size() - at_ < n) ok_ = false;
        return ok_;
    }
    std::string_view packet_;
    size_t at_ = 0;
    bool ok_;
};

bool HasZero(std::string_view s) { return s.find('\0') != std::string_view::npos; }

template <typename Record>
void PutRecords(std::string& out, const std::vector<Record>& list) {
    // An empty list has no storage to copy from.
    if (!list.empty()) out.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(Record));
}

template <typename Record>
std::vector<Record> GetRecords(std::string_view bytes, size_t count) {
    std::vector<Record> list(count);
    if (count > 0) std::memcpy(list.data(), bytes.data(), count * sizeof(Record));
    return list;
}

}  // namespace

bool InitNamesFit(std::string_view server, std::string_view client) {
    return !HasZero(server) && !HasZero(client) && server.size() <= kMaxInitNames &&
           client.size() <= kMaxInitNames - server.size();
}

std::string EncodeHello(const Hello& hello) {
    std::string out(1, kHello);
    Put<uint8_t>(out, hello.loaded ? 1 : 0);
    out.append(hello.text, 0, kMaxPacket - out.size());
    return out;
}

std::optional<Hello> DecodeHello(std::string_view packet) {
    Reader r(packet, kHello);
    const uint8_t loaded = r.Get<uint8_t>();
    if (!r.Ok() || loaded > 1 || packet.size() > kMaxPacket) return std::nullopt;
    return Hello{loaded == 1, std::string(r.Bytes(r.Left()))};
}

std::optional<std::string> EncodeInit(const InitRequest& request) {
    if (!InitNamesFit(request.server, request.client)) return std::nullopt;
    std::string out(1, kInit);
    Put<uint32_t>(out, static_cast<uint32_t>(request.server.size()));
    Put<uint32_t>(out, static_cast<uint32_t>(request.client.size()));
    out += request.server;
    out += request.client;
    return out;
}

std::optional<InitRequest> DecodeInit(std::string_view packet) {
    Reader r(packet, kInit);
    const uint32_t serverSize = r.Get<uint32_t>();
    const uint32_t clientSize = r.Get<uint32_t>();
    InitRequest request;
    request.server = r.Bytes(serverSize);
    request.client = r.Bytes(clientSize);
    if (!r.End() || !InitNamesFit(request.server, request.client)) return std::nullopt;
    return request;
}

std::string EncodeInitAnswer(int16_t result) {
    std::string out(1, kInit);
    Put<int16_t>(out, result);
    return out;
}

std::optional<int16_t> DecodeInitAnswer(std::string_view packet) {
    Reader r(packet, kInit);
    const int16_t result = r.Get<int16_t>();
    if (!r.End()) return std::nullopt;
    return result;
}

std::string EncodeClose() { return std::string(1, kClose); }
std::string EncodeCloseAnswer() { return std::string(1, kClose); }
bool DecodeClose(std::string_view packet) { return Reader(packet, kClose).End(); }
bool DecodeCloseAnswer(std::string_view packet) { return Reader(packet, kClose).End(); }

std::optional<std::string> EncodeStatus(const std::vector<TmStatusRequest>& list) {
    if (list.size() > kMaxStatusCount) return std::nullopt;
    std::string out(1, kStatus);
    Put<int16_t>(out, static_cast<int16_t>(list.size()));
    PutRecords(out, list);
    return out;
}

std::optional<std::vector<TmStatusRequest>> DecodeStatus(std::string_view packet) {
    Reader r(packet, kStatus);
    const int16_t count = r.Get<int16_t>();
    if (!r.Ok() || count < 0 || static_cast<size_t>(count) > kMaxStatusCount) return std::nullopt;
    const std::string_view records = r.Bytes(static_cast<size_t>(count) * sizeof(TmStatusRequest));
    if (!r.End()) return std::nullopt;
    return GetRecords<TmStatusRequest>(records, static_cast<size_t>(count));
}

std::optional<std::string> EncodeStatusAnswer(const std::vector<TmStatusResult>& list) {
    if (list.size() > kMaxStatusCount) return std::nullopt;
    std::string out(1, kStatus);
    PutRecords(out, list);
    return out;
}

std::optional<std::vector<TmStatusResult>> DecodeStatusAnswer(std::string_view packet, size_t count) {
    Reader r(packet, kStatus);
    if (count > kMaxStatusCount) return std::nullopt;
    const std::string_view records = r.Bytes(count * sizeof(TmStatusResult));
    if (!r.End()) return std::nullopt;
    return GetRecords<TmStatusResult>(records, count);
}

std::optional<std::string> EncodeName(const NameRequest& request) {
    if (request.size < 0 || static_cast<size_t>(request.size) > kMaxNameSize) return std::nullopt;
    std::string out(1, kName);
    Put<uint16_t>(out, request.kind);
    Put<int16_t>(out, request.channel);
    Put<int16_t>(out, request.rtu);
    Put<int16_t>(out, request.point);
    Put<int16_t>(out, request.size);
    return out;
}

std::optional<NameRequest> DecodeName(std::string_view packet) {
    Reader r(packet, kName);
    NameRequest request;
    request.kind = r.Get<uint16_t>();
    request.channel = r.Get<int16_t>();
    request.rtu = r.Get<int16_t>();
    request.point = r.Get<int16_t>();
    request.size = r.Get<int16_t>();
    if (!r.End() || request.size < 0 || static_cast<size_t>(request.size) > kMaxNameSize) return std::nullopt;
    return request;
}

std::optional<std::string> EncodeNameAnswer(const NameAnswer& answer) {
    if (answer.bytes.size() > kMaxNameSize) return std::nullopt;
    std::string out(1, kName);
    Put<int16_t>(out, answer.result);
    out += answer.bytes;
    return out;
}

std::optional<NameAnswer> DecodeNameAnswer(std::string_view packet, size_t size) {
    Reader r(packet, kName);
    NameAnswer answer;
    answer.result = r.Get<int16_t>();
    answer.bytes = r.Bytes(size);
    if (!r.End() || size > kMaxNameSize) return std::nullopt;
    return answer;
}

}  // namespace acquisition::tmhost
