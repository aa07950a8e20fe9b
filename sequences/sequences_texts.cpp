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
    x.already = t("уже в этом положении");
    x.notOperated = t("не проверено: у блока нет пригодного сигнала состояния");
    x.budget = t("не определено: ответ превысил бюджет узлов");
    x.timeLimit = t("не определено: поиск превысил отведённое время");
    x.progOperation = t("ожидается операция: ВКЛ, ОТКЛ, ON или OFF");
    x.progApparatus = t("ожидается аппарат: имя или номер блока");
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
    x.noChange = t("никакое изменение ТС не разрешает операцию");
    x.freeValues = t("при ");
    x.endValues = t("в конце при ");
    x.program = t("Проверка программы переключений");
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
    x.topologyFile = t("Топология: ");
    x.hazards = t("Опасные состояния по топологии:");
    x.earthingOnLive = t("заземляющий нож включён на узел под напряжением: ");
    x.liveEarthed = t("узел под напряжением соединён с заземлённым");
    x.underLoad = t("разъединитель переключается под нагрузкой: ");
    x.hazardReached = t("опасное состояние достижимо");
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
    x.colState = t("Состояние после");
    x.programDone = t("Программа пройдена до конца");
    x.badTarget = t("Цель не прочитана: ");
    x.fileNotRead = t("Файл не прочитан: ");
    x.printForm = t("Печать бланка...");
    x.formTitle = t("Бланк переключений");
    x.formProgram = t("Программа: ");
    x.signPerformed = t("Выполнил");
    x.signSupervised = t("Контролировал");
    x.signHint = t("подпись, фамилия, инициалы, дата");
    x.hazardsButton = t("Опасные состояния");
    x.topologyIgnored = t("в файле ошибки, топология не учитывается");
    x.noTopology = t("Нет файла топологии рядом с конфигурацией (или в нём ошибки)");
    x.badHoldTs = t("--hold-ts: ожидается N=V,... с N от 1 до 256 и целым V");
    return x;
}

constexpr std::pair<std::string_view, std::string SequenceTexts::*> kMembers[] = {
    {"opOn", &SequenceTexts::opOn},
    {"opOff", &SequenceTexts::opOff},
    {"opOnLong", &SequenceTexts::opOnLong},
    {"opOffLong", &SequenceTexts::opOffLong},
    {"already", &SequenceTexts::already},
    {"notOperated", &SequenceTexts::notOperated},
    {"budget", &SequenceTexts::budget},
    {"timeLimit", &SequenceTexts::timeLimit},
    {"progOperation", &SequenceTexts::progOperation},
    {"progApparatus", &SequenceTexts::progApparatus},
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
    {"noChange", &SequenceTexts::noChange},
    {"freeValues", &SequenceTexts::freeValues},
    {"endValues", &SequenceTexts::endValues},
    {"program", &SequenceTexts::program},
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
    {"topologyFile", &SequenceTexts::topologyFile},
    {"hazards", &SequenceTexts::hazards},
    {"earthingOnLive", &SequenceTexts::earthingOnLive},
    {"liveEarthed", &SequenceTexts::liveEarthed},
    {"underLoad", &SequenceTexts::underLoad},
    {"hazardReached", &SequenceTexts::hazardReached},
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
    {"colState", &SequenceTexts::colState},
    {"programDone", &SequenceTexts::programDone},
    {"badTarget", &SequenceTexts::badTarget},
    {"fileNotRead", &SequenceTexts::fileNotRead},
    {"printForm", &SequenceTexts::printForm},
    {"formTitle", &SequenceTexts::formTitle},
    {"formProgram", &SequenceTexts::formProgram},
    {"signPerformed", &SequenceTexts::signPerformed},
    {"signSupervised", &SequenceTexts::signSupervised},
    {"signHint", &SequenceTexts::signHint},
    {"hazardsButton", &SequenceTexts::hazardsButton},
    {"topologyIgnored", &SequenceTexts::topologyIgnored},
    {"noTopology", &SequenceTexts::noTopology},
    {"badHoldTs", &SequenceTexts::badHoldTs},
};

}  // namespace

const SequenceTexts& Texts() {
    static const SequenceTexts texts = MakeTexts();
    return texts;
}

interlock::TextList SequenceTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace sequences
