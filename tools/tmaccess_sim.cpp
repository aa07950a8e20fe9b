// libtmaccess.so: a stand-in for the telemechanics access library that simulates a server.
//
// It answers the four calls of tmaccess.h from a points file (Windows-1251 text, format in
// docs/tmaccess-points.md): the server names it answers to, and for each channel, RTU and
// point a value, a status word and a name. The file is named by the environment variable
// TMACCESS_POINTS, or else is "tmaccess-points.txt" beside this library. It is read again at
// every tmInit and every status poll, and before a name whenever it has changed on disk, so
// an edit made while the program runs shows at the next poll.
//
// A slow server: with the environment variable TMACCESS_DELAY_MS set, every tmInit and every
// status poll answers that many milliseconds late.

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "acquisition/tmaccess.h"

namespace {

using Key = std::tuple<int, int, int>;  // channel, RTU, point

struct Point {
    int16_t value = 0;
    uint16_t status = 0;
    std::string name;
};

struct PointsFile {
    bool readable = false;
    std::set<std::string> servers;
    std::set<std::pair<int, int>> rtus;  // (channel, RTU) pairs the file mentions
    std::map<Key, Point> points;
    std::set<Key> lost;  // fetching one of these names drops the link
};

struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;

    bool operator==(const FileStamp&) const = default;
};

struct State {
    std::mutex mutex;
    std::string path;
    FileStamp stamp;
    PointsFile file;
    bool connected = false;
    std::string server;
};

State& TheState() {
    static State state;
    return state;
}

// ---- The points file ----

std::string LibraryDir() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&TheState), &info) == 0 || !info.dli_fname) return "";
    std::string path = info.dli_fname;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

void SlowServer() {
    const char* ms = std::getenv("TMACCESS_DELAY_MS");
    if (ms && *ms) std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
}

std::string PointsPath() {
    const char* env = std::getenv("TMACCESS_POINTS");
    if (env && *env) return env;
    return LibraryDir() + "tmaccess-points.txt";
}

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    FileStamp s;
    if (::stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// The next blank-separated word of `line` from `pos`; empty at the end of the line.
std::string NextWord(const std::string& line, size_t& pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    return line.substr(start, pos - start);
}

// A decimal number with an optional sign, or a hexadecimal one after "0x" / "0X".
std::optional<long> Number(const std::string& word, long lo, long hi) {
    if (word.empty()) return std::nullopt;
    const char* s = word.c_str();
    int base = 10;
    if (word.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s += 2;
    }
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, base);
    if (errno != 0 || end == s || *end != '\0' || v < lo || v > hi) return std::nullopt;
    return v;
}

void Warn(const std::string& path, int lineNo, const char* what) {
    std::fprintf(stderr, "tmaccess: %s:%d: %s; line ignored\n", path.c_str(), lineNo, what);
}

PointsFile Parse(const std::string& path, const std::string& text) {
    PointsFile f;
    f.readable = true;
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);

    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::string& line = lines[i];
        size_t pos = 0;
        std::string keyword = NextWord(line, pos);
        if (keyword.empty() || keyword[0] == '#' || keyword[0] == ';') continue;
        if (keyword == "server") {
            std::string name = Trim(line.substr(pos));
            if (name.empty()) {
                Warn(path, lineNo, "server without a name");
                continue;
            }
            f.servers.insert(name);
            continue;
        }
        auto channel = Number(NextWord(line, pos), 0, 256);
        auto rtu = Number(NextWord(line, pos), 1, 256);
        if (!channel || !rtu) {
            Warn(path, lineNo, "channel 0..256 and RTU 1..256 expected");
            continue;
        }
        if (keyword == "rtu") {
            f.rtus.insert({*channel, *rtu});
            continue;
        }
        auto point = Number(NextWord(line, pos), 1, 256);
        if (!point) {
            Warn(path, lineNo, "point 1..256 expected");
            continue;
        }
        Key key{*channel, *rtu, *point};
        if (keyword == "lost") {
            f.rtus.insert({*channel, *rtu});
            f.lost.insert(key);
            continue;
        }
        if (keyword != "ts") {
            Warn(path, lineNo, "unknown keyword");
            continue;
        }
        auto value = Number(NextWord(line, pos), -32768, 65535);
        auto status = Number(NextWord(line, pos), 0, 0xFFFF);
        if (!value || !status) {
            Warn(path, lineNo, "value -32768..65535 and status 0..0xFFFF expected");
            continue;
        }
        f.rtus.insert({*channel, *rtu});
        Point p;
        p.value = static_cast<int16_t>(static_cast<uint16_t>(*value & 0xFFFF));
        p.status = static_cast<uint16_t>(*status);
        p.name = Trim(line.substr(pos));
        f.points[key] = p;
    }
    return f;
}

