#include "storage/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>

#include <cerrno>

#include "storage/file_io.h"
#include "tests/storage/temp_folder.h"

namespace storage {
namespace {

using test::ReadRaw;
using test::TempFolder;
using test::WriteRaw;

// "Сервер" in Windows-1251.
const std::string kServerCp1251 = "\xD1\xE5\xF0\xE2\xE5\xF0";

TEST(LoadSettings, MissingFileGivesDefaults) {
    TempFolder dir;
    Settings s = LoadSettings(dir / "settings.ini");
    EXPECT_EQ(s, Settings{});
    EXPECT_EQ(s.server_name, ".\\TMS");
    EXPECT_EQ(s.server_name.size(), 5u);
}

// ---- Reading: one file text, and how the result differs from the defaults ----

struct ReadCase {
    const char* name;
    std::string ini;
    std::function<void(Settings&)> expect;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class LoadSettingsValues : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LoadSettingsValues, ReadsAsExpected) {
    TempFolder dir;
    WriteRaw(dir / "settings.ini", GetParam().ini);
    Settings expected;
    GetParam().expect(expected);
    EXPECT_EQ(LoadSettings(dir / "settings.ini"), expected);
}

const ReadCase kReadCases[] = {
    {"BoolZero", "[Settings]\r\ncolor=0\r\n", [](Settings& s) { s.colour = false; }},
    {"BoolTwoIsTrue", "[TS]\r\nget=2\r\n", [](Settings& s) { s.ts_get = true; }},
    {"BoolNegativeIsTrue", "[M]\r\nshow=-1\r\n", [](Settings& s) { s.m_show = true; }},
    {"BoolHexZero", "[File]\r\ntemp=0x0\r\n", [](Settings& s) { s.temp = false; }},
    {"BoolHexUpperPrefix", "[Server]\r\nget_ts=0X1\r\n", [](Settings& s) { s.get_ts = true; }},
    {"BoolYesIsDefault", "[Settings]\r\ncolor=yes\r\n[TS]\r\nget=yes\r\n", [](Settings&) {}},
    {"BoolEmptyIsDefault", "[Settings]\r\ncolor=\r\n", [](Settings&) {}},
    {"BoolTrailingJunkIsDefault", "[Settings]\r\ncolor=0abc\r\n", [](Settings&) {}},
    {"BlanksAroundValue", "[Settings]\r\n  color =\t0 \r\n", [](Settings& s) { s.colour = false; }},
    {"TempLastCutTo8Bits", "[File]\r\ntemp_last=300\r\n", [](Settings& s) { s.temp_last = 44; }},
    {"TempLastHex", "[File]\r\ntemp_last=0x0C\r\n", [](Settings& s) { s.temp_last = 12; }},
    {"TempLastNotANumber", "[File]\r\ntemp_last=abc\r\n", [](Settings& s) { s.temp_last = 0; }},
    {"TempLastNegative", "[File]\r\ntemp_last=-56\r\n", [](Settings& s) { s.temp_last = -56; }},
    {"TempLastHighByteIsNegative", "[File]\r\ntemp_last=200\r\n", [](Settings& s) { s.temp_last = -56; }},
    {"TempLastAllBitsHex", "[File]\r\ntemp_last=0xFFFFFFFF\r\n", [](Settings& s) { s.temp_last = -1; }},
    {"TempLastBeyond32BitsIsDefault", "[File]\r\ntemp_last=4294967340\r\n", [](Settings&) {}},
    {"TempLastBarePrefixIsDefault", "[File]\r\ntemp_last=0x\r\n", [](Settings&) {}},
    {"SectionAndKeyCase", "[settings]\r\nCOLOR=0\r\n[server]\r\nrtu=7\r\nServer_Name=X\r\n",
     [](Settings& s) {
         s.colour = false;
         s.rtu = "7";
         s.server_name = "X";
     }},
    {"TextsVerbatim", "[Server]\r\nserver_name=" + kServerCp1251 + "\\TMS\r\nchannel=abcd\r\nRTU=-12\r\n",
     [](Settings& s) {
         s.server_name = kServerCp1251 + "\\TMS";
         s.channel = "abcd";
         s.rtu = "-12";
     }},
    {"EmptyText", "[Server]\r\nchannel=\r\n", [](Settings& s) { s.channel = ""; }},
    {"SameKeyOtherSection", "[Settings]\r\nshow=0\r\n[TS]\r\ncolor=0\r\n[M]\r\nshow=1\r\n",
     [](Settings& s) { s.m_show = true; }},
    {"KeyBeforeAnySectionIgnored", "color=0\r\n[Settings]\r\n", [](Settings&) {}},
    {"CommentIgnored", "[Settings]\r\n;color=0\r\n", [](Settings&) {}},
    {"FirstOfDuplicateKeys", "[TS]\r\nshow=0\r\nshow=1\r\n", [](Settings& s) { s.ts_show = false; }},
    {"FileKeyNeverRead", "[File]\r\nfile=/data/plant.blk\r\n", [](Settings&) {}},
    // A lone CR ends a line: the next key is seen, and the value stops before it.
    {"LoneCrEndsALine", "[Server]\r\nchannel=12\rRTU=3\r\n",
     [](Settings& s) {
         s.channel = "12";
         s.rtu = "3";
     }},
    {"LoneCrOnly", "[Settings]\rcolor=0\r[M]\rshow=1\r",
     [](Settings& s) {
         s.colour = false;
         s.m_show = true;
     }},
    {"LfCrIsTwoBreaks", "[TS]\n\rshow=0\n\r", [](Settings& s) { s.ts_show = false; }},
    {"LfOnlyAndNoFinalBreak", "[TS]\nchange=0\n[Server]\nconnect=1",
     [](Settings& s) {
         s.ts_change = false;
         s.connect = true;
     }},
};

INSTANTIATE_TEST_SUITE_P(Values, LoadSettingsValues, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Writing ----

TEST(SaveSettings, NewFileHoldsTheFifteenKeysInOrder) {
    TempFolder dir;
    Settings s;
    s.temp_last = -3;
    s.file = "/home/user/plant.blk";
    std::string error;
    ASSERT_TRUE(SaveSettings(dir / "settings.ini", s, &error)) << error;
    EXPECT_EQ(
        ReadRaw(dir / "settings.ini"),
        "[Settings]\r\ncolor=1\r\n\r\n"
        "[TS]\r\nshow=1\r\nchange=1\r\nget=0\r\n\r\n"
        "[M]\r\nshow=0\r\n\r\n"
        "[File]\r\ntemp=1\r\ntemp_last=-3\r\nfile=/home/user/plant.blk\r\nsave_ts=1\r\n\r\n"
        "[Server]\r\nconnect=0\r\nserver_name=.\\TMS\r\nget_ts=0\r\nget_names=0\r\nchannel=0\r\nRTU=1\r\n");
}

TEST(SaveSettings, EveryValueSurvivesARoundTrip) {
    TempFolder dir;
    Settings s;
    s.colour = false;
    s.ts_show = false;
    s.ts_change = false;
    s.ts_get = true;
    s.m_show = true;
    s.temp = false;
    s.temp_last = -128;
    s.file = "C:/cfg_1_2_1.blk";
    s.save_ts = false;
    s.connect = true;
    s.server_name = kServerCp1251;
    s.channel = "12";
    s.rtu = "x";
    s.get_ts = true;
    s.get_names = true;
    ASSERT_TRUE(SaveSettings(dir / "settings.ini", s, nullptr));
    Settings expected = s;
    expected.file.clear();  // written for the record, never read back
    EXPECT_EQ(LoadSettings(dir / "settings.ini"), expected);
}

TEST(SaveSettings, ExistingLinesKeepTheirPlaceAndForeignLinesStay) {
    TempFolder dir;
    WriteRaw(dir / "settings.ini",
             "; hand-made\r\n"
             "[server]\r\n"
             "RTU = 7\r\n"
             "Server_Name=old\r\n"
             "extra=keep me\r\n"
             "\r\n"
             "[Foreign]\r\n"
             "color=5\r\n"
             "[Settings]\r\n"
             "COLOR=1\r\n"
             "; trailing comment\r\n");
    Settings s;
    s.colour = false;
    s.rtu = "9";
    s.server_name = "TMS2";
    ASSERT_TRUE(SaveSettings(dir / "settings.ini", s, nullptr));
    EXPECT_EQ(ReadRaw(dir / "settings.ini"),
              "; hand-made\r\n"
              "[server]\r\n"
              "RTU = 9\r\n"
              "Server_Name=TMS2\r\n"
              "extra=keep me\r\n"
              "connect=0\r\n"
              "get_ts=0\r\n"
              "get_names=0\r\n"
              "channel=0\r\n"
              "\r\n"
              "[Foreign]\r\n"
              "color=5\r\n"
              "[Settings]\r\n"
              "COLOR=0\r\n"
              "; trailing comment\r\n"
              "\r\n"
              "[TS]\r\nshow=1\r\nchange=1\r\nget=0\r\n\r\n"
              "[M]\r\nshow=0\r\n\r\n"
              "[File]\r\ntemp=1\r\ntemp_last=0\r\nfile=\r\nsave_ts=1\r\n");
}

// Smaller layouts: the written file must start with `prefix` and read back as the defaults.
struct LayoutCase {
    const char* name;
    std::string before;
    std::string prefix;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class SaveSettingsLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SaveSettingsLayout, EditsInPlace) {
    TempFolder dir;
    WriteRaw(dir / "settings.ini", GetParam().before);
    ASSERT_TRUE(SaveSettings(dir / "settings.ini", Settings{}, nullptr));
    std::string after = ReadRaw(dir / "settings.ini");
    EXPECT_EQ(after.substr(0, GetParam().prefix.size()), GetParam().prefix) << after;
    EXPECT_EQ(LoadSettings(dir / "settings.ini"), Settings{});
}

const LayoutCase kLayoutCases[] = {
    {"LfFileGetsLfLines", "[TS]\nshow=0\n", "[TS]\nshow=1\nchange=1\nget=0\n\n[Settings]\ncolor=1\n\n[M]\n"},
    {"NoFinalLineBreak", "[Settings]\r\ncolor=0", "[Settings]\r\ncolor=1\r\n\r\n[TS]\r\n"},
    {"OnlyFirstOfDuplicateSections", "[TS]\r\nshow=0\r\n[TS]\r\nshow=0\r\n",
     "[TS]\r\nshow=1\r\nchange=1\r\nget=0\r\n[TS]\r\nshow=0\r\n\r\n[Settings]\r\n"},
    {"CommentedKeyStays", "[Settings]\r\n;color=0\r\n", "[Settings]\r\ncolor=1\r\n;color=0\r\n\r\n[TS]\r\n"},
    {"LoneCrKeptAndKeyReplacedInPlace", "[Server]\r\nchannel=12\rRTU=3\r\n",
     "[Server]\r\nchannel=0\rRTU=1\r\nconnect=0\r\n"},
    {"LoneCrFileGetsCrLines", "[M]\rshow=1\r", "[M]\rshow=0\r\r[Settings]\rcolor=1\r"},
    {"BlanksAfterEqualsKept", "[Settings]\r\ncolor =  0  \r\n", "[Settings]\r\ncolor =  1\r\n\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Layouts, SaveSettingsLayout, ::testing::ValuesIn(kLayoutCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSettings, LineBreakInATextCannotAddKeys) {
    TempFolder dir;
    Settings s;
    s.server_name = "srv\r\n[TS]\r\nshow=0";
    s.channel = "3\nRTU=8";
    ASSERT_TRUE(SaveSettings(dir / "settings.ini", s, nullptr));
    Settings loaded = LoadSettings(dir / "settings.ini");
    EXPECT_EQ(loaded.server_name, "srv");
    EXPECT_EQ(loaded.channel, "3");
    EXPECT_EQ(loaded.rtu, "1");
    EXPECT_TRUE(loaded.ts_show);
}

TEST(SaveSettings, UnchangedFileIsNotRewritten) {
    TempFolder dir;
    ASSERT_TRUE(SaveSettings(dir / "settings.ini", Settings{}, nullptr));
    struct stat before {};
    ASSERT_EQ(::stat((dir / "settings.ini").c_str(), &before), 0);
    ASSERT_TRUE(SaveSettings(dir / "settings.ini", Settings{}, nullptr));
    struct stat after {};
    ASSERT_EQ(::stat((dir / "settings.ini").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(SaveSettings, FailuresReportTheSystemError) {
    TempFolder dir;
    std::string error;
    EXPECT_FALSE(SaveSettings(dir / "missing/settings.ini", Settings{}, &error));
    EXPECT_NE(error.find(SystemErrorText(ENOENT)), std::string::npos) << error;
    EXPECT_NE(error.find(dir / "missing/settings.ini"), std::string::npos) << error;

    // An existing file that cannot be read must not be replaced by one without its lines.
    ASSERT_EQ(::mkdir((dir / "settings.ini").c_str(), 0755), 0);
    error.clear();
    EXPECT_FALSE(SaveSettings(dir / "settings.ini", Settings{}, &error));
    EXPECT_NE(error.find(SystemErrorText(EISDIR)), std::string::npos) << error;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"settings.ini"});
}

}  // namespace
}  // namespace storage
