#pragma once

// The fixed texts of the analysis, in Windows-1251, converted once on first use.

#include <string>

#include "interlock/text_list.h"

namespace analysis {

struct AnalysisTexts {
    std::string neverAllowed;  // Операция не разрешается ни в одном состоянии ТС
    std::string alwaysAllowed;  // Операция разрешена в любом состоянии ТС: блокировка ничего не запрещает
    std::string constantZero;   // Строка всегда даёт 0
    std::string constantOne;    // Строка всегда даёт 1
    std::string mNeverRead;     // Значение M не читается: M
    std::string pairSecond;  // Второй ТС двухпозиционной пары читается отдельно:
    std::string dNotPair;  // Операнд D на ТС, не отмеченном двухпозиционным:
    std::string sOnPair;      // Операнд S на двухпозиционном ТС:
    std::string sharedState;  // Тот же сигнал состояния у блока
    std::string stateNotRead;  // Логики блока не читают его сигнал состояния
    std::string noTs;  // Результат логики не зависит ни от одного ТС
    std::string undetermined;  // не определено
    std::string budget;  // не определено: модель логики превысила бюджет узлов
    std::string timeBudget;  // не определено: на модель логики не хватило времени

    // Requirements.
    std::string reqSide;        // ожидается ON или OFF
    std::string reqBlock;       // ожидается номер блока от 1 до 32
    std::string reqKind;        // ожидается REQUIRES, FORBIDDEN WHEN или POSSIBLE
    std::string reqWhen;        // ожидается WHEN после FORBIDDEN
    std::string reqOperand;     // ожидается операнд S/D или AND(...)/OR(...)
    std::string reqTs;          // номер ТС должен быть от 1 до 256
    std::string reqOpen;        // ожидается "("
    std::string reqNext;        // ожидается "," или ")"
    std::string reqTrailing;    // лишние символы в конце требования
    std::string reqEmptyLogic;  // логика пуста
    std::string reqLogicError;  // ошибка в логике:
    std::string reqNoState;     // у блока нет сигнала состояния
    std::string reqReachable;   // ожидается REACHABLE после NEVER
    std::string reqInvariant;  // инвариант переключений: проверяется по достижимым состояниям
    std::string reqNever;  // операция не разрешается ни в одном состоянии ТС
    std::string reqDepth;  // условие вложено глубже 100 уровней

    // The verdicts of a requirement.
    std::string proven;      // доказано
    std::string refuted;     // опровергнуто
    std::string notChecked;  // не проверено

    // Words the reports of an analysis share (the checker's and the analysis window's).
    std::string counterexample;  // "контрпример: " before the TS values
    std::string differs;         // различается: two logics allow different things

    // The severity of a problem.
    std::string error;        // ошибка
    std::string warning;      // предупреждение
    std::string information;  // сведения
};

const AnalysisTexts& Texts();
// The word for a problem's severity: "ошибка", "предупреждение", "сведения".
enum class Severity;
const std::string& SeverityText(Severity s);
// Every analysis text by its name, for the golden listing.
interlock::TextList AnalysisTextList();

}  // namespace analysis
