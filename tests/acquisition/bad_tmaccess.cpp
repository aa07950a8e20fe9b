// An access library that misbehaves on purpose, for the tests of the helper process. The
// environment variable BAD_TMACCESS chooses how, as read when the library is loaded:
//   good                      answers like a healthy server: point p has value p % 2, status 0,
//                             name "P<p>"
//   crash-init, hang-init     tmInit crashes or never returns
//   crash-poll, hang-poll     tmStatusByList crashes or never returns
//   crash-name, hang-name     tmGetObjectName crashes or never returns at point 3
//   hang-close                tmClose never returns
//   garbage                   every call answers nonsense and writes past the caller's lists
//   chatter                   tmStatusByList also writes into the helper's own socket
//   slow-init, slow-poll      tmInit or tmStatusByList takes BAD_TMACCESS_DELAY_MS (default 1400)
//                             before answering as "good" does
//   fork                      tmInit starts a child process that waits for ever, as a library
//                             with a worker process of its own does
// With BAD_TMACCESS_LOG naming a file, tmInit appends a line "<server bytes> <client bytes>"
// and, in mode fork, the child's process id on a line of its own.
// Built once more with BAD_TMACCESS_NO_NAME: a library that lacks tmGetObjectName.

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <cstring>
#include <string>

#include "acquisition/tmaccess.h"

namespace {

std::string Mode() {
    const char* mode = std::getenv("BAD_TMACCESS");
    return mode ? mode : "good";
}

[[noreturn]] void Crash() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    std::abort();
}

[[noreturn]] void Hang() {
    for (;;) ::pause();
}

void Delay() {
    const char* ms = std::getenv("BAD_TMACCESS_DELAY_MS");
    std::this_thread::sleep_for(std::chrono::milliseconds(ms ? std::atoi(ms) : 1400));
}

void Log(const std::string& line) {
    if (const char* path = std::getenv("BAD_TMACCESS_LOG"))
        std::ofstream(path, std::ios::app) << line << "\n";
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int16_t tmInit(const char* server, const char* client) {
    const std::string mode = Mode();
    Log(std::to_string(std::strlen(server)) + " " + std::to_string(std::strlen(client)));
    if (mode == "crash-init") Crash();
    if (mode == "hang-init") Hang();
    if (mode == "slow-init") Delay();
    if (mode == "fork") {
        const pid_t child = ::fork();
        if (child == 0) Hang();
        Log(std::to_string(child));
    }
    return 1;
}

__attribute__((visibility("default"))) void tmClose(void) {
    if (Mode() == "hang-close") Hang();
}

__attribute__((visibility("default"))) int16_t tmStatusByList(int16_t count, const TmStatusRequest* request,
                                                              TmStatusResult* result) {
    const std::string mode = Mode();
    if (mode == "crash-poll") Crash();
    if (mode == "hang-poll") Hang();
    if (mode == "slow-poll") Delay();
    if (mode == "garbage") {
        // Far past the end of the list, with bytes of no meaning.
        unsigned char* bytes = reinterpret_cast<unsigned char*>(result);
        for (size_t i = 0; i < (static_cast<size_t>(count) + 500) * sizeof(TmStatusResult); ++i)
            bytes[i] = static_cast<unsigned char>(i * 131 + 7);
        return -12345;
    }
    if (mode == "chatter") {
        const char junk[] = "S\x01\x02";
        if (::write(3, junk, sizeof junk) < 0) return 0;
    }
    for (int i = 0; i < count; ++i) result[i] = {static_cast<int16_t>(request[i].point % 2), 0};
    return count;
}

#ifndef BAD_TMACCESS_NO_NAME
__attribute__((visibility("default"))) int16_t tmGetObjectName(uint16_t, int16_t, int16_t, int16_t point,
                                                               char* buffer, int16_t size) {
    const std::string mode = Mode();
    if (point == 3 && mode == "crash-name") Crash();
    if (point == 3 && mode == "hang-name") Hang();
    if (mode == "garbage") {
        std::memset(buffer, 'G', static_cast<size_t>(size) + 1000);  // no end, and past the buffer
        return 32767;
    }
    const std::string name = "P" + std::to_string(point);
    std::strncpy(buffer, name.c_str(), static_cast<size_t>(size));
    return 1;
}
#endif
}
