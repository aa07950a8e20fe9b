#include "ui/workbench/document.h"

#include <QTimer>

#include <memory>

#include "interlock/compiled_logic.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "interlock/report.h"
#include "storage/file_io.h"
#include "storage/texts.h"
#include "ui/model/dialogs.h"
#include "ui/model/texts.h"
#include "ui/workbench/workbench.h"

namespace ui {

namespace {
constexpr int kAutosaveMs = 120000;
}  // namespace

Document::Document(Workbench& workbench) : workbench_(workbench) {
    Temp_Saver = new QTimer(this);
    Temp_Saver->setInterval(kAutosaveMs);
    connect(Temp_Saver, &QTimer::timeout, this, &Document::Temp_SaverTimer);
}

Document::~Document() = default;

void Document::ShowFileError(const std::string& text) {
    workbench_.Boxes().Message({text, Texts().errorCaption, interlock::Icon::Error});
}

// ---- Load ----

void Document::Load_File_ButtonClick() {
    interlock::Workspace& ws = workbench_.Ws();
    if (!storage::HasBlkEnding(ws.ConfigFileName)) ws.ConfigFileName = workbench_.Places().documents + ".blk";
    std::optional<std::string> chosen = workbench_.Boxes().OpenFile(
        ws.ConfigFileName, {{Texts().configFilter, "*.blk"}, {Texts().tempFilter, "*.tmp"}}, "blk");
    if (chosen) LoadChosenFile(*chosen);
}

void Document::LoadChosenFile(const std::string& chosen) {
    interlock::Workspace& ws = workbench_.Ws();
    if (!storage::FileExists(cp1251::ToUtf8(chosen))) {
        workbench_.Boxes().Message(
            {Texts().fileNotFound, storage::Texts().openFileError, interlock::Icon::Error});
        return;
    }
    ws.ConfigFileName = chosen;
    workbench_.Pull();
    // What the read gave, for the step that completes the load.
    struct Read {
        storage::LoadResult result;
        storage::Lines backup;  // the configuration before the load, for the viewer
    };
    auto read = std::make_shared<Read>();
    read->result = storage::ReadConfigFile(ws, chosen, read->backup);
    size_t bytes = 0;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        for (const std::string& line : ws.Blocks[n].OnLogic) bytes += line.size();
        for (const std::string& line : ws.Blocks[n].OffLogic) bytes += line.size();
    }
    if (!read->result.recalculate || bytes < workbench_.StagedLogicBytes()) {
        CompleteLoad(std::move(read->result), std::move(read->backup));
        return;
    }
    // Compiling changes nothing the window shows: the recalculation then only evaluates.
    workbench_.PostStep(StepOwner::Load, [&ws] {
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            const interlock::Block& b = ws.Blocks[n];
            if (!b.OnLogic.empty()) interlock::CompiledFormOf(b.OnLogic, n);
            if (!b.OffLogic.empty()) interlock::CompiledFormOf(b.OffLogic, n);
        }
        return true;
    });
    workbench_.PostStep(StepOwner::Load, [this, read] {
        CompleteLoad(std::move(read->result), std::move(read->backup));
        return true;
    });
}

void Document::CompleteLoad(storage::LoadResult r, storage::Lines backup) {
    storage::FinishConfigLoad(workbench_.Ws(), r);
    if (keepBackup_) keepBackup_(std::move(backup));
    if (r.caption) emit CaptionChanged(*r.caption);
    workbench_.Push();
    if (!r.fileError.empty()) ShowFileError(r.fileError);
}

void Document::ApplyViewerText(const storage::Lines& lines) {
    interlock::Workspace& ws = workbench_.Ws();
    workbench_.Pull();
    storage::Read_Config_Text(ws, lines);
    interlock::RecalculateAll(ws);
    interlock::ShowBlock(ws, ws.CurrentBlock);
    workbench_.Push();
}

// ---- Save ----

void Document::Save_File_ButtonClick() {
    interlock::Workspace& ws = workbench_.Ws();
    Dialogs& boxes = workbench_.Boxes();
    auto commit = [&] {
        workbench_.Pull();
        interlock::CommitEditor(ws, ws.CurrentBlock);
        workbench_.Push();
    };
    commit();
    std::string warning = storage::ErroneousBlocksWarning(ws);
    if (!warning.empty()) boxes.Message({warning, interlock::Texts().attention, interlock::Icon::Warning});
    if (!storage::HasBlkEnding(ws.ConfigFileName))
        ws.ConfigFileName = storage::DefaultConfigFileName(ws, workbench_.Places().documents);
    std::optional<std::string> chosen =
        boxes.SaveFile(ws.ConfigFileName, {{"*.blk", "*.blk"}}, "blk", /*confirmOverwrite=*/false);
    if (chosen) {
        commit();
        storage::WriteResult r = storage::Save_Config_File(ws, *chosen, ws.Opts.Check_Save_TS);
        if (!r) ShowFileError(r.error);
        ws.ConfigFileName = *chosen;
    }
    // A cancelled dialog keeps the name it proposed: it is the one remembered.
    workbench_.Pull();
    workbench_.Push();
}

// ---- Autosave, start-up and exit ----

void Document::SetAutosave(bool on) {
    autosave_ = on;
    if (on && !closed_)
        Temp_Saver->start();
    else
        Temp_Saver->stop();
}

void Document::Temp_SaverTimer() {
    interlock::Workspace& ws = workbench_.Ws();
    workbench_.Pull();
    std::optional<storage::WriteResult> r = storage::Temp_SaverTimer(ws, autosave_, ws.Opts.Check_Save_TS,
                                                                     tempCounter_, workbench_.Places().state);
    if (r && !*r && !closed_) ShowFileError(r->error);
}

void Document::StartupRestore() {
    interlock::Workspace& ws = workbench_.Ws();
    workbench_.Pull();
    interlock::ResetAllBlocks(ws);
    ws.CurrentBlock = 1;
    std::string temp = storage::TempFileName(workbench_.Places().state, tempCounter_);
    if (autosave_ && storage::FileExists(cp1251::ToUtf8(temp))) {
        storage::Lines backup;
        storage::LoadResult r = storage::Load_Config_File(ws, temp, backup);
        if (keepBackup_) keepBackup_(std::move(backup));
        if (r.caption) emit CaptionChanged(*r.caption);
        if (!r.fileError.empty())
            ws.Messages.push_back({r.fileError, Texts().errorCaption, interlock::Icon::Error});
    }
    interlock::ShowBlock(ws, 1);
    workbench_.Push();
}

void Document::Close() {
    if (closed_) return;
    closed_ = true;
    Temp_Saver->stop();
    if (autosave_) Temp_SaverTimer();
}

}  // namespace ui
