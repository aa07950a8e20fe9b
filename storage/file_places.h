#pragma once

// Where the program keeps its own files: "settings.ini", "templates.txt" and the folder "Temp".
//
// They lie beside the executable whenever that folder is writable (the build tree, a portable
// copy). An installed program never writes into its installation: it then keeps them in the
// user's folders, $XDG_CONFIG_HOME/interlocks/ (settings.ini, templates.txt) and
// $XDG_STATE_HOME/interlocks/Temp/, seeded on first start from the installed defaults.
// Paths here are file-system names (UTF-8), every folder ending in "/".

#include <functional>
#include <string>
#include <vector>

namespace storage {

struct FilePlaces {
    std::string config;     // folder of "settings.ini" and "templates.txt"
    std::string state;      // folder holding "Temp/"
    std::string documents;  // folder of the default configuration file name and the open dialog

    // Everything in one folder, as beside the executable.
    FilePlaces(std::string folder) : config(folder), state(folder), documents(std::move(folder)) {}
    FilePlaces(std::string configFolder, std::string stateFolder, std::string documentsFolder)
        : config(std::move(configFolder)),
          state(std::move(stateFolder)),
          documents(std::move(documentsFolder)) {}
    bool operator==(const FilePlaces&) const = default;
};

// The installed defaults relative to the executable's folder: the package puts the program in
// <prefix>/libexec/interlocks/ and its default files in <prefix>/share/interlocks/.
inline constexpr const char* kInstalledDefaults = "../../share/interlocks/";

// What the choice looks at, so that tests can stand in for the machine.
struct PlaceEnvironment {
    std::string home;       // $HOME (or the password database's entry)
    std::string xdgConfig;  // $XDG_CONFIG_HOME, used only when absolute
    std::string xdgState;   // $XDG_STATE_HOME, used only when absolute
    std::function<bool(const std::string& folder)> writable;
    std::function<bool(const std::string& file)> isFile;

    // The running process's environment and file system.
    static PlaceEnvironment Current();
};

struct PlaceChoice {
    FilePlaces places;
    bool beside = true;    // the files lie beside the executable
    std::string defaults;  // user's folders: where the files to seed them come from
};

// Beside the executable when its folder is writable and is not an installation (an
// installation has its defaults in kInstalledDefaults: never written, even by root); the
// user's folders otherwise. Without a home folder the files stay beside the executable.
PlaceChoice ChooseFilePlaces(const std::string& exeDir, const PlaceEnvironment& env);

// Creates the user's folders that are missing and copies "settings.ini" and "templates.txt"
// from the defaults where the user's folder has no entry of that name, so what the user has
// there (a changed file, even a folder of that name) is never replaced. Nothing to do beside
// the executable. Returns a line per failure (UTF-8), for the terminal; the program runs anyway.
std::vector<std::string> SeedUserFiles(const PlaceChoice& choice);

}  // namespace storage
