// Where the program keeps settings.ini, templates.txt and Temp/, and the seeding of the
// user's folders.

#include "storage/file_places.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "storage/file_io.h"
#include "tests/storage/temp_folder.h"

namespace storage {
namespace {

struct PlaceCase {
    const char* name;
    bool installed;  // the defaults lie in ../../share/interlocks/
    bool writable;   // the executable's folder
    const char* home;
    const char* xdgConfig;
    const char* xdgState;
    bool beside;
    const char* config;
    const char* state;
    const char* documents;
    const char* defaults;
};

const char* kExe = "/opt/app/bin/";

class ChoosePlaces : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ChoosePlaces, FollowsTheFolderAndTheEnvironment) {
    const PlaceCase& c = GetParam();
    PlaceEnvironment env;
    env.home = c.home;
    env.xdgConfig = c.xdgConfig;
    env.xdgState = c.xdgState;
    env.writable = [&](const std::string& folder) { return folder == kExe && c.writable; };
    env.isFile = [&](const std::string& file) {
        return c.installed && file == std::string(kExe) + "../../share/interlocks/templates.txt";
    };
    const PlaceChoice choice = ChooseFilePlaces(kExe, env);
    EXPECT_EQ(choice.beside, c.beside);
    EXPECT_EQ(choice.places, FilePlaces(c.config, c.state, c.documents));
    EXPECT_EQ(choice.defaults, c.defaults);
}

INSTANTIATE_TEST_SUITE_P(
    Places, ChoosePlaces,
    ::testing::Values(
        // A build tree or a portable copy: everything beside the executable, as always.
        PlaceCase{"Writable", false, true, "/home/u", "", "", true, kExe, kExe, kExe, ""},
        // A read-only copy: the user's folders, seeded from the files beside the executable.
        PlaceCase{"ReadOnly", false, false, "/home/u", "", "", false, "/home/u/.config/interlocks/",
                  "/home/u/.local/state/interlocks/", "/home/u/", kExe},
        // An installation is never written, even when its folder is writable (root).
        PlaceCase{"InstalledWritable", true, true, "/root", "", "", false, "/root/.config/interlocks/",
                  "/root/.local/state/interlocks/", "/root/", "/opt/app/bin/../../share/interlocks/"},
        PlaceCase{"InstalledXdg", true, false, "/home/u/", "/cfg", "/st/", false, "/cfg/interlocks/",
                  "/st/interlocks/", "/home/u/", "/opt/app/bin/../../share/interlocks/"},
        // A relative XDG path is not one: the defaults under the home folder apply.
        PlaceCase{"RelativeXdgIgnored", false, false, "/home/u", "cfg", "st", false,
                  "/home/u/.config/interlocks/", "/home/u/.local/state/interlocks/", "/home/u/", kExe},
        // Nowhere else to go: beside the executable, where saving then fails with its message.
        PlaceCase{"NoHome", true, false, "", "", "", true, kExe, kExe, kExe, ""}),
    [](const auto& info) { return std::string(info.param.name); });

class SeedUserFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder / "defaults");
        Write(folder / "defaults/settings.ini", "[Settings]\r\ncolor=0\r\n");
        Write(folder / "defaults/templates.txt", "@\r\n## T\r\n@\r\n");
        choice.beside = false;
        choice.defaults = folder / "defaults/";
        choice.places = FilePlaces(folder / "home/.config/interlocks/",
                                   folder / "home/.local/state/interlocks/", folder / "home/");
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) { return ReadWholeFile(path).bytes; }

    test::TempFolder folder;
    PlaceChoice choice{FilePlaces(""), false, ""};
};

TEST_F(SeedUserFilesTest, FirstStartCopiesTheDefaultsAndMakesTemp) {
    EXPECT_TRUE(SeedUserFiles(choice).empty());
    EXPECT_EQ(Read(choice.places.config + "settings.ini"), "[Settings]\r\ncolor=0\r\n");
    EXPECT_EQ(Read(choice.places.config + "templates.txt"), "@\r\n## T\r\n@\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(choice.places.state + "Temp"));
    struct stat st {};
    ASSERT_EQ(::stat((folder / "home/.config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);  // created base folders are the user's alone
}

TEST_F(SeedUserFilesTest, WhatTheUserHasIsNeverReplaced) {
    ASSERT_TRUE(SeedUserFiles(choice).empty());
    Write(choice.places.config + "settings.ini", "[Settings]\r\ncolor=1\r\n");
    std::filesystem::remove(choice.places.config + "templates.txt");
    std::filesystem::create_directory(choice.places.config + "templates.txt");  // a folder in its place
    EXPECT_TRUE(SeedUserFiles(choice).empty());
    EXPECT_EQ(Read(choice.places.config + "settings.ini"), "[Settings]\r\ncolor=1\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(choice.places.config + "templates.txt"));
}

TEST_F(SeedUserFilesTest, FailuresAreReportedAndTheRestIsDone) {
    std::filesystem::remove(folder / "defaults/templates.txt");
    Write(folder / "home", "a file where the home folder should be");
    const std::vector<std::string> problems = SeedUserFiles(choice);
    EXPECT_GE(problems.size(), 2u);  // no folders, no templates
    choice.places = FilePlaces(folder / "elsewhere/", folder / "elsewhere/", folder / "elsewhere/");
    const std::vector<std::string> again = SeedUserFiles(choice);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_NE(again[0].find("templates.txt"), std::string::npos);
    EXPECT_EQ(Read(folder / "elsewhere/settings.ini"), "[Settings]\r\ncolor=0\r\n");
}

TEST_F(SeedUserFilesTest, BesideTheExecutableNothingIsTouched) {
    choice.beside = true;
    EXPECT_TRUE(SeedUserFiles(choice).empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "home"));
}

}  // namespace
}  // namespace storage
