#include "storage/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <system_error>

#include "interlock/cp1251.h"

namespace storage {
namespace {

// Message-box text: "<what> "<path>": <system text>", converted once to Windows-1251.
std::string Describe(const char* whatUtf8, const std::string& path, int code) {
    std::string text = whatUtf8;
    text += " \"";
    text += path;
    text += "\": ";
    text += std::system_category().message(code);
    return cp1251::FromUtf8(text);
}

constexpr const char* kCannotRead = "Не удалось прочитать файл";
constexpr const char* kCannotWrite = "Не удалось записать файл";

WriteResult WriteFailure(const std::string& path, int code) {
    WriteResult result;
    result.error = Describe(kCannotWrite, path, code);
    result.errorCode = code;
    return result;
}

// Writes all bytes, continuing after partial writes. A write that makes no progress counts
// as a full disk. Returns 0 or the errno of the failure.
int WriteAll(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        size_t chunk = size - done;
        if (chunk > (size_t{1} << 30)) chunk = size_t{1} << 30;
        ssize_t n = ::write(fd, data + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// The folder part of a path including its final "/", or "" for a bare file name.
std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// When the target is a symbolic link, the file it points to is the one to replace, so the
// link survives the save. A dangling link is replaced by the new file.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string resolved = real;
    std::free(real);
    return resolved;
}

// Creates a new, exclusive file beside the target: "<folder>.<name>.<random>.new".
// Returns the descriptor (or -1 with errno set) and the name chosen.
int CreateSibling(const std::string& target, std::string* siblingPath) {
    std::string folder = FolderOf(target);
    std::string name = target.substr(folder.size());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        *siblingPath = folder + "." + name + "." + suffix + ".new";
        int fd = ::open(siblingPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

void SyncFolder(const std::string& target) {
    const std::string folder = FolderOf(target);
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename is done; a folder that cannot be synced changes nothing
    ::close(fd);
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path) {
    ReadResult result;
    auto fail = [&](int code) {
        result.ok = false;
        result.bytes.clear();
        result.error = Describe(kCannotRead, path, code);
        result.errorCode = code;
        return result;
    };
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int code = errno;
        ::close(fd);
        return fail(code);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(EISDIR);
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) result.bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int code = errno;
            ::close(fd);
            return fail(code);
        }
        if (n == 0) break;
        result.bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    result.ok = true;
    return result;
}

WriteResult WriteFileAtomically(const std::string& path, const std::string& bytes) {
    if (path.empty()) return WriteFailure(path, ENOENT);
    const std::string target = ResolveTarget(path);

    std::string sibling;
    int fd = CreateSibling(target, &sibling);
    if (fd < 0) return WriteFailure(path, errno);

    auto abandon = [&](int code) {
        if (fd >= 0) ::close(fd);
        ::unlink(sibling.c_str());
        return WriteFailure(path, code);
    };

    // A replaced file keeps its permissions and, where allowed, its owner.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon(errno);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only a privileged process may give a file away; the new file stays ours.
        }
    }

    if (int code = WriteAll(fd, bytes.data(), bytes.size()); code != 0) return abandon(code);
    if (::fsync(fd) != 0) return abandon(errno);
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return abandon(errno);
    if (::rename(sibling.c_str(), target.c_str()) != 0) return abandon(errno);
    SyncFolder(target);

    WriteResult result;
    result.ok = true;
    return result;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ExecutableDir() {
    std::string link(256, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", link.data(), link.size());
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < link.size()) {
            link.resize(static_cast<size_t>(n));
            break;
        }
        if (link.size() >= (size_t{1} << 20)) return std::string();
        link.resize(link.size() * 2);
    }
    return FolderOf(link);
}

}  // namespace storage
