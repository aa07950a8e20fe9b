#pragma once

// The telemechanics access library as the server link sees it: the four calls of tmaccess.h
// behind a small interface, and its implementation that loads the library at run time.

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/tmaccess.h"

namespace acquisition {

class TmLibrary {
public:
    virtual ~TmLibrary() = default;

    // tmInit: exactly 1 means connected. A library that cannot be loaded answers 0.
    virtual int16_t Init(const std::string& serverName, const std::string& clientName) = 0;
    // tmClose; nothing happens when the library was never loaded.
    virtual void Close() = 0;
    // tmStatusByList over the whole list; `result` is resized to the request's length.
    virtual void StatusByList(const std::vector<TmStatusRequest>& request,
                              std::vector<TmStatusResult>& result) = 0;
    // tmGetObjectName; 0 when the library is not loaded.
    virtual int16_t GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                                  int16_t size) = 0;
    // True when the last call did not complete (the library crashed, hung past its bound or
    // answered out of turn): its results are not the server's, and the link is gone.
    virtual bool LastCallFailed() const { return false; }
    // True when the last call failed because the caller cancelled it (the user disconnected or
    // closed the program while it ran): nothing is to be told about it.
    virtual bool LastCallCancelled() const { return false; }
    // False when Init could not pass these names to the library whole. A name with a zero byte
    // would reach it cut short.
    virtual bool AcceptsNames(const std::string& serverName, const std::string& clientName) const {
        return serverName.find('\0') == std::string::npos && clientName.find('\0') == std::string::npos;
    }
};

// The library file name of this platform: "tmaccess.dll" on Windows, "libtmaccess.so" elsewhere.
const char* TmLibraryFileName();

// Where the program looks for the library, in order: beside the executable (`exeDir` ends in
// "/"), then by the bare file name through the system's library search path.
std::vector<std::string> DefaultTmLibraryCandidates(const std::string& exeDir);

// The file name of the running executable, without its folder ("interlocks" when unknown):
// the client name passed to tmInit.
std::string ExecutableFileName();

// Loads the library at the first Init that needs it, from the first candidate that loads and
// holds all four functions. A library that is missing, cannot be loaded or lacks a function
// is never half used: Init then fails (answers 0), and the next Init tries again.
class DlTmLibrary : public TmLibrary {
public:
    explicit DlTmLibrary(std::vector<std::string> candidates);
    ~DlTmLibrary() override;
    DlTmLibrary(const DlTmLibrary&) = delete;
    DlTmLibrary& operator=(const DlTmLibrary&) = delete;

    int16_t Init(const std::string& serverName, const std::string& clientName) override;
    void Close() override;
    void StatusByList(const std::vector<TmStatusRequest>& request,
                      std::vector<TmStatusResult>& result) override;
    int16_t GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                          int16_t size) override;

    // Loads the library now; true when it is (or already was) loaded.
    bool Load();
    bool Loaded() const { return handle_ != nullptr; }
    // Why the last load failed, one line per candidate tried (for diagnostics only).
    const std::string& LoadError() const { return loadError_; }
    // The candidate that was loaded; empty while nothing is loaded.
    const std::string& LoadedPath() const { return loadedPath_; }

private:
    std::vector<std::string> candidates_;
    void* handle_ = nullptr;
    std::string loadedPath_;
    std::string loadError_;
    TmInitFn init_ = nullptr;
    TmCloseFn close_ = nullptr;
    TmStatusByListFn statusByList_ = nullptr;
    TmGetObjectNameFn getObjectName_ = nullptr;
};

}  // namespace acquisition
