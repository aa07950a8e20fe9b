#include "storage/config_files.h"

#include "interlock/cp1251.h"
#include "interlock/int_rule.h"
#include "storage/texts.h"

namespace storage {

using interlock::Workspace;

std::string DefaultConfigFileName(const Workspace& ws, const std::string& exeDir) {
    return exeDir + "cfg_" + ws.Fields.Server_channel_Number + "_" + ws.Fields.Server_RTU_Number + "_1.blk";
}

std::string TempFileName(const std::string& exeDir, int counter) {
    return exeDir + "Temp/" + std::to_string(counter) + ".tmp";
}

bool HasBlkEnding(const std::string& name) {
    return name.size() >= 4 && name.compare(name.size() - 3, 3, "blk") == 0;
}

void Parse_Config_File_Name(Workspace& ws, const std::string& fileName) {
    size_t slash = fileName.find_last_of("\\/");
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    if (name.rfind("cfg_", 0) != 0 || name.size() < 10) return;
    name.erase(0, 4);
    size_t sep = name.find('_');
    std::string channel = name.substr(0, sep);
    if (!interlock::IsIntInRange(channel, 0, 9)) return;
    ws.Fields.Server_channel_Number = channel;
    if (sep == std::string::npos) return;
    std::string rest = name.substr(sep + 1);
    std::string rtu = rest.substr(0, rest.find('_'));
    if (interlock::IsIntInRange(rtu, 0, 9)) ws.Fields.Server_RTU_Number = rtu;
}

std::string ErroneousBlocksWarning(const Workspace& ws) {
    std::string list;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        if (interlock::IsErroneous(ws, ws.Blocks[n])) list += "#" + std::to_string(n) + "  ";
    }
    if (list.empty()) return list;
    return Texts().erroneousBlocksHead + list + Texts().erroneousBlocksTail;
}

WriteResult Save_Config_File(Workspace& ws, const std::string& path, bool withValues) {
    Lines lines;
    Write_Config_Text(ws, lines, withValues);
    return WriteFileAtomically(cp1251::ToUtf8(path), JoinLines(lines));
}

std::string MainCaption() { return Texts().mainCaption; }
std::string MainCaption(const std::string& loadedFile) { return MainCaption() + " - " + loadedFile; }

LoadResult ReadConfigFile(Workspace& ws, const std::string& path, Lines& backup) {
    LoadResult result;
    interlock::CommitEditor(ws, ws.CurrentBlock);
    Write_Config_Text(ws, backup, true);
    ReadResult file = ReadWholeFile(cp1251::ToUtf8(path));
    if (!file) {
        result.fileError = file.error;
        return result;
    }
    if (Read_Config_Text(ws, SplitLines(file.bytes))) {
        Parse_Config_File_Name(ws, path);
        result.caption = MainCaption(path);
        result.loaded = true;
        result.recalculate = true;
        return result;
    }
    // The reader stopped at an invalid block number (its message is queued): put back what was.
    result.recalculate = Read_Config_Text(ws, backup);
    return result;
}

void FinishConfigLoad(Workspace& ws, const LoadResult& read) {
    if (!read.recalculate) return;
    interlock::RecalculateAll(ws);
    interlock::ShowBlock(ws, ws.CurrentBlock);
}

LoadResult Load_Config_File(Workspace& ws, const std::string& path, Lines& backup) {
    LoadResult result = ReadConfigFile(ws, path, backup);
    FinishConfigLoad(ws, result);
    return result;
}

std::optional<WriteResult> Temp_SaverTimer(Workspace& ws, bool saveTemp, bool withValues, int8_t& tempCounter,
                                           const std::string& exeDir) {
    bool allEmpty = true;
    for (int n = 1; n <= interlock::kBlockCount && allEmpty; ++n) allEmpty = ws.Blocks[n].IsEmpty();
    if (allEmpty || !saveTemp) return std::nullopt;
    tempCounter = static_cast<int8_t>(tempCounter + 1);
    if (tempCounter > kTempFileCount) tempCounter = 1;
    return Save_Config_File(ws, TempFileName(exeDir, tempCounter), withValues);
}

}  // namespace storage