// Reads the file again (always, or only when it changed on disk). A server that the file no
// longer declares, or a file that is gone, ends the link.
void Reload(State& st, bool always) {
    FileStamp stamp = StampOf(st.path);
    if (!always && stamp == st.stamp) return;
    st.stamp = stamp;
    std::ifstream in(st.path, std::ios::binary);
    if (!stamp.exists || !in) {
        st.file = PointsFile{};
    } else {
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        st.file = Parse(st.path, text);
    }
    if (st.connected && st.file.servers.count(st.server) == 0) st.connected = false;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int16_t tmInit(const char* server_name, const char* client_name) {
    (void)client_name;
    SlowServer();
    State& st = TheState();
    std::lock_guard<std::mutex> lock(st.mutex);
    st.connected = false;
    st.path = PointsPath();
    Reload(st, true);
    if (!st.file.readable) return -1;
    if (!server_name || st.file.servers.count(server_name) == 0) return 0;
    st.server = server_name;
    st.connected = true;
    return 1;
}

__attribute__((visibility("default"))) void tmClose(void) {
    State& st = TheState();
    std::lock_guard<std::mutex> lock(st.mutex);
    st.connected = false;
}

__attribute__((visibility("default"))) int16_t tmStatusByList(int16_t count, const TmStatusRequest* request,
                                                              TmStatusResult* result) {
    if (count <= 0 || !request || !result) return 0;
    SlowServer();
    State& st = TheState();
    std::lock_guard<std::mutex> lock(st.mutex);
    if (st.connected) Reload(st, true);
    for (int i = 0; i < count; ++i) {
        const TmStatusRequest& r = request[i];
        TmStatusResult answer{0, static_cast<uint16_t>(TM_STATUS_ERROR)};
        if (st.connected && st.file.rtus.count({r.channel, r.rtu})) {
            auto it = st.file.points.find(Key{r.channel, r.rtu, r.point});
            answer = it == st.file.points.end() ? TmStatusResult{0, 0}
                                                : TmStatusResult{it->second.value, it->second.status};
        }
        result[i] = answer;
    }
    return st.connected ? count : 0;
}

__attribute__((visibility("default"))) int16_t tmGetObjectName(uint16_t kind, int16_t channel, int16_t rtu,
                                                               int16_t point, char* buffer, int16_t size) {
    if (!buffer || size <= 0) return 0;
    State& st = TheState();
    std::lock_guard<std::mutex> lock(st.mutex);
    if (st.connected) Reload(st, false);
    if (!st.connected || kind != TM_OBJECT_TS) return 0;
    Key key{channel, rtu, point};
    if (st.file.lost.count(key)) {
        st.connected = false;
        return 0;
    }
    auto it = st.file.points.find(key);
    if (it == st.file.points.end() || it->second.name.empty()) return 0;
    const std::string& name = it->second.name;
    // A name as long as the buffer or longer fills it without a zero byte.
    size_t n = std::min(name.size(), static_cast<size_t>(size));
    std::memcpy(buffer, name.data(), n);
    if (n < static_cast<size_t>(size)) buffer[n] = '\0';
    return static_cast<int16_t>(n);
}

}  // extern "C"
