// Runs one save for the file tests inside a separate mount namespace (a small or read-only
// file system mounted by the calling shell):
//   file_io_probe write PATH SIZE CHAR   - WriteFileAtomically with SIZE copies of CHAR
//   file_io_probe settings PATH          - SaveSettings with non-default values
// Prints "ok" or the error text; the exit code is 0 on success, 1 on failure, 2 on misuse.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "storage/file_io.h"
#include "storage/settings.h"

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "write") == 0) {
        std::string bytes(std::strtoul(argv[3], nullptr, 10), argv[4][0]);
        storage::WriteResult result = storage::WriteFileAtomically(argv[2], bytes);
        std::puts(result.ok ? "ok" : result.error.c_str());
        return result.ok ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "settings") == 0) {
        storage::Settings settings;
        settings.colour = false;
        settings.temp_last = 5;
        std::string error;
        bool ok = storage::SaveSettings(argv[2], settings, &error);
        std::puts(ok ? "ok" : error.c_str());
        return ok ? 0 : 1;
    }
    std::fputs("usage: file_io_probe write PATH SIZE CHAR | settings PATH\n", stderr);
    return 2;
}
