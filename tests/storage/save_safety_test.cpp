// Saves that cannot hurt: files the user could not overwrite are refused and left alone, and
// the new files of killed saves are cleared away by the next save of the same target.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "storage/file_io.h"

#include "interlock/cp1251.h"
#include "tests/storage/temp_folder.h"

namespace storage {
namespace {

using test::ReadRaw;
using test::TempFolder;
using test::WriteRaw;

constexpr uid_t kOtherUid = 65534;  // nobody
constexpr gid_t kOtherGid = 65534;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// ---- Files the user could not open for writing ----

struct TargetCase {
    const char* name;
    bool ownedByUser;  // else by another user
    mode_t mode;
    const char* refusal;  // system text of the refusal, nullptr when the save must succeed
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

class SaveOverTarget : public ::testing::TestWithParam<TargetCase> {};

// The save runs as an ordinary user (nobody) in a folder everybody may write: root could open
// every file for writing, and the refusal is about what the user may do.
TEST_P(SaveOverTarget, RefusedWhereOpeningForWritingIsRefused) {
    const TargetCase& c = GetParam();
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
    TempFolder dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const std::string target = dir / "plant.blk";
    WriteRaw(target, "old contents\r\n");
    ASSERT_EQ(::chmod(target.c_str(), c.mode), 0);
    const uid_t owner = c.ownedByUser ? kOtherUid : 0;
    ASSERT_EQ(::chown(target.c_str(), owner, owner), 0);

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(report[0]);
        if (::setgid(kOtherGid) != 0 || ::setuid(kOtherUid) != 0) ::_exit(3);
        WriteResult r = WriteFileAtomically(target, "new contents\r\n");
        const std::string text = r.ok ? "ok" : r.error;
        if (::write(report[1], text.data(), text.size()) < 0) ::_exit(4);
        ::_exit(0);
    }
    ::close(report[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const struct stat after = StatOf(target);
    EXPECT_EQ(after.st_mode & 07777, c.mode);
    if (c.refusal) {
        EXPECT_NE(text.find(cp1251::FromUtf8(c.refusal)), std::string::npos) << text;
        EXPECT_NE(text.find(target), std::string::npos) << text;
        EXPECT_EQ(ReadRaw(target), "old contents\r\n");
        EXPECT_EQ(after.st_uid, owner);
    } else {
        EXPECT_EQ(text, "ok");
        EXPECT_EQ(ReadRaw(target), "new contents\r\n");
        EXPECT_EQ(after.st_uid, kOtherUid);
    }
    EXPECT_EQ(dir.List(), std::vector<std::string>{"plant.blk"});
}

const TargetCase kTargets[] = {
    {"OwnReadOnly", true, 0444, "Отказано в доступе"},
    {"OwnWritableKeepsItsMode", true, 0640, nullptr},
    {"OwnWithGroupAndOthersBits", true, 0664, nullptr},
    {"OtherUsersFile", false, 0644, "Отказано в доступе"},
    {"OtherUsersFileWritableByAll", false, 0666, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Targets, SaveOverTarget, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Leftovers of killed saves ----

TEST(SaveLeftovers, OnlyUnheldFilesOfTheTargetsOwnPatternAreRemoved) {
    TempFolder dir;
    const std::string target = dir / "plant.blk";
    WriteRaw(target, "old");
    const std::vector<std::string> leftovers = {".plant.blk.0badf00d.new", ".plant.blk.12345678.new"};
    for (const std::string& name : leftovers) WriteRaw(dir / name, std::string(1000, 'x'));
    const std::vector<std::string> others = {
        ".plant.blk.1234567.new",    // seven digits
        ".plant.blk.ABCDEF12.new",   // not our digits
        ".plant.blk.12345678.new~",  // something else's
        ".plant.blk.12345678.old",   //
        "plant.blk.12345678.new",    // not hidden
        ".other.blk.12345678.new",   // another target's
        ".plant.blkx.12345678.new",  //
        ".plant.blk.aaaaaaaa.new",   // held by a save that is running: see below
        ".plant.blk.bbbbbbbb.new",   // a folder
        ".plant.blk.cccccccc.new",   // a symbolic link to a file of the user's
        "keep.txt",
    };
    for (size_t i = 0; i < 7; ++i) WriteRaw(dir / others[i], "keep");
    WriteRaw(dir / ".plant.blk.aaaaaaaa.new", "in use");
    ASSERT_EQ(::mkdir((dir / ".plant.blk.bbbbbbbb.new").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("keep.txt", (dir / ".plant.blk.cccccccc.new").c_str()), 0);
    WriteRaw(dir / "keep.txt", "keep");
    int held = ::open((dir / ".plant.blk.aaaaaaaa.new").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    ASSERT_TRUE(WriteFileAtomically(target, "new").ok);
    ::close(held);

    std::vector<std::string> expected = others;
    expected.push_back("plant.blk");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.List(), expected);
    EXPECT_EQ(ReadRaw(dir / "keep.txt"), "keep");
    EXPECT_EQ(ReadRaw(target), "new");
}

TEST(SaveLeftovers, FailedSaveRemovesNothing) {
    TempFolder dir;
    WriteRaw(dir / ".plant.blk.12345678.new", "left");
    ASSERT_EQ(::mkdir((dir / "plant.blk").c_str(), 0755), 0);  // a folder cannot be replaced
    EXPECT_FALSE(WriteFileAtomically(dir / "plant.blk", "new").ok);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{".plant.blk.12345678.new", "plant.blk"}));
}

// Saves killed while their new file is being written, then one that completes: only the
// target stays, whatever the kills left.
TEST(SaveLeftovers, KilledSavesAreClearedByTheNextSave) {
    TempFolder dir;
    const std::string target = dir / "settings.ini";
    WriteRaw(target, "old");
    const std::string big(64 << 20, 'B');
    int killedWithFile = 0;
    for (int kill = 0; kill < 3; ++kill) {
        const size_t before = dir.List().size();
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            WriteFileAtomically(target, big);
            ::_exit(0);
        }
        // Killed as soon as its new file is there.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (dir.List().size() == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) ++killedWithFile;
    }
    ASSERT_GT(killedWithFile, 0);
    EXPECT_GT(dir.List().size(), 1u);
    ASSERT_TRUE(WriteFileAtomically(target, "new").ok);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(ReadRaw(target), "new");
}

}  // namespace
}  // namespace storage
