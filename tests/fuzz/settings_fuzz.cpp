// The settings reader and writer on any file. The settings read from it, written back into
// it, are read again unchanged; and writing them once more changes nothing.

#include <unistd.h>

#include <cstdio>
#include <string>

#include "storage/settings.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const std::string& Path() {
    static const std::string path = [] {
        // A memory file system where there is one: every save syncs its file.
        const char* base = std::getenv("TMPDIR");
        const std::string folder = base && *base                     ? base
                                   : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                                     : "/tmp";
        return folder + "/settings-fuzz-" + std::to_string(::getpid()) + ".ini";
    }();
    return path;
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

struct Cleanup {
    ~Cleanup() { std::remove(Path().c_str()); }
} cleanup;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = Path();
    FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);

    const storage::Settings read = storage::LoadSettings(path);
    std::string error;
    FUZZ_CHECK(storage::SaveSettings(path, read, &error));
    FUZZ_CHECK(storage::LoadSettings(path) == read);
    const std::string written = ReadAll(path);
    FUZZ_CHECK(storage::SaveSettings(path, read, &error));
    FUZZ_CHECK(ReadAll(path) == written);
    return 0;
}
