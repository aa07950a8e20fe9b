#pragma once

// Runs a built tool (interlocks-check unless named) the way a shell would, for the tests of
// tools/: its exit status, standard output and standard error, with files in a scratch folder
// of this test process alone (the test cases run as parallel processes).

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "interlock/cp1251.h"

namespace check_test {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline fs::path Scratch() {
    fs::path dir = fs::path(::testing::TempDir()) / ("interlocks_tools_" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

inline std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Arguments are pasted into a shell command: pass plain words and quoted paths.
inline Outcome Run(const std::string& binary, const std::string& args) {
    const fs::path out = Scratch() / "out.txt";
    const fs::path err = Scratch() / "err.txt";
    const std::string command =
        "'" + binary + "' " + args + " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
}

inline Outcome Check(const std::string& args) { return Run(CHECK_BINARY, args); }

// An example configuration, quoted for the command line.
inline std::string Example(const char* name = "substation.blk") {
    return std::string("'") + EXAMPLES_DIR + "/" + name + "'";
}

// A file in the scratch folder with these bytes; its path.
inline fs::path WriteFile(const std::string& name, const std::string& bytes) {
    const fs::path path = Scratch() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A file of the tool: UTF-8 text written as Windows-1251 with CR LF breaks; its quoted path.
inline std::string File(const std::string& name, const std::string& utf8) {
    std::string text;
    for (char c : cp1251::FromUtf8(utf8)) {
        if (c == '\n') text += '\r';
        text += c;
    }
    return "'" + WriteFile(name, text).string() + "'";
}

}  // namespace check_test
