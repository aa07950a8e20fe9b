#pragma once

// The fixed texts of switching sequences, in Windows-1251, converted once on first use. Words
// the layers below already hold (the engine's "вкл", "разрешено", "ТС"; the analysis' "не
// определено"; the topology's "строка", "Операция") are taken from there, never written again.

#include <string>

#include "interlock/text_list.h"

namespace sequences {

struct SequenceTexts {
    // Operations and positions.
    std::string opOn;       // ВКЛ
    std::string opOff;      // ОТКЛ
    std::string opOnLong;   // ВКЛЮЧИТЬ
    std::string opOffLong;  // ОТКЛЮЧИТЬ

    // Verdicts of a step.
    std::string already;  // уже в этом положении
    std::string notOperated;  // не проверено: у блока нет пригодного сигнала состояния
    std::string budget;  // не определено: ответ превысил бюджет узлов
    std::string timeLimit;  // не определено: поиск превысил отведённое время

    // Program file.
    std::string progOperation;  // ожидается операция: ВКЛ, ОТКЛ, ON или OFF
    std::string progApparatus;  // ожидается аппарат: имя или номер блока
    std::string progUnknown;    // неизвестный аппарат:
    std::string progAmbiguous;  // имя подходит нескольким блокам:

    // Reports.
    std::string modeHeld;         // Режим ТС: прочие ТС удерживаются
    std::string modeFree;         // Режим ТС: прочие ТС свободны
    std::string apparatusCount;   // Аппаратов в состоянии:
    std::string reachableStates;  // Достижимых состояний аппаратов:
    std::string condition;        // Условие
    std::string reachable;        // достижимо
    std::string unreachable;      // недостижимо
    std::string alreadyHolds;     // выполняется в исходном состоянии
    std::string stepsNeeded;      // шагов:
    std::string plan;             // Программа переключений
    std::string noProgram;        // программы переключений не существует
    std::string neverAllowed;  // Операции, не разрешённые ни в одном достижимом состоянии:
    std::string nearestState;  // в ближайшем достижимом состоянии
    std::string changes;       // нужно изменить:
    std::string noChange;  // никакое изменение ТС не разрешает операцию
    std::string freeValues;        // при
    std::string endValues;         // в конце при
    std::string program;           // Проверка программы переключений
    std::string step;              // Шаг
    std::string stateAfter;        // состояние:
    std::string summary;           // Шагов:
    std::string summaryAllowed;    // разрешено:
    std::string summaryForbidden;  // запрещено:
    std::string summaryOther;      // прочих:
    std::string summaryErrors;     // ошибок в строках:
    std::string invariant;         // Инвариант
    std::string proven;            // доказан
    std::string refuted;           // опровергнут
    std::string violation;         // нарушение через шагов:
    std::string startState;        // исходное состояние:
    std::string topologyFile;      // Топология:
    std::string hazards;           // Опасные состояния по топологии:
    std::string earthingOnLive;  // заземляющий нож включён на узел под напряжением:
    std::string liveEarthed;  // узел под напряжением соединён с заземлённым
    std::string underLoad;  // разъединитель переключается под нагрузкой:
    std::string hazardReached;  // опасное состояние достижимо

    // Options of interlocks-check.
    std::string badHoldTs;  // --hold-ts: ожидается N=V,... с N от 1 до 256 и целым V

    // The page "Переключения" of the analysis window.
    std::string pageName;         // Переключения
    std::string freeTs;           // Прочие ТС свободны
    std::string loadProgram;      // Загрузить программу...
    std::string checkProgram;     // Проверить
    std::string nextStep;         // Следующий шаг
    std::string targetLabel;      // Цель:
    std::string makePlan;         // Спланировать
    std::string takePlan;         // Взять как программу
    std::string programFilter;    // Программы переключений
    std::string colLine;          // Строка
    std::string colState;         // Состояние после
    std::string programDone;      // Программа пройдена до конца
    std::string badTarget;        // Цель не прочитана:
    std::string fileNotRead;      // Файл не прочитан:
    std::string printForm;        // Печать бланка...
    std::string formTitle;        // Бланк переключений
    std::string formProgram;      // Программа:
    std::string signPerformed;    // Выполнил
    std::string signSupervised;   // Контролировал
    std::string signHint;         // подпись, фамилия, инициалы, дата
    std::string hazardsButton;    // Опасные состояния
    std::string topologyIgnored;  // в файле ошибки, топология не учитывается
    std::string noTopology;  // Нет файла топологии рядом с конфигурацией (или в нём ошибки)
};

const SequenceTexts& Texts();
interlock::TextList SequenceTextList();

}  // namespace sequences
