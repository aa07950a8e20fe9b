#include "analysis/analysis_texts.h"

#include "analysis/analyser.h"
#include "interlock/cp1251.h"

namespace analysis {
namespace {

AnalysisTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    AnalysisTexts x;
    x.neverAllowed = t("Операция не разрешается ни в одном состоянии ТС");
    x.alwaysAllowed = t("Операция разрешена в любом состоянии ТС: блокировка ничего не запрещает");
    x.constantZero = t("Строка всегда даёт 0");
    x.constantOne = t("Строка всегда даёт 1");
    x.mNeverRead = t("Значение не читается: M");
    x.pairSecond = t("Второй ТС двухпозиционной пары читается отдельно: ");
    x.dNotPair = t("Операнд D на ТС, не отмеченном двухпозиционным: ");
    x.sOnPair = t("Операнд S на двухпозиционном ТС: ");
    x.sharedState = t("Тот же сигнал состояния у блока ");
    x.stateNotRead = t("Логики блока не читают его сигнал состояния");
    x.noTs = t("Результат логики не зависит ни от одного ТС");
    x.undetermined = t("не определено");
    x.budget = t("не определено: модель логики превысила бюджет узлов");
    x.timeBudget = t("не определено: на модель логики не хватило времени");
    x.reqSide = t("ожидается ON или OFF");
    x.reqBlock = t("ожидается номер блока от 1 до 32");
    x.reqKind = t("ожидается REQUIRES, FORBIDDEN WHEN или POSSIBLE");
    x.reqWhen = t("ожидается WHEN после FORBIDDEN");
    x.reqOperand = t("ожидается операнд S/D или AND(...)/OR(...)");
    x.reqReachable = t("ожидается REACHABLE после NEVER");
    x.reqInvariant = t("инвариант переключений: проверяется по достижимым состояниям");
    x.reqTs = t("номер ТС должен быть от 1 до 256");
    x.reqOpen = t("ожидается \"(\"");
    x.reqNext = t("ожидается \",\" или \")\"");
    x.reqTrailing = t("лишние символы в конце требования");
    x.reqEmptyLogic = t("логика пуста");
    x.reqLogicError = t("ошибка в логике: ");
    x.reqNoState = t("у блока нет сигнала состояния");
    x.reqNever = t("операция не разрешается ни в одном состоянии ТС");
    x.reqDepth = t("условие вложено глубже 100 уровней");
    x.proven = t("доказано");
    x.refuted = t("опровергнуто");
    x.notChecked = t("не проверено");
    x.counterexample = t("контрпример: ");
    x.differs = t("различается");
    x.error = t("ошибка");
    x.warning = t("предупреждение");
    x.information = t("сведения");
    return x;
}

using Member = std::string AnalysisTexts::*;
constexpr std::pair<std::string_view, Member> kMembers[] = {
    {"neverAllowed", &AnalysisTexts::neverAllowed},
    {"alwaysAllowed", &AnalysisTexts::alwaysAllowed},
    {"constantZero", &AnalysisTexts::constantZero},
    {"constantOne", &AnalysisTexts::constantOne},
    {"mNeverRead", &AnalysisTexts::mNeverRead},
    {"pairSecond", &AnalysisTexts::pairSecond},
    {"dNotPair", &AnalysisTexts::dNotPair},
    {"sOnPair", &AnalysisTexts::sOnPair},
    {"sharedState", &AnalysisTexts::sharedState},
    {"stateNotRead", &AnalysisTexts::stateNotRead},
    {"noTs", &AnalysisTexts::noTs},
    {"undetermined", &AnalysisTexts::undetermined},
    {"budget", &AnalysisTexts::budget},
    {"reqSide", &AnalysisTexts::reqSide},
    {"reqBlock", &AnalysisTexts::reqBlock},
    {"reqKind", &AnalysisTexts::reqKind},
    {"reqWhen", &AnalysisTexts::reqWhen},
    {"reqOperand", &AnalysisTexts::reqOperand},
    {"reqReachable", &AnalysisTexts::reqReachable},
    {"reqInvariant", &AnalysisTexts::reqInvariant},
    {"reqTs", &AnalysisTexts::reqTs},
    {"reqOpen", &AnalysisTexts::reqOpen},
    {"reqNext", &AnalysisTexts::reqNext},
    {"reqTrailing", &AnalysisTexts::reqTrailing},
    {"reqEmptyLogic", &AnalysisTexts::reqEmptyLogic},
    {"reqLogicError", &AnalysisTexts::reqLogicError},
    {"reqNoState", &AnalysisTexts::reqNoState},
    {"reqNever", &AnalysisTexts::reqNever},
    {"reqDepth", &AnalysisTexts::reqDepth},
    {"timeBudget", &AnalysisTexts::timeBudget},
    {"proven", &AnalysisTexts::proven},
    {"refuted", &AnalysisTexts::refuted},
    {"notChecked", &AnalysisTexts::notChecked},
    {"counterexample", &AnalysisTexts::counterexample},
    {"differs", &AnalysisTexts::differs},
    {"error", &AnalysisTexts::error},
    {"warning", &AnalysisTexts::warning},
    {"information", &AnalysisTexts::information},
};

}  // namespace

const AnalysisTexts& Texts() {
    static const AnalysisTexts texts = MakeTexts();
    return texts;
}

const std::string& SeverityText(Severity s) {
    const AnalysisTexts& t = Texts();
    return s == Severity::Error ? t.error : s == Severity::Warning ? t.warning : t.information;
}

interlock::TextList AnalysisTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace analysis
