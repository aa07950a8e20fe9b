#pragma once

// The fixed texts of the topology and its proofs, in Windows-1251, converted once on first use.
// Words the layers below already hold (the engine's "ТС", "включен", "отключен"; the analysis'
// verdicts and severities) are taken from there, never written again.

#include <string>

#include "interlock/text_list.h"

namespace topology {

struct TopologyTexts {
    // Reading the file.
    std::string keyword;        // ожидается NODE, SOURCE, LOAD, INDICATOR, BREAKER, ...
    std::string name;           // ожидается имя
    std::string node;           // неизвестный узел
    std::string duplicateNode;  // узел уже описан
    std::string position;       // ожидается BLOCK n, CLOSED, OPEN или TS Sn
    std::string block;          // номер блока должен быть от 1 до 32
    std::string ts;             // ожидается ТС: Sn или ~Sn, n от 1 до 256
    std::string trailing;       // лишние слова в конце строки
    std::string at;             // ожидается AT x y
    std::string twoBound;       // блок уже привязан к аппарату в строке
    std::string noState;  // у блока нет сигнала состояния: положение аппарата неизвестно
    std::string unconnected;  // к узлу ничего не подключено
    std::string unbound;  // у блока есть логика, но нет аппарата в топологии
    std::string sameNodes;       // аппарат соединяет узел сам с собой
    std::string indicatorTwice;  // ТС индикатора напряжения уже используется
    std::string noLabel;  // у аппарата нет метки: дайте её или имя блоку
    // Rules in words.
    std::string rule1;
    std::string rule2;
    std::string rule3;
    // Verdicts.
    std::string complies;      // соответствует
    std::string violates;      // нарушает правило
    std::string everyState;    // во всех состояниях
    std::string stricter;      // Строже правил
    std::string noRules;       // правил нет
    // Positions and paths.
    std::string earth;         // земля
    std::string on;            // включение
    std::string off;           // отключение
    std::string lineWord;      // строка
    std::string positionWord;  // позиция
    // Reports.
    std::string heading;      // Топология
    std::string example;      // контрпример
    std::string pathWord;     // путь
    std::string witness;      // пример
    std::string rulesWord;    // правила
    std::string blockWord;    // блок
    std::string summary;      // Итого
    std::string violating;    // нарушают правила
    // The page of the analysis window.
    std::string colApparatus;  // Аппарат
    std::string colBlock;      // Блок
    std::string colOperation;  // Операция
    std::string colVerdict;    // Вердикт
    std::string colDetails;    // Контрпример и путь
    std::string noFile;        // Нет файла топологии:
    std::string pageEmpty;  // Ни один аппарат топологии не привязан к блоку
    std::string ruleWord;   // Правило
};

const TopologyTexts& Texts();
// The word for a message's severity: the analysis' "ошибка", "предупреждение", "сведения".
enum class Severity;
const std::string& SeverityText(Severity s);
interlock::TextList TopologyTextList();

}  // namespace topology
