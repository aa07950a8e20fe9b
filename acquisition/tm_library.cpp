#include "acquisition/tm_library.h"

#include <algorithm>
#include <limits>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace acquisition {

namespace {

#if defined(_WIN32)
void* OpenLibrary(const std::string& path, std::string& error) {
    HMODULE h = ::LoadLibraryA(path.c_str());
    if (!h) error = path + ": error " + std::to_string(::GetLastError());
    return reinterpret_cast<void*>(h);
}
void* FindSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
}
void CloseLibrary(void* handle) { ::FreeLibrary(reinterpret_cast<HMODULE>(handle)); }
#else
void* OpenLibrary(const std::string& path, std::string& error) {
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* e = ::dlerror();
        error = e ? e : path + ": cannot be loaded";
    }
    return h;
}
void* FindSymbol(void* handle, const char* name) { return ::dlsym(handle, name); }
void CloseLibrary(void* handle) { ::dlclose(handle); }
#endif

template <typename Fn>
Fn Symbol(void* handle, const char* name) {
    return reinterpret_cast<Fn>(FindSymbol(handle, name));
}

}  // namespace

const char* TmLibraryFileName() {
#if defined(_WIN32)
    return "tmaccess.dll";
#else
    return "libtmaccess.so";
#endif
}

std::vector<std::string> DefaultTmLibraryCandidates(const std::string& exeDir) {
    std::vector<std::string> c;
    if (!exeDir.empty()) c.push_back(exeDir + TmLibraryFileName());
    c.push_back(TmLibraryFileName());
    return c;
}

std::string ExecutableFileName() {
#if !defined(_WIN32)
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) {
        std::string path(buf, static_cast<size_t>(n));
        size_t slash = path.rfind('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (!name.empty()) return name;
    }
#endif
    return "interlocks";
}

DlTmLibrary::DlTmLibrary(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

DlTmLibrary::~DlTmLibrary() {
    // The server link has closed its connection by now; the library stays mapped until the
    // end of the process so that nothing it registered (threads, handlers) outlives its code.
    handle_ = nullptr;
}

bool DlTmLibrary::Load() {
    if (handle_) return true;
    loadError_.clear();
    for (const std::string& path : candidates_) {
        std::string error;
        void* h = OpenLibrary(path, error);
        if (!h) {
            loadError_ += error + "\n";
            continue;
        }
        auto init = Symbol<TmInitFn>(h, "tmInit");
        auto close = Symbol<TmCloseFn>(h, "tmClose");
        auto status = Symbol<TmStatusByListFn>(h, "tmStatusByList");
        auto name = Symbol<TmGetObjectNameFn>(h, "tmGetObjectName");
        if (!init || !close || !status || !name) {
            loadError_ += path + ": lacks one of tmInit, tmClose, tmStatusByList, tmGetObjectName\n";
            CloseLibrary(h);
            continue;
        }
        handle_ = h;
        loadedPath_ = path;
        init_ = init;
        close_ = close;
        statusByList_ = status;
        getObjectName_ = name;
        return true;
    }
    if (loadError_.empty()) loadError_ = std::string(TmLibraryFileName()) + ": no place to look for it\n";
    return false;
}

int16_t DlTmLibrary::Init(const std::string& serverName, const std::string& clientName) {
    if (!Load()) return 0;
    return init_(serverName.c_str(), clientName.c_str());
}

void DlTmLibrary::Close() {
    if (handle_) close_();
}

void DlTmLibrary::StatusByList(const std::vector<TmStatusRequest>& request,
                               std::vector<TmStatusResult>& result) {
    // A library that is not loaded has no data for any point.
    result.assign(request.size(), TmStatusResult{0, TM_STATUS_ERROR});
    if (!handle_ || request.empty()) return;
    size_t count = std::min<size_t>(request.size(), std::numeric_limits<int16_t>::max());
    statusByList_(static_cast<int16_t>(count), request.data(), result.data());
}

int16_t DlTmLibrary::GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                                   int16_t size) {
    if (!handle_) return 0;
    return getObjectName_(kind, channel, rtu, point, buffer, size);
}

}  // namespace acquisition
