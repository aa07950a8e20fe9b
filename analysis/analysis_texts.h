#pragma once

// The fixed texts of the analysis, in Windows-1251, converted once on first use.

#include <string>

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
};

const AnalysisTexts& Texts();

}  // namespace analysis
