#include "topology/topology_texts.h"

#include "analysis/analysis_texts.h"
#include "interlock/cp1251.h"
#include "topology/topology.h"

namespace topology {
namespace {

TopologyTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    TopologyTexts x;
    x.keyword =
        t("ожидается NODE, SOURCE, LOAD, INDICATOR, BREAKER, DISCONNECTOR, EARTHING, CABLE или TRANSFORMER");
    x.name = t("ожидается имя");
    x.node = t("неизвестный узел ");
    x.duplicateNode = t("узел уже описан: ");
    x.position = t("ожидается положение: BLOCK n, CLOSED, OPEN или TS Sn");
    x.block = t("номер блока должен быть от 1 до 32");
    x.ts = t("ожидается ТС: Sn или ~Sn, n от 1 до 256");
    x.trailing = t("лишние слова в конце строки");
    x.at = t("ожидается AT x y");
    x.twoBound = t("блок уже привязан к аппарату в строке ");
    x.noState = t("у блока нет сигнала состояния: положение аппарата неизвестно");
    x.unconnected = t("к узлу ничего не подключено: ");
    x.unbound = t("у блока есть логика, но нет аппарата в топологии: блок ");
    x.sameNodes = t("аппарат соединяет узел сам с собой");
    x.indicatorTwice = t("ТС уже используется в топологии: ");
    x.noLabel = t("у аппарата нет метки: дайте её в строке или имя блоку");
    x.rule1 =
        t("Разъединитель включается и отключается только без тока через него: одна из его сторон "
          "не связана ни с источником, ни с нагрузкой, или обе стороны уже соединены другим "
          "включённым путём");
    x.rule2 = t("Заземляющий нож включается только на узел без напряжения");
    x.rule3 =
        t("Выключатель или разъединитель не включается, если соединит узел под напряжением с "
          "заземлённым узлом");
    x.complies = t("соответствует");
    x.violates = t("нарушает правило ");
    x.everyState = t("во всех состояниях");
    x.stricter = t("Строже правил");
    x.noRules = t("правил нет");
    x.earth = t("земля");
    x.on = t("включение");
    x.off = t("отключение");
    x.lineWord = t("строка");
    x.positionWord = t("позиция");
    x.heading = t("Топология");
    x.example = t("контрпример");
    x.pathWord = t("путь");
    x.witness = t("пример");
    x.rulesWord = t("правила");
    x.blockWord = t("блок");
    x.summary = t("Итого");
    x.violating = t("нарушают правила");
    x.colApparatus = t("Аппарат");
    x.colBlock = t("Блок");
    x.colOperation = t("Операция");
    x.colVerdict = t("Вердикт");
    x.colDetails = t("Контрпример и путь");
    x.noFile = t("Нет файла топологии: ");
    x.ruleWord = t("Правило");
    x.pageEmpty = t("Ни один аппарат топологии не привязан к блоку");
    return x;
}

#define TEXT(member) \
    { #member, &TopologyTexts::member }
constexpr std::pair<std::string_view, std::string TopologyTexts::*> kMembers[] = {
    TEXT(keyword),
    TEXT(name),
    TEXT(node),
    TEXT(duplicateNode),
    TEXT(position),
    TEXT(block),
    TEXT(ts),
    TEXT(trailing),
    TEXT(at),
    TEXT(twoBound),
    TEXT(noState),
    TEXT(unconnected),
    TEXT(unbound),
    TEXT(sameNodes),
    TEXT(indicatorTwice),
    TEXT(noLabel),
    TEXT(rule1),
    TEXT(rule2),
    TEXT(rule3),
    TEXT(complies),
    TEXT(violates),
    TEXT(everyState),
    TEXT(stricter),
    TEXT(noRules),
    TEXT(earth),
    TEXT(on),
    TEXT(off),
    TEXT(lineWord),
    TEXT(positionWord),
    TEXT(heading),
    TEXT(example),
    TEXT(pathWord),
    TEXT(witness),
    TEXT(rulesWord),
    TEXT(blockWord),
    TEXT(summary),
    TEXT(violating),
    TEXT(colApparatus),
    TEXT(colBlock),
    TEXT(colOperation),
    TEXT(colVerdict),
    TEXT(colDetails),
    TEXT(noFile),
    TEXT(pageEmpty),
    TEXT(ruleWord),
};
#undef TEXT

}  // namespace

const TopologyTexts& Texts() {
    static const TopologyTexts texts = MakeTexts();
    return texts;
}

const std::string& SeverityText(Severity s) {
    const analysis::AnalysisTexts& t = analysis::Texts();
    return s == Severity::Error ? t.error : s == Severity::Warning ? t.warning : t.information;
}

interlock::TextList TopologyTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace topology
