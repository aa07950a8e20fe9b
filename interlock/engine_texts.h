#pragma once

// The fixed texts of the interlock engine, in Windows-1251. They are written in UTF-8 in
// engine_texts.cpp and converted once, on first use.

#include <string>

#include "interlock/text_list.h"

namespace interlock {

struct EngineTexts {
    // Parser messages.
    std::string badVariable;      // Некорректная переменная
    std::string noTargetNumber;   // Отсутствует номер выходной переменной
    std::string noEquals;         // Отсутствует знак равенства
    std::string badTargetPrefix;  // Некорректная выходная переменная "
    std::string noOperation;      // Отсутствует операция
    std::string badOperationPrefix;  // Некорректная операция "
    std::string dataAfterBracket;  // Имеются какие-то данные после закрывающей скобки
    std::string repeatedBracket;  // Повторена открывающая скобка
    std::string emptyVariable;    // Пустая переменная
    std::string badInputPrefix;   // Некорректная входная переменная "
    std::string badPairD256;  // Некорректный двухпозиционный сигнал "D256"
    std::string badPairData;  // Некорректные данные двухпозиционного сигнала ТС №
    std::string unknownInputPrefix;  // Неизвестная входная переменная "
    std::string badOperandPrefix;    // Некорректная переменная "
    std::string noClosingBracket;    // Отсутствует закрывающая скобка
    std::string wrongOutput;  // Некорректный выходной сигнал.\n\rНомер не совпадает...
    std::string repeatedOutput;  // Повторение выходного сигнала
    std::string noOutput;        // Отсутствует выходной сигнал
    std::string inLine;          // " в строке: "
    std::string ts;              // ТС

    // Block messages.
    std::string badRelayNumber;  // Внимание! Некорректный номер выходного реле -
    std::string attention;  // Внимание
    std::string nullifyQuestion;
    std::string nullifyCaption;
    std::string nullifyDone;

    // Report.
    std::string nameLabelDesign;     // Наименование аппарата
    std::string hintApparatus;       // Коммутационный аппарат: "
    std::string hintRelay;           // Выходное реле №
    std::string hintFile;            // Файл: "
    std::string unknown;             // неизвестно
    std::string controlCaption;      // Управление:
    std::string stateOn;             // включен
    std::string stateOff;            // отключен
    std::string switchOff;           // Отключение:
    std::string switchOn;            // Включение:
    std::string allowed;             // разрешено
    std::string forbidden;           // запрещено
    std::string forbiddenStar;       // запрещено*
    std::string forbiddenTwoStars;   // запрещено**
    std::string error;               // ошибка!
    std::string unknownVerdict;      // ???
    std::string notCalculatedEmpty;  // Логика не рассчитана:\n\rПустой блок
    std::string unknownState;        // Неизвестно состояние аппарата
    std::string badStatePair;  // Двухпозиционный сигнал состояния некорректен
    std::string inOnLogic;   // В логике включения: \n\r\n\r
    std::string inOffLogic;  // В логике отключения: \n\r\n\r
    std::string emptyOnLogic;  // Логика не рассчитана:\n\rПустой блок включения
    std::string emptyOffLogic;  // Логика не рассчитана:\n\rПустой блок отключения
    std::string emptyInverted;  // Логика не рассчитана: пустой блок
    std::string onAllowed;  // Включение коммутационного аппарата разрешено
    std::string offAllowed;  // Отключение коммутационного аппарата разрешено
    std::string onForbidden;  // Включение коммутационного аппарата запрещено
    std::string offForbidden;  // Отключение коммутационного аппарата запрещено
    std::string candidatesHeader;  // \n\r\n\rВозможные ТС для изменения: \n\r
    std::string stateUnreliable;   // Недостоверность ТС состояния
    std::string hardwareList;  // Аппаратная недостоверность данных ТС: \n\r
    std::string manualList;    // Ручная недостоверность данных ТС: \n\r
    std::string hardwareForbidden;  // Управление ... запрещено\n\r\n\rАппаратная недостоверность данных ТС
    std::string warningDesign;      // Недостоверность ТС!
    std::string stateValueOn;       // вкл
    std::string stateValueOff;      // откл
};

const EngineTexts& Texts();
// Every engine text by its name.
TextList EngineTextList();

}  // namespace interlock
