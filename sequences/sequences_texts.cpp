#include "sequences/sequences_texts.h"

#include "interlock/cp1251.h"

namespace sequences {
namespace {

SequenceTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    SequenceTexts x;
    x.opOn = t("ВКЛ");
    x.opOff = t("ОТКЛ");
    x.opOnLong = t("ВКЛЮЧИТЬ");
    x.opOffLong = t("ОТКЛЮЧИТЬ");
    x.positionOn = t("вкл");
    x.positionOff = t("откл");
    x.allowed = t("разрешено");
    x.forbidden = t("запрещено");
    x.already = t("уже в этом положении");
    x.notOperated = t("не проверено: у блока нет пригодного сигнала состояния");
    x.undetermined = t("не определено");
    x.budget = t("не определено: ответ превысил бюджет узлов");
    x.timeLimit = t("не определено: поиск превысил отведённое время");
    x.progOperation = t("ожидается операция: ВКЛ, ОТКЛ, ON или OFF");
    x.progApparatus = t("ожидается аппарат: имя или номер блока");
    x.progBlock = t("номер блока должен быть от 1 до 32");
    x.progUnknown = t("неизвестный аппарат: ");
    x.progAmbiguous = t("имя подходит нескольким блокам: ");
    x.modeHeld = t("Режим ТС: прочие ТС удерживаются");
    x.modeFree = t("Режим ТС: прочие ТС свободны");
    x.apparatusCount = t("Аппаратов в состоянии: ");
    x.reachableStates = t("Достижимых состояний аппаратов: ");
    x.condition = t("Условие");
    x.reachable = t("достижимо");
    x.unreachable = t("недостижимо");
    x.alreadyHolds = t("выполняется в исходном состоянии");
    x.stepsNeeded = t("шагов: ");
    x.plan = t("Программа переключений");
    x.noProgram = t("программы переключений не существует");
    x.neverAllowed = t("Операции, не разрешённые ни в одном достижимом состоянии:");
    x.nearestState = t("в ближайшем достижимом состоянии");
    x.changes = t("нужно изменить: ");
    x.logicEmpty = t("логика пуста");
    x.logicError = t("ошибка в логике: ");
    x.noChange = t("никакое изменение ТС не разрешает операцию");
    x.freeValues = t("при ");
    x.endValues = t("в конце при ");
    x.program = t("Проверка программы переключений");
    x.line = t("строка");
    x.position = t("позиция");
    x.step = t("Шаг");
    x.stateAfter = t("состояние: ");
    x.summary = t("Шагов: ");
    x.summaryAllowed = t("разрешено: ");
    x.summaryForbidden = t("запрещено: ");
    x.summaryOther = t("прочих: ");
    x.summaryErrors = t("ошибок в строках: ");
    x.invariant = t("Инвариант");
    x.proven = t("доказан");
    x.refuted = t("опровергнут");
    x.violation = t("нарушение через шагов: ");
    x.startState = t("исходное состояние: ");
    x.ts = t("ТС");
    x.pageName = t("Переключения");
    x.freeTs = t("Прочие ТС свободны");
    x.loadProgram = t("Загрузить программу...");
    x.checkProgram = t("Проверить");
    x.nextStep = t("Следующий шаг");
    x.targetLabel = t("Цель:");
    x.makePlan = t("Спланировать");
    x.takePlan = t("Взять как программу");
    x.programFilter = t("Программы переключений");
    x.colLine = t("Строка");
    x.colOperation = t("Операция");
    x.colVerdict = t("Вердикт");
    x.colState = t("Состояние после");
    x.programDone = t("Программа пройдена до конца");
    x.badTarget = t("Цель не прочитана: ");
    x.fileNotRead = t("Файл не прочитан: ");
    x.badHoldTs = t("--hold-ts: ожидается N=V,... с N от 1 до 256 и целым V");
    return x;
}

constexpr std::pair<std::string_view, std::string SequenceTexts::*> kMembers[] = {
    {"opOn", &SequenceTexts::opOn},
    {"opOff", &SequenceTexts::opOff},
    {"opOnLong", &SequenceTexts::opOnLong},
    {"opOffLong", &SequenceTexts::opOffLong},
    {"positionOn", &SequenceTexts::positionOn},
    {"positionOff", &SequenceTexts::positionOff},
    {"allowed", &SequenceTexts::allowed},
    {"forbidden", &SequenceTexts::forbidden},
    {"already", &SequenceTexts::already},
    {"notOperated", &SequenceTexts::notOperated},
    {"undetermined", &SequenceTexts::undetermined},
    {"budget", &SequenceTexts::budget},
    {"timeLimit", &SequenceTexts::timeLimit},
    {"progOperation", &SequenceTexts::progOperation},
    {"progApparatus", &SequenceTexts::progApparatus},
    {"progBlock", &SequenceTexts::progBlock},
    {"progUnknown", &SequenceTexts::progUnknown},
    {"progAmbiguous", &SequenceTexts::progAmbiguous},
    {"modeHeld", &SequenceTexts::modeHeld},
    {"modeFree", &SequenceTexts::modeFree},
    {"apparatusCount", &SequenceTexts::apparatusCount},
    {"reachableStates", &SequenceTexts::reachableStates},
    {"condition", &SequenceTexts::condition},
    {"reachable", &SequenceTexts::reachable},
    {"unreachable", &SequenceTexts::unreachable},
    {"alreadyHolds", &SequenceTexts::alreadyHolds},
    {"stepsNeeded", &SequenceTexts::stepsNeeded},
    {"plan", &SequenceTexts::plan},
    {"noProgram", &SequenceTexts::noProgram},
    {"neverAllowed", &SequenceTexts::neverAllowed},
    {"nearestState", &SequenceTexts::nearestState},
    {"changes", &SequenceTexts::changes},
    {"logicEmpty", &SequenceTexts::logicEmpty},
    {"logicError", &SequenceTexts::logicError},
    {"noChange", &SequenceTexts::noChange},
    {"freeValues", &SequenceTexts::freeValues},
    {"endValues", &SequenceTexts::endValues},
    {"program", &SequenceTexts::program},
    {"line", &SequenceTexts::line},
    {"position", &SequenceTexts::position},
    {"step", &SequenceTexts::step},
    {"stateAfter", &SequenceTexts::stateAfter},
    {"summary", &SequenceTexts::summary},
    {"summaryAllowed", &SequenceTexts::summaryAllowed},
    {"summaryForbidden", &SequenceTexts::summaryForbidden},
    {"summaryOther", &SequenceTexts::summaryOther},
    {"summaryErrors", &SequenceTexts::summaryErrors},
    {"invariant", &SequenceTexts::invariant},
    {"proven", &SequenceTexts::proven},
    {"refuted", &SequenceTexts::refuted},
    {"violation", &SequenceTexts::violation},
    {"startState", &SequenceTexts::startState},
    {"ts", &SequenceTexts::ts},
    {"pageName", &SequenceTexts::pageName},
    {"freeTs", &SequenceTexts::freeTs},
    {"loadProgram", &SequenceTexts::loadProgram},
    {"checkProgram", &SequenceTexts::checkProgram},
    {"nextStep", &SequenceTexts::nextStep},
    {"targetLabel", &SequenceTexts::targetLabel},
    {"makePlan", &SequenceTexts::makePlan},
    {"takePlan", &SequenceTexts::takePlan},
    {"programFilter", &SequenceTexts::programFilter},
    {"colLine", &SequenceTexts::colLine},
    {"colOperation", &SequenceTexts::colOperation},
    {"colVerdict", &SequenceTexts::colVerdict},
    {"colState", &SequenceTexts::colState},
    {"programDone", &SequenceTexts::programDone},
    {"badTarget", &SequenceTexts::badTarget},
    {"fileNotRead", &SequenceTexts::fileNotRead},
    {"badHoldTs", &SequenceTexts::badHoldTs},
};

}  // namespace

const SequenceTexts& Texts() {
    static const SequenceTexts texts = MakeTexts();
    return texts;
}

interlock::TextList SequenceTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace sequences
