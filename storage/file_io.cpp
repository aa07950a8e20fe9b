#include "storage/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <system_error>

#include "interlock/cp1251.h"
#include "storage/texts.h"

namespace storage {
namespace {

// Message-box text: "<what> "<path>": <system text>", in Windows-1251.
std::string Describe(const std::string& what, const std::string& path, int code) {
    return what + " \"" + cp1251::FromUtf8(path) + "\": " + SystemErrorText(code);
}

WriteResult WriteFailure(const std::string& path, int code) {
    WriteResult result;
    result.error = Describe(Texts().cannotWrite, path, code);
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

// The new file of a save is "<folder>.<name>.<8 hex digits>.new". While a save writes it, it
// holds an exclusive lock on it, so a file of this pattern that nobody holds locked is the
// leftover of a save that was killed before its rename.
constexpr size_t kSuffixDigits = 8;
constexpr const char* kSiblingEnd = ".new";

std::string SiblingPrefix(const std::string& name) { return "." + name + "."; }

bool IsSiblingName(const std::string& entry, const std::string& prefix) {
    const size_t endSize = std::char_traits<char>::length(kSiblingEnd);
    if (entry.size() != prefix.size() + kSuffixDigits + endSize) return false;
    if (entry.compare(0, prefix.size(), prefix) != 0) return false;
    if (entry.compare(prefix.size() + kSuffixDigits, endSize, kSiblingEnd) != 0) return false;
    for (size_t i = prefix.size(); i < prefix.size() + kSuffixDigits; ++i) {
        const char c = entry[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

// Creates a new, exclusive file beside the target and locks it. Returns the descriptor (or -1
// with errno set) and the name chosen.
int CreateSibling(const std::string& target, std::string* siblingPath) {
    std::string folder = FolderOf(target);
    std::string name = target.substr(folder.size());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        *siblingPath = folder + SiblingPrefix(name) + suffix + kSiblingEnd;
        int fd = ::open(siblingPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);  // new and ours alone: cannot be held by anybody else
            return fd;
        }
        if (errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Removes the new files that earlier saves of the same target left when they were killed:
// regular files of the sibling pattern that no running save holds locked. Nothing else in
// the folder is touched, and a file that cannot be removed simply stays.
void RemoveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = SiblingPrefix(target.substr(folder.size()));
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsSiblingName(name, prefix)) continue;
        const std::string path = folder + name;
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// A file that is replaced must be one the user could open for writing: the rename would
// otherwise overwrite a read-only file or another user's file in a shared folder.
// Returns 0 or the errno of the refused open.
int CheckWritable(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
}

// What is not a regular file is never replaced: a FIFO, a device, a terminal, /dev/stdout or a
// descriptor under /proc are written through, so that a reader at the other end gets the
// bytes and the node stays. A folder is refused by the open with the system's own error.
bool WritesThrough(const std::string& path) {
    if (path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0) return true;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

WriteResult WriteThrough(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return WriteFailure(path, errno);
    int code = WriteAll(fd, bytes.data(), bytes.size());
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code != 0) return WriteFailure(path, code);
    WriteResult result;
    result.ok = true;
    return result;
}

void SyncFolder(const std::string& target) {
    const std::string folder = FolderOf(target);
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename is done; a folder that cannot be synced changes nothing
    ::close(fd);
}

}  // namespace

std::string SystemErrorText(int code) {
    const StorageTexts& t = Texts();
    switch (code) {
        case ENOENT:
            return t.errNoEntry;
        case EACCES:
            return t.errAccess;
        case EPERM:
            return t.errPermission;
        case EISDIR:
            return t.errIsFolder;
        case ENOTDIR:
            return t.errNotFolder;
        case ENOSPC:
            return t.errNoSpace;
        case EROFS:
            return t.errReadOnly;
        case EEXIST:
            return t.errExists;
        case ENAMETOOLONG:
            return t.errLongName;
        case ELOOP:
            return t.errLinkLoop;
        case EIO:
            return t.errIo;
        case EFBIG:
            return t.errTooBig;
        case EDQUOT:
            return t.errQuota;
        case EMFILE:
            return t.errTooManyOpen;
        case ENXIO:
            return t.errNoDevice;
        case EPIPE:
            return t.errPipe;
        case EBUSY:
            return t.errBusy;
        case EINVAL:
            return t.errInvalid;
        default:
            return cp1251::FromUtf8(std::system_category().message(code));
    }
}

ReadResult ReadWholeFile(const std::string& path) {
    ReadResult result;
    auto fail = [&](int code) {
        result.ok = false;
        result.bytes.clear();
        result.error = Describe(Texts().cannotRead, path, code);
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
    if (WritesThrough(path)) return WriteThrough(path, bytes);
    const std::string target = ResolveTarget(path);
    if (int code = CheckWritable(target); code != 0) return WriteFailure(path, code);

    std::string sibling;
    int fd = CreateSibling(target, &sibling);
    if (fd < 0) return WriteFailure(path, errno);

    // The lock lives as long as any descriptor of the file: this one keeps it up to the rename.
    int lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);

    auto abandon = [&](int code) {
        if (fd >= 0) ::close(fd);
        ::unlink(sibling.c_str());
        if (lockFd >= 0) ::close(lockFd);
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
    if (lockFd >= 0) ::close(lockFd);
    SyncFolder(target);
    RemoveLeftovers(target);

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
