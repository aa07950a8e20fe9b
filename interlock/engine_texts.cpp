#include "interlock/engine_texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace interlock {
namespace {

// "\n\r" in these texts is the system's own line break: LF then CR.
EngineTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    EngineTexts x;
    x.badVariable = t("Некорректная переменная");
    x.noTargetNumber = t("Отсутствует номер выходной переменной");
    x.noEquals = t("Отсутствует знак равенства");
    x.badTargetPrefix = t("Некорректная выходная переменная \"");
    x.noOperation = t("Отсутствует операция");
    x.badOperationPrefix = t("Некорректная операция \"");
    x.dataAfterBracket = t("Имеются какие-то данные после закрывающей скобки");
    x.repeatedBracket = t("Повторена открывающая скобка");
    x.emptyVariable = t("Пустая переменная");
    x.badInputPrefix = t("Некорректная входная переменная \"");
    x.badPairD256 = t("Некорректный двухпозиционный сигнал \"D256\"");
    x.badPairData = t("Некорректные данные двухпозиционного сигнала ТС №");
    x.unknownInputPrefix = t("Неизвестная входная переменная \"");
    x.badOperandPrefix = t("Некорректная переменная \"");
    x.noClosingBracket = t("Отсутствует закрывающая скобка");
    x.wrongOutput = t("Некорректный выходной сигнал.\n\rНомер не совпадает с номером блока");
    x.repeatedOutput = t("Повторение выходного сигнала");
    x.noOutput = t("Отсутствует выходной сигнал");
    x.inLine = t(" в строке: ");
    x.ts = t("ТС");

    x.badRelayNumber = t("Внимание! Некорректный номер выходного реле - ");
    x.attention = t("Внимание");
    x.nullifyQuestion =
        t("Вы уверены, что хотите обнулить блок? Вся текущая несохранённая конфигурация будет потеряна.");
    x.nullifyCaption = t("Обнуление блока");
    x.nullifyDone = t("Логика конфигурации блока обнулена. Данные ТС оставлены без изменения");

    x.nameLabelDesign = t("Наименование аппарата");
    x.hintApparatus = t("Коммутационный аппарат: \"");
    x.hintRelay = t("Выходное реле №");
    x.hintFile = t("Файл: \"");
    x.unknown = t("неизвестно");
    x.controlCaption = t("Управление:");
    x.stateOn = t("включен");
    x.stateOff = t("отключен");
    x.switchOff = t("Отключение:");
    x.switchOn = t("Включение:");
    x.allowed = t("разрешено");
    x.forbidden = t("запрещено");
    x.forbiddenStar = t("запрещено*");
    x.forbiddenTwoStars = t("запрещено**");
    x.error = t("ошибка!");
    x.unknownVerdict = t("???");
    x.notCalculatedEmpty = t("Логика не рассчитана:\n\rПустой блок");
    x.unknownState = t("Неизвестно состояние аппарата");
    x.badStatePair = t("Двухпозиционный сигнал состояния некорректен");
    x.inOnLogic = t("В логике включения: \n\r\n\r");
    x.inOffLogic = t("В логике отключения: \n\r\n\r");
    x.emptyOnLogic = t("Логика не рассчитана:\n\rПустой блок включения");
    x.emptyOffLogic = t("Логика не рассчитана:\n\rПустой блок отключения");
    x.emptyInverted = t("Логика не рассчитана: пустой блок");
    x.onAllowed = t("Включение коммутационного аппарата разрешено");
    x.offAllowed = t("Отключение коммутационного аппарата разрешено");
    x.onForbidden = t("Включение коммутационного аппарата запрещено");
    x.offForbidden = t("Отключение коммутационного аппарата запрещено");
    x.candidatesHeader = t("\n\r\n\rВозможные ТС для изменения: \n\r");
    x.stateUnreliable = t("Недостоверность ТС состояния");
    x.hardwareList = t("Аппаратная недостоверность данных ТС: \n\r");
    x.manualList = t("Ручная недостоверность данных ТС: \n\r");
    x.hardwareForbidden =
        t("Управление коммутационным аппаратом запрещено\n\r\n\rАппаратная недостоверность данных ТС");
    x.warningDesign = t("Недостоверность ТС!");
    x.stateValueOn = t("вкл");
    x.stateValueOff = t("откл");
    return x;
}

