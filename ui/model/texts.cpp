#include "ui/model/texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace ui {
namespace {

WindowTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    WindowTexts x;
    x.errorCaption = t("Ошибка");
    x.fileNotFound = t("Указанный файл не найден.");
    x.configFilter = t("Конфигурация (*.blk)");
    x.tempFilter = t("Временный файл (*.tmp)");
    x.exitQuestion =
        t("Завершить работу программы?\n\r\n\rВся текущая несохранённая конфигурация будет потеряна.");
    x.exitCaption = t("Завершение работы программы");
    x.saveChangesQuestion = t("Вы уверены, что хотите сохранить изменения?");
    x.saveChangesCaption = t("Сохранение изменений");
    x.listName = t("Наименование");
    x.listValue = t("Знач");
    x.listInverted = t("Инв");
    x.listTwoPosition = t("Двух");
    return x;
}

using Member = std::string WindowTexts::*;
constexpr std::pair<std::string_view, Member> kMembers[] = {
    {"errorCaption", &WindowTexts::errorCaption},
    {"fileNotFound", &WindowTexts::fileNotFound},
    {"configFilter", &WindowTexts::configFilter},
    {"tempFilter", &WindowTexts::tempFilter},
    {"exitQuestion", &WindowTexts::exitQuestion},
    {"exitCaption", &WindowTexts::exitCaption},
    {"saveChangesQuestion", &WindowTexts::saveChangesQuestion},
    {"saveChangesCaption", &WindowTexts::saveChangesCaption},
    {"listName", &WindowTexts::listName},
    {"listValue", &WindowTexts::listValue},
    {"listInverted", &WindowTexts::listInverted},
    {"listTwoPosition", &WindowTexts::listTwoPosition},
};

}  // namespace

const WindowTexts& Texts() {
    static const WindowTexts texts = MakeTexts();
    return texts;
}

interlock::TextList WindowTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace ui
