// config-writer: reads a configuration file and prints it as the program writes it (with the
// TS values), for the golden outputs. Messages raised while reading go to stderr.
//
//   config-writer FILE

#include <cstdio>
#include <iostream>

#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "storage/file_io.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: config-writer FILE\n";
        return 2;
    }
    storage::ReadResult file = storage::ReadWholeFile(argv[1]);
    if (!file) {
        std::cerr << file.error << "\n";
        return 2;
    }
    interlock::Workspace ws;
    const bool read = storage::Read_Config_Text(ws, storage::SplitLines(file.bytes));
    for (const interlock::Message& m : ws.Messages) std::cerr << m.caption << ": " << m.text << "\n";
    storage::Lines lines;
    storage::Write_Config_Text(ws, lines, true);
    std::cout << storage::JoinLines(lines);
    return read ? 0 : 1;
}