using Member = std::string EngineTexts::*;
constexpr std::pair<std::string_view, Member> kMembers[] = {
    {"badVariable", &EngineTexts::badVariable},
    {"noTargetNumber", &EngineTexts::noTargetNumber},
    {"noEquals", &EngineTexts::noEquals},
    {"badTargetPrefix", &EngineTexts::badTargetPrefix},
    {"noOperation", &EngineTexts::noOperation},
    {"badOperationPrefix", &EngineTexts::badOperationPrefix},
    {"dataAfterBracket", &EngineTexts::dataAfterBracket},
    {"repeatedBracket", &EngineTexts::repeatedBracket},
    {"emptyVariable", &EngineTexts::emptyVariable},
    {"badInputPrefix", &EngineTexts::badInputPrefix},
    {"badPairD256", &EngineTexts::badPairD256},
    {"badPairData", &EngineTexts::badPairData},
    {"unknownInputPrefix", &EngineTexts::unknownInputPrefix},
    {"badOperandPrefix", &EngineTexts::badOperandPrefix},
    {"noClosingBracket", &EngineTexts::noClosingBracket},
    {"wrongOutput", &EngineTexts::wrongOutput},
    {"repeatedOutput", &EngineTexts::repeatedOutput},
    {"noOutput", &EngineTexts::noOutput},
    {"inLine", &EngineTexts::inLine},
    {"ts", &EngineTexts::ts},
    {"badRelayNumber", &EngineTexts::badRelayNumber},
    {"attention", &EngineTexts::attention},
    {"nullifyQuestion", &EngineTexts::nullifyQuestion},
    {"nullifyCaption", &EngineTexts::nullifyCaption},
    {"nullifyDone", &EngineTexts::nullifyDone},
    {"nameLabelDesign", &EngineTexts::nameLabelDesign},
    {"hintApparatus", &EngineTexts::hintApparatus},
    {"hintRelay", &EngineTexts::hintRelay},
    {"hintFile", &EngineTexts::hintFile},
    {"unknown", &EngineTexts::unknown},
    {"controlCaption", &EngineTexts::controlCaption},
    {"stateOn", &EngineTexts::stateOn},
    {"stateOff", &EngineTexts::stateOff},
    {"switchOff", &EngineTexts::switchOff},
    {"switchOn", &EngineTexts::switchOn},
    {"allowed", &EngineTexts::allowed},
    {"forbidden", &EngineTexts::forbidden},
    {"forbiddenStar", &EngineTexts::forbiddenStar},
    {"forbiddenTwoStars", &EngineTexts::forbiddenTwoStars},
    {"error", &EngineTexts::error},
    {"unknownVerdict", &EngineTexts::unknownVerdict},
    {"notCalculatedEmpty", &EngineTexts::notCalculatedEmpty},
    {"unknownState", &EngineTexts::unknownState},
    {"badStatePair", &EngineTexts::badStatePair},
    {"inOnLogic", &EngineTexts::inOnLogic},
    {"inOffLogic", &EngineTexts::inOffLogic},
    {"emptyOnLogic", &EngineTexts::emptyOnLogic},
    {"emptyOffLogic", &EngineTexts::emptyOffLogic},
    {"emptyInverted", &EngineTexts::emptyInverted},
    {"onAllowed", &EngineTexts::onAllowed},
    {"offAllowed", &EngineTexts::offAllowed},
    {"onForbidden", &EngineTexts::onForbidden},
    {"offForbidden", &EngineTexts::offForbidden},
    {"candidatesHeader", &EngineTexts::candidatesHeader},
    {"stateUnreliable", &EngineTexts::stateUnreliable},
    {"hardwareList", &EngineTexts::hardwareList},
    {"manualList", &EngineTexts::manualList},
    {"hardwareForbidden", &EngineTexts::hardwareForbidden},
    {"warningDesign", &EngineTexts::warningDesign},
    {"stateValueOn", &EngineTexts::stateValueOn},
    {"stateValueOff", &EngineTexts::stateValueOff},
};

}  // namespace

const EngineTexts& Texts() {
    static const EngineTexts texts = MakeTexts();
    return texts;
}

TextList EngineTextList() { return ListTexts(Texts(), kMembers); }

}  // namespace interlock
