#include "ui/mimic/mimic_window_texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace mimic {
namespace {

MimicTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    MimicTexts x;
    x.buttonHint = t("Мнемосхема подстанции: живая схема и тренажёр переключений (F8)");
    x.noTopology = t("Нет файла топологии рядом с конфигурацией: ");
    x.topologyErrors = t("Файл топологии содержит ошибки, схема не строится: ");
    x.menuOn = t("Включить");
    x.menuOff = t("Отключить");
    x.menuForce = t(" принудительно...");
    x.menuShow = t("Показать блок");
    x.menuAnalysis = t("Анализ блока");
    x.forcedMark = t("принудительно");
    x.alreadyThere = t("аппарат уже в этом положении");
    x.noBlock = t("Аппаратом управляет не этот пульт");
    x.positionTravel = t("в движении");
    x.positionUnknown = t("положение неизвестно");
    x.unreliable = t("недостоверность ТС состояния");
    x.oneChange = t("\n\rДостаточно одного изменения ТС: ");
    x.changeSets = t("\n\rНаименьшие наборы изменений ТС:");
    x.noChangeSet = t("\n\rНикакое изменение ТС не разрешает операцию");
    x.undetermined = t("\n\rНаименьшие наборы изменений: не определено");
    x.refusedCaption = t("Операция запрещена");
    x.refused = t("Операция запрещена блокировкой: ");
    x.forceQuestion = t("\n\r\n\rВыполнить операцию принудительно, в обход блокировки?");
    x.forceCaption = t("Принудительная операция");
    x.cannotOperate = t("Операция невозможна: ");
    x.inTravel = t("аппарат ещё в движении");
    x.noStateTs = t("у аппарата нет сигнала состояния");
    x.colTime = t("Время");
    x.colForced = t("Отметка");
    x.saveButton = t("Сохранить как программу...");
    x.clearButton = t("Очистить журнал");
    x.travelLabel = t("Время хода, мс:");
    x.programTitle = t("Журнал мнемосхемы");
    x.programDone = t("Программа выполнена");
    x.programErrors = t("Программа содержит ошибки, шаги не загружены:");
    x.programEmpty = t("В программе нет шагов");
    x.stepPrefix = t("Шаг ");
    x.journalEmpty = t("Журнал пуст: сохранять нечего");
    x.saveFailed = t("Не удалось сохранить программу: ");
    x.readFailed = t("Не удалось прочитать программу: ");
    return x;
}

#define TEXT(member) \
    { #member, &MimicTexts::member }
constexpr std::pair<std::string_view, std::string MimicTexts::*> kMembers[] = {
    TEXT(buttonHint),      TEXT(noTopology),   TEXT(topologyErrors), TEXT(menuOn),
    TEXT(menuOff),         TEXT(menuForce),    TEXT(menuShow),       TEXT(menuAnalysis),
    TEXT(forcedMark),      TEXT(alreadyThere), TEXT(noBlock),        TEXT(positionTravel),
    TEXT(positionUnknown), TEXT(unreliable),   TEXT(oneChange),      TEXT(changeSets),
    TEXT(noChangeSet),     TEXT(undetermined), TEXT(refusedCaption), TEXT(refused),
    TEXT(forceQuestion),   TEXT(forceCaption), TEXT(cannotOperate),  TEXT(inTravel),
    TEXT(noStateTs),       TEXT(colTime),      TEXT(colForced),      TEXT(saveButton),
    TEXT(clearButton),     TEXT(travelLabel),  TEXT(programTitle),   TEXT(programDone),
    TEXT(programErrors),   TEXT(programEmpty), TEXT(stepPrefix),     TEXT(journalEmpty),
    TEXT(saveFailed),      TEXT(readFailed),
};
#undef TEXT

}  // namespace

const MimicTexts& WindowTexts() {
    static const MimicTexts texts = MakeTexts();
    return texts;
}

interlock::TextList MimicTextList() { return interlock::ListTexts(WindowTexts(), kMembers); }

}  // namespace mimic
