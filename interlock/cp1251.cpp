#include "interlock/cp1251.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace cp1251 {
namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle Open(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return IconvHandle(cd);
}

// Length of the UTF-8 sequence that starts with byte b (1 for a stray byte).
size_t Utf8Length(unsigned char b) {
    if (b >= 0xF0 && b <= 0xF4) return 4;
    if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
    if (b >= 0xC2) return 2;
    return 1;
}

// Runs iconv over the whole input; an unconvertible or malformed character is replaced by
// "?" and skipped (skip() tells how many input bytes it occupies).
template <typename Skip>
std::string Convert(const char* to, const char* from, std::string_view in, Skip skip) {
    std::string out;
    IconvHandle cd = Open(to, from);
    if (!cd) return std::string(in);
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buffer[1024];
    while (left > 0) {
        char* dst = buffer;
        size_t room = sizeof buffer;
        size_t rc = iconv(static_cast<iconv_t>(cd.get()), &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: replace one character and go on.
        size_t n = std::min(left, skip(static_cast<unsigned char>(*src)));
        out.push_back('?');
        src += n;
        left -= n;
    }
    return out;
}

}  // namespace

std::string FromUtf8(std::string_view utf8) { return Convert("WINDOWS-1251", "UTF-8", utf8, Utf8Length); }

std::string ToUtf8(std::string_view text) {
    return Convert("UTF-8", "WINDOWS-1251", text, [](unsigned char) { return size_t{1}; });
}

}  // namespace cp1251
