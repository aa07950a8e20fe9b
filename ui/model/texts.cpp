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
    x.gridValue = t("Знач.");
    x.stateCaption = t("Состояние:");
    x.onTab = t("Откл -> Вкл");
    x.offTab = t("Вкл -> Откл");
    x.stateTsLabel = t("ТС состояния");
    x.controlTab = t("Управление");
    x.settingsTab = t("Настройки");
    x.recalculateButton = t("Пересчитать логику");
    x.templatesButton = t("Шаблоны");
    x.tsListButton = t("Список ТС");
    x.viewFileButton = t("Просмотреть файл");
    x.loadFileButton = t("Загрузить из файла");
    x.saveFileButton = t("Сохранить в файл");
    x.nullifyButton = t("Обнулить блок");
    x.colourCheck = t("Подсветка текста");
    x.colourHint = t("Подсветка переменных в тексте логики");
    x.showTsCheck = t("Показывать данные ТС");
    x.showTsHint = t("Отображать в окне данные ТС");
    x.changeTsCheck = t("Разрешить изменение ТС");
    x.changeTsHint = t("Разрешить ручное изменение данных ТС");
    x.showMCheck = t("Показывать значения M");
    x.showMHint = t("Отображать в окне значения внутренних переменных");
    x.saveTempCheck = t("Сохранять во врем. файлы");
    x.saveTempHint = t("Периодически cохранять логику во временные файлы");
    x.saveTsCheck = t("Сохранять ТС в файл конф.");
    x.saveTsHint = t("Сохранять данные ТС в файл конфигурации");
    x.rtuCheck = t("Принимать ТС с КП");
    x.rtuHint = t("Принимать данные ТС с Контрольного Пункта");
    x.serverCheck = t("Связь с сервером ТМ");
    x.serverHint = t("Установить связь с сервером телемеханики");
    x.channelLabel = t("Номер канала:");
    x.rtuLabel = t("Номер КП:");
    x.namesServerCheck = t("Принять заголовки ТС");
    x.namesServerHint = t("Принять наименования ТС");
    x.tsServerCheck = t("Принимать данные ТС");
    x.tsServerHint = t("Принимать данные ТС с сервера ОИК");
    x.templatesCaption = t("Шаблоны конфигурации аппаратов");
    x.templateNumberLabel = t("Номер блокировки:");
    x.templateNameLabel = t("Наименование блокировки:");
    x.loadTemplateButton = t("Загрузить шаблон");
    x.closeWindowButton = t("Закрыть окно");
    x.tsListCaption = t("Список телесигналов");
    x.tsListCurrent = t("Список ТС текущей блокировки");
    x.tsListAll = t("Список всех ТС");
    x.viewerCaption = t("Просмотр текста конфигурации");
    x.saveChangesButton = t("Сохранить изменения");
    x.compareChoose = t("Выберите файл конфигурации для сравнения");
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
    {"gridValue", &WindowTexts::gridValue},
    {"stateCaption", &WindowTexts::stateCaption},
    {"onTab", &WindowTexts::onTab},
    {"offTab", &WindowTexts::offTab},
    {"stateTsLabel", &WindowTexts::stateTsLabel},
    {"controlTab", &WindowTexts::controlTab},
    {"settingsTab", &WindowTexts::settingsTab},
    {"recalculateButton", &WindowTexts::recalculateButton},
    {"templatesButton", &WindowTexts::templatesButton},
    {"tsListButton", &WindowTexts::tsListButton},
    {"viewFileButton", &WindowTexts::viewFileButton},
    {"loadFileButton", &WindowTexts::loadFileButton},
    {"saveFileButton", &WindowTexts::saveFileButton},
    {"nullifyButton", &WindowTexts::nullifyButton},
    {"colourCheck", &WindowTexts::colourCheck},
    {"colourHint", &WindowTexts::colourHint},
    {"showTsCheck", &WindowTexts::showTsCheck},
    {"showTsHint", &WindowTexts::showTsHint},
    {"changeTsCheck", &WindowTexts::changeTsCheck},
    {"changeTsHint", &WindowTexts::changeTsHint},
    {"showMCheck", &WindowTexts::showMCheck},
    {"showMHint", &WindowTexts::showMHint},
    {"saveTempCheck", &WindowTexts::saveTempCheck},
    {"saveTempHint", &WindowTexts::saveTempHint},
    {"saveTsCheck", &WindowTexts::saveTsCheck},
    {"saveTsHint", &WindowTexts::saveTsHint},
    {"rtuCheck", &WindowTexts::rtuCheck},
    {"rtuHint", &WindowTexts::rtuHint},
    {"serverCheck", &WindowTexts::serverCheck},
    {"serverHint", &WindowTexts::serverHint},
    {"channelLabel", &WindowTexts::channelLabel},
    {"rtuLabel", &WindowTexts::rtuLabel},
    {"namesServerCheck", &WindowTexts::namesServerCheck},
    {"namesServerHint", &WindowTexts::namesServerHint},
    {"tsServerCheck", &WindowTexts::tsServerCheck},
    {"tsServerHint", &WindowTexts::tsServerHint},
    {"templatesCaption", &WindowTexts::templatesCaption},
    {"templateNumberLabel", &WindowTexts::templateNumberLabel},
    {"templateNameLabel", &WindowTexts::templateNameLabel},
    {"loadTemplateButton", &WindowTexts::loadTemplateButton},
    {"closeWindowButton", &WindowTexts::closeWindowButton},
    {"tsListCaption", &WindowTexts::tsListCaption},
    {"tsListCurrent", &WindowTexts::tsListCurrent},
    {"tsListAll", &WindowTexts::tsListAll},
    {"viewerCaption", &WindowTexts::viewerCaption},
    {"saveChangesButton", &WindowTexts::saveChangesButton},
    {"compareChoose", &WindowTexts::compareChoose},
};

}  // namespace

const WindowTexts& Texts() {
    static const WindowTexts texts = MakeTexts();
    return texts;
}

interlock::TextList WindowTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace ui
