#include <gtest/gtest.h>

#include "interlock/cp1251.h"
#include "tests/support/scripted_dialogs.h"
#include "interlock/workspace.h"

namespace {

using Kind = ui::ScriptedDialogs::Kind;
using interlock::Icon;

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

TEST(ScriptedDialogs, OkBoxesNeedNoAnswerAndAreLoggedWithTheirTexts) {
    ui::ScriptedDialogs dialogs;
    const interlock::Message box{W("Указанный файл не найден."), W("Ошибка при открытии файла"), Icon::Error};
    dialogs.Message(box);
    ASSERT_EQ(dialogs.Log().size(), 1u);
    EXPECT_EQ(dialogs.Log()[0].kind, Kind::Message);
    EXPECT_EQ(dialogs.Log()[0].buttons, ui::DialogButtons::Ok);
    EXPECT_EQ(dialogs.Messages(), std::vector<interlock::Message>{box});
}

TEST(ScriptedDialogs, AnswersAreTakenInOrderAndRecorded) {
    ui::ScriptedDialogs dialogs;
    dialogs.AnswerYesNo(false);
    dialogs.AnswerInput(std::string("SERVER"));
    dialogs.AnswerSaveFile(std::nullopt);
    dialogs.AnswerOpenFile(std::string("/data/plant.blk"));

    EXPECT_FALSE(dialogs.AskYesNo("Quit?", "Exit", Icon::Information));
    EXPECT_EQ(dialogs.InputBox("Caption", "Prompt", "old"), std::optional<std::string>("SERVER"));
    const ui::FileFilters blk = {{"*.blk", "*.blk"}};
    EXPECT_EQ(dialogs.SaveFile("/data/cfg_3_5_1.blk", blk, "blk", false), std::nullopt);
    EXPECT_EQ(dialogs.OpenFile("/data/.blk", blk, "blk"), std::optional<std::string>("/data/plant.blk"));
    EXPECT_EQ(dialogs.PendingAnswers(), 0u);

    const auto& log = dialogs.Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, Kind::YesNo);
    EXPECT_EQ(log[0].buttons, ui::DialogButtons::YesNo);
    EXPECT_EQ(log[0].icon, Icon::Information);
    EXPECT_EQ(log[0].text, "Quit?");
    EXPECT_EQ(log[1].defaultValue, "old");
    EXPECT_EQ(log[1].text, "Prompt");
    EXPECT_EQ(log[2].kind, Kind::SaveFile);
    EXPECT_EQ(log[2].file, (ui::FileDialogRequest{"/data/cfg_3_5_1.blk", blk, "blk", false}));
    EXPECT_EQ(log[2].answer, std::nullopt);
    EXPECT_EQ(log[3].file.initialName, "/data/.blk");
}

TEST(ScriptedDialogs, UnexpectedBoxesFailLoudly) {
    {
        ui::ScriptedDialogs dialogs;
        EXPECT_THROW(dialogs.AskYesNo("Sure?", "Caption", Icon::Information), ui::UnexpectedDialog);
        ASSERT_EQ(dialogs.Log().size(), 1u);  // still recorded, so the failure can be explained
    }
    {
        ui::ScriptedDialogs dialogs;
        dialogs.AnswerYesNo(true);
        EXPECT_THROW(dialogs.InputBox("Caption", "Prompt", ""), ui::UnexpectedDialog);
        EXPECT_EQ(dialogs.PendingAnswers(), 1u);  // the Yes/No answer is left for its own box
    }
}

TEST(ScriptedDialogs, QueuedCoreMessagesAreShownOldestFirst) {
    interlock::Workspace ws;
    ws.Messages.push_back({"first", "A", Icon::Warning});
    ws.Messages.push_back({"second", "B", Icon::Error});
    ui::ScriptedDialogs dialogs;
    ui::ShowQueuedMessages(dialogs, ws);
    EXPECT_TRUE(ws.Messages.empty());
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_EQ(dialogs.Messages()[0].text, "first");
    EXPECT_EQ(dialogs.Messages()[1].text, "second");
}

}  // namespace
