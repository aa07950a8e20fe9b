#include "storage/file_places.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "storage/file_io.h"

namespace storage {
namespace {

const char* kFolderName = "interlocks/";
const char* kOwnFiles[] = {"settings.ini", "templates.txt"};

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback.
std::string Base(const std::string& variable, const std::string& fallback) {
    return WithSlash(!variable.empty() && variable[0] == '/' ? variable : fallback);
}

std::string SystemText(int code) { return std::system_category().message(code); }

// mkdir -p with 0700 for the folders it creates (the XDG rule for base folders).
int MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

PlaceEnvironment PlaceEnvironment::Current() {
    PlaceEnvironment env;
    env.home = Env("HOME");
    if (env.home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) env.home = pw->pw_dir;
    }
    env.xdgConfig = Env("XDG_CONFIG_HOME");
    env.xdgState = Env("XDG_STATE_HOME");
    env.writable = [](const std::string& folder) {
        return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
    };
    env.isFile = [](const std::string& file) { return FileExists(file); };
    return env;
}

PlaceChoice ChooseFilePlaces(const std::string& exeDir, const PlaceEnvironment& env) {
    const std::string installed = exeDir + kInstalledDefaults;
    const bool isInstallation = !exeDir.empty() && env.isFile(installed + "templates.txt");
    if (!isInstallation && env.writable(exeDir)) return {FilePlaces(exeDir), true, {}};
    if (env.home.empty() && (env.xdgConfig.empty() || env.xdgState.empty()))
        return {FilePlaces(exeDir), true, {}};
    const std::string home = WithSlash(env.home);
    return {FilePlaces(Base(env.xdgConfig, home + ".config") + kFolderName,
                       Base(env.xdgState, home + ".local/state") + kFolderName, home.empty() ? exeDir : home),
            false, isInstallation ? installed : exeDir};
}

std::vector<std::string> SeedUserFiles(const PlaceChoice& choice) {
    std::vector<std::string> problems;
    if (choice.beside) return problems;
    const FilePlaces& p = choice.places;
    for (const std::string& folder : {p.config, p.state + "Temp/"}) {
        if (int code = MakeFolders(folder); code != 0)
            problems.push_back("cannot create " + folder + ": " + SystemText(code));
    }
    for (const char* name : kOwnFiles) {
        const std::string target = p.config + name;
        struct stat st {};
        if (::lstat(target.c_str(), &st) == 0 || errno != ENOENT) continue;
        ReadResult source = ReadWholeFile(choice.defaults + name);
        if (!source) {
            problems.push_back("cannot read " + choice.defaults + name + ": " + SystemText(source.errorCode));
            continue;
        }
        if (WriteResult w = WriteFileAtomically(target, source.bytes); !w)
            problems.push_back("cannot write " + target + ": " + SystemText(w.errorCode));
    }
    return problems;
}

}  // namespace storage
