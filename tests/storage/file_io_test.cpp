#include "storage/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "interlock/cp1251.h"
#include "tests/storage/temp_folder.h"

namespace storage {
namespace {

using test::ReadRaw;
using test::TempFolder;
using test::WriteRaw;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// ---- Contents survive a write and a read unchanged ----

TEST(WriteFileAtomically, ContentsRoundTripAndNothingIsLeftBeside) {
    std::string big(3 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
    const std::string contents[] = {"", std::string("\0\r\n\xFF\x98\r", 6), "[TS]\r\nshow=1\r\n", big};
    TempFolder dir;
    for (const std::string& bytes : contents) {
        SCOPED_TRACE(bytes.size());
        WriteResult written = WriteFileAtomically(dir / "f.blk", bytes);
        ASSERT_TRUE(written.ok) << written.error;
        ReadResult read = ReadWholeFile(dir / "f.blk");
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.bytes.size(), bytes.size());
        EXPECT_TRUE(read.bytes == bytes);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"f.blk"});
    }
}

TEST(WriteFileAtomically, ReplacedFileKeepsItsPermissionsAndNewOneFollowsUmask) {
    TempFolder dir;
    WriteRaw(dir / "old", "x");
    ASSERT_EQ(::chmod((dir / "old").c_str(), 0604), 0);
    ASSERT_TRUE(WriteFileAtomically(dir / "old", "y").ok);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "old").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);

    mode_t saved = ::umask(027);
    WriteResult written = WriteFileAtomically(dir / "new", "z");
    ::umask(saved);
    ASSERT_TRUE(written.ok);
    ASSERT_EQ(::stat((dir / "new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(WriteFileAtomically, SymbolicLinkStaysAndItsFileIsReplaced) {
    TempFolder dir;
    WriteRaw(dir / "real.ini", "old");
    ASSERT_EQ(::symlink("real.ini", (dir / "link.ini").c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(dir / "link.ini", "new").ok);
    struct stat st {};
    ASSERT_EQ(::lstat((dir / "link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadRaw(dir / "real.ini"), "new");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"link.ini", "real.ini"}));
}

// ---- Failures: the message names the file, keeps the system's text, and leaves nothing ----

struct FailureCase {
    const char* name;
    std::function<void(const TempFolder&)> prepare;
    std::function<std::pair<std::string, int>(const TempFolder&)> run;  // error text and code
    std::string file;                                                   // as named in the message
    const char* prefixUtf8;
    const char* systemText;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FileFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FileFailure, ReportsTheSystemError) {
    const FailureCase& c = GetParam();
    TempFolder dir;
    c.prepare(dir);
    const std::vector<std::string> before = dir.List();
    auto [error, code] = c.run(dir);
    EXPECT_NE(code, 0);
    const std::string expected =
        cp1251::FromUtf8(std::string(c.prefixUtf8) + " \"" + (dir / c.file) + "\": " + c.systemText);
    EXPECT_EQ(error, expected);
    EXPECT_EQ(dir.List(), before);
}

auto Read(const char* name) {
    return [name](const TempFolder& dir) {
        ReadResult r = ReadWholeFile(dir / name);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.bytes.empty());
        return std::make_pair(r.error, r.errorCode);
    };
}

auto Write(const char* name) {
    return [name](const TempFolder& dir) {
        WriteResult r = WriteFileAtomically(dir / name, "data");
        EXPECT_FALSE(r.ok);
        return std::make_pair(r.error, r.errorCode);
    };
}

void Nothing(const TempFolder&) {}
void MakeFolder(const TempFolder& dir) { ::mkdir((dir / "sub").c_str(), 0755); }

const FailureCase kFailures[] = {
    {"ReadMissing", Nothing, Read("none.blk"), "none.blk", "Не удалось прочитать файл",
     "Файл или каталог не существует"},
    {"ReadFolder", MakeFolder, Read("sub"), "sub", "Не удалось прочитать файл", "Это каталог"},
    {"WriteIntoMissingFolder", Nothing, Write("Temp/1.tmp"), "Temp/1.tmp", "Не удалось записать файл",
     "Файл или каталог не существует"},
    {"WriteOverFolder", MakeFolder, Write("sub"), "sub", "Не удалось записать файл", "Это каталог"},
};

INSTANTIATE_TEST_SUITE_P(Cases, FileFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- What is not a regular file is written through, never replaced ----

struct SpecialTarget {
    const char* name;
    // Makes the target in the folder; false when this machine cannot (the case is skipped).
    std::function<bool(const TempFolder&)> make;
    int errorCode;           // 0: the write succeeds
    std::string systemText;  // the system's text of the failure
};

void PrintTo(const SpecialTarget& c, std::ostream* os) { *os << c.name; }

class SpecialTargets : public ::testing::TestWithParam<SpecialTarget> {};

TEST_P(SpecialTargets, StayWhatTheyAreAndTakeTheBytes) {
    const SpecialTarget& c = GetParam();
    TempFolder dir;
    if (!c.make(dir)) GTEST_SKIP() << "cannot make the target here";
    const std::string target = dir / "out";
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    const bool fifo = S_ISFIFO(before.st_mode);
    std::string received;
    std::thread reader;
    if (fifo) {
        reader = std::thread([&] { received = ReadRaw(target); });
    }
    const WriteResult r = WriteFileAtomically(target, "payload");
    if (reader.joinable()) reader.join();
    EXPECT_EQ(r.errorCode, c.errorCode);
    EXPECT_EQ(r.ok, c.errorCode == 0);
    if (c.errorCode != 0) {
        EXPECT_TRUE(Contains(r.error, cp1251::FromUtf8(c.systemText))) << r.error;
    }
    if (fifo) {
        EXPECT_EQ(received, "payload");
    }
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"out"});  // no temporary file left beside
}

bool LinkTo(const TempFolder& dir, const char* device) {
    return ::access(device, W_OK) == 0 && ::symlink(device, (dir / "out").c_str()) == 0;
}

const SpecialTarget kSpecialTargets[] = {
    {"Fifo", [](const TempFolder& dir) { return ::mkfifo((dir / "out").c_str(), 0600) == 0; }, 0, ""},
    {"LinkToDevNull", [](const TempFolder& dir) { return LinkTo(dir, "/dev/null"); }, 0, ""},
    {"LinkToDevFull", [](const TempFolder& dir) { return LinkTo(dir, "/dev/full"); }, ENOSPC,
     "На устройстве не осталось места"},
};

INSTANTIATE_TEST_SUITE_P(Kinds, SpecialTargets, ::testing::ValuesIn(kSpecialTargets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileExists, OnlyRegularFiles) {
    TempFolder dir;
    WriteRaw(dir / "file", "");
    MakeFolder(dir);
    EXPECT_TRUE(FileExists(dir / "file"));
    EXPECT_FALSE(FileExists(dir / "sub"));
    EXPECT_FALSE(FileExists(dir / "none"));
    EXPECT_FALSE(FileExists(""));
}

TEST(ExecutableDir, IsTheFolderOfThisProgram) {
    std::string folder = ExecutableDir();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(FileExists(folder + "storage_tests"));
}

// ---- A save killed half-way ----

// The writer is killed at moments spread over the time a whole save takes. Whenever it dies,
// the target holds the complete old or the complete new contents.
TEST(WriteFileAtomically, KilledSaveLeavesOldOrNewFile) {
    TempFolder dir;
    const std::string target = dir / "plant.blk";
    const std::string oldBytes(4 << 20, 'A');
    const std::string newBytes((16 << 20) + 3, 'B');

    ASSERT_TRUE(WriteFileAtomically(target, oldBytes).ok);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WriteFileAtomically(dir / "timing", newBytes).ok);
    auto whole = std::chrono::steady_clock::now() - start;
    ::unlink((dir / "timing").c_str());

    constexpr int kSteps = 10;
    int sawOld = 0;
    int sawNew = 0;
    for (int step = 0; step <= kSteps; ++step) {
        ASSERT_TRUE(WriteFileAtomically(target, oldBytes).ok);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            WriteFileAtomically(target, newBytes);
            ::_exit(0);
        }
        std::this_thread::sleep_for(whole * step / kSteps);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        ReadResult read = ReadWholeFile(target);
        ASSERT_TRUE(read.ok) << read.error;
        if (read.bytes == oldBytes) {
            ++sawOld;
        } else {
            ASSERT_TRUE(read.bytes == newBytes)
                << "step " << step << ": partial file of " << read.bytes.size() << " bytes";
            ++sawNew;
        }
        // A killed save may leave its unfinished hidden file behind; never a visible one.
        for (const std::string& name : dir.List()) {
            if (name == "plant.blk") continue;
            EXPECT_EQ(name.front(), '.') << name;
            ::unlink((dir / name).c_str());
        }
    }
    EXPECT_EQ(sawOld + sawNew, kSteps + 1);
    RecordProperty("killed_before_rename", sawOld);
}

// ---- Full and read-only file systems, in a mount namespace of their own ----

struct ShellResult {
    int exitCode = -1;
    std::string output;
};

ShellResult RunShell(const std::string& command) {
    ShellResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The command that runs a shell in a new mount namespace where a tmpfs can be mounted, or ""
// when this machine allows none.
std::string MountNamespaceCommand(const std::string& mountPoint) {
    const char* candidates[] = {"unshare -rm", "unshare -m"};
    for (const char* candidate : candidates) {
        std::string probe = std::string("timeout 10 ") + candidate +
                            " sh -c 'mount -t tmpfs -o size=16k tmpfs \"" + mountPoint + "\"'";
        if (RunShell(probe).exitCode == 0) return candidate;
    }
    return "";
}

struct MountCase {
    const char* name;
    size_t oldSize;
    std::string attempt;  // shell commands after the old file "$D/f" is written
    const char* systemText;
};

void PrintTo(const MountCase& c, std::ostream* os) { *os << c.name; }

class SmallFileSystem : public ::testing::TestWithParam<MountCase> {};

TEST_P(SmallFileSystem, FailedSaveKeepsTheOldFile) {
    const MountCase& c = GetParam();
    TempFolder mount;
    TempFolder out;
    ASSERT_EQ(mount.path().find('\''), std::string::npos);
    ASSERT_EQ(out.path().find('\''), std::string::npos);
    std::string unshare = MountNamespaceCommand(mount.path());
    if (unshare.empty()) GTEST_SKIP() << "no mount namespace with tmpfs available (unshare/mount refused)";

    const std::string script =
        "mount -t tmpfs -o size=64k tmpfs \"$D\" || exit 90\n"
        "\"$P\" write \"$D/f\" " +
        std::to_string(c.oldSize) + " A >/dev/null || exit 91\n" + c.attempt +
        "\n"
        "echo \"rc=$?\"\n"
        "cp \"$D/f\" \"$O/after\"; ls -A \"$D\" > \"$O/list\"\n";
    std::string command = "D='" + mount.path() + "' O='" + out.path() +
                          "' P='" FILE_IO_PROBE "' timeout 60 " + unshare + " sh -c '" + script + "'";
    ShellResult run = RunShell(command);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "rc=1")) << run.output;
    EXPECT_TRUE(Contains(run.output, cp1251::FromUtf8(c.systemText))) << run.output;
    EXPECT_TRUE(ReadRaw(out / "after") == std::string(c.oldSize, 'A'));
    EXPECT_EQ(ReadRaw(out / "list"), "f\n");
}

const MountCase kMountCases[] = {
    {"FullDisk", 1000, "\"$P\" write \"$D/f\" 200000 B", "На устройстве не осталось места"},
    {"NoRoomBesideOldFile", 40000, "\"$P\" write \"$D/f\" 40000 B", "На устройстве не осталось места"},
    {"ReadOnly", 1000, "mount -o remount,bind,ro \"$D\" || exit 92\n\"$P\" write \"$D/f\" 10 B",
     "Файловая система доступна только для чтения"},
    {"ReadOnlySettings", 1000, "mount -o remount,bind,ro \"$D\" || exit 92\n\"$P\" settings \"$D/f\"",
     "Файловая система доступна только для чтения"},
};

INSTANTIATE_TEST_SUITE_P(Mounts, SmallFileSystem, ::testing::ValuesIn(kMountCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace storage
