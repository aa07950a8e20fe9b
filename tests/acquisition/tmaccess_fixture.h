#pragma once

// Shared helpers of the server link tests: a temporary folder with a points file for the
// replacement library libtmaccess.so (built by the project; its path comes from the build as
// TMACCESS_LIBRARY), and short ways to write point lines.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "interlock/cp1251.h"

namespace acquisition::test {

inline const std::string kLibraryPath = TMACCESS_LIBRARY;

// A text of the system, written readably in UTF-8, as the program holds it (Windows-1251).
inline std::string W(std::string_view utf8) { return cp1251::FromUtf8(utf8); }

// "ts <channel> <rtu> <point> <value> <status> <name>" with the status in hexadecimal.
inline std::string TsLine(int channel, int rtu, int point, int value, unsigned status,
                          const std::string& name = "") {
    char head[96];
    std::snprintf(head, sizeof head, "ts %d %d %d %d 0x%04X", channel, rtu, point, value, status);
    return std::string(head) + (name.empty() ? "" : " " + name) + "\n";
}

// A fresh folder holding the points file, named to the library through TMACCESS_POINTS.
class PointsFolder {
public:
    PointsFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tmaccess_test.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        path_ = dir_ + "/points.txt";
        ::setenv("TMACCESS_POINTS", path_.c_str(), 1);
    }
    ~PointsFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    PointsFolder(const PointsFolder&) = delete;
    PointsFolder& operator=(const PointsFolder&) = delete;

    const std::string& Dir() const { return dir_; }
    const std::string& Path() const { return path_; }

    // Replaces the points file as an editor does: a new file renamed over the old one.
    void Write(const std::string& bytes) const {
        const std::string temp = path_ + ".new";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!out) throw std::runtime_error("cannot write " + temp);
        }
        std::filesystem::rename(temp, path_);
    }
    void Remove() const { std::filesystem::remove(path_); }

private:
    std::string dir_;
    std::string path_;
};

}  // namespace acquisition::test
