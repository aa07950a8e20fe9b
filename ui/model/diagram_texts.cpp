#include "ui/model/diagram_texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace ui {
namespace {

DiagramTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    DiagramTexts x;
    x.linePrefix = t("стр. ");
    x.tipHardware = t(", недостоверный (аппаратно)");
    x.tipManual = t(", недостоверный (вручную)");
    x.tipPair = t(", двухпозиционный (пара с ТС%1)");
    x.zoomOutTip = t("Уменьшить (Ctrl+−, Ctrl+колесо)");
    x.zoomInTip = t("Увеличить (Ctrl++, Ctrl+колесо)");
    x.zoomOneTip = t("Исходный масштаб (Ctrl+0)");
    x.fitButton = t("По ширине");
    x.fitTip = t("Уместить схему по ширине окна");
    x.svgTip = t("Сохранить схему в SVG");
    x.pdfTip = t("Сохранить схему в PDF");
    x.legendUnreliable = t("недостоверный");
    x.legendDecisive = t("решающие запрет входы");
    x.svgFilter = t("Рисунок SVG (*.svg)");
    x.pdfFilter = t("Документ PDF (*.pdf)");
    x.diagramCaption = t("Схема логики");
    x.printDefaultName = t("блокировки");
    x.printFailed = t("Не удалось записать таблицу блокировок ");
    return x;
}

using Member = std::string DiagramTexts::*;
constexpr std::pair<std::string_view, Member> kMembers[] = {
    {"linePrefix", &DiagramTexts::linePrefix},
    {"tipHardware", &DiagramTexts::tipHardware},
    {"tipManual", &DiagramTexts::tipManual},
    {"tipPair", &DiagramTexts::tipPair},
    {"zoomOutTip", &DiagramTexts::zoomOutTip},
    {"zoomInTip", &DiagramTexts::zoomInTip},
    {"zoomOneTip", &DiagramTexts::zoomOneTip},
    {"fitButton", &DiagramTexts::fitButton},
    {"fitTip", &DiagramTexts::fitTip},
    {"svgTip", &DiagramTexts::svgTip},
    {"pdfTip", &DiagramTexts::pdfTip},
    {"legendUnreliable", &DiagramTexts::legendUnreliable},
    {"legendDecisive", &DiagramTexts::legendDecisive},
    {"svgFilter", &DiagramTexts::svgFilter},
    {"pdfFilter", &DiagramTexts::pdfFilter},
    {"diagramCaption", &DiagramTexts::diagramCaption},
    {"printDefaultName", &DiagramTexts::printDefaultName},
    {"printFailed", &DiagramTexts::printFailed},
};

}  // namespace

const DiagramTexts& DiagramPageTexts() {
    static const DiagramTexts texts = MakeTexts();
    return texts;
}

interlock::TextList DiagramTextList() { return interlock::ListTexts(DiagramPageTexts(), kMembers); }

}  // namespace ui
