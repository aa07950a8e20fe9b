#include "ui/mimic/mimic_texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace mimic {
namespace {

DrawingTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    DrawingTexts x;
    x.title = t("Мнемосхема");
    x.sheetCaption = t("Мнемосхема подстанции");
    x.legendLive = t("под напряжением");
    x.legendDead = t("без напряжения");
    x.legendEarthed = t("заземлено");
    x.legendUnknown = t("состояние не определено");
    x.legendLights = t("Огни у аппарата: верхний или левый — включение, нижний или правый — отключение");
    x.legendAllowed = t("операция разрешена");
    x.legendForbidden = t("операция запрещена");
    x.legendHint = t("запрещено, разрешит одно изменение ТС");
    x.legendError = t("ошибка логики");
    return x;
}

using Member = std::string DrawingTexts::*;
constexpr std::pair<std::string_view, Member> kMembers[] = {
    {"title", &DrawingTexts::title},
    {"sheetCaption", &DrawingTexts::sheetCaption},
    {"legendLive", &DrawingTexts::legendLive},
    {"legendDead", &DrawingTexts::legendDead},
    {"legendEarthed", &DrawingTexts::legendEarthed},
    {"legendUnknown", &DrawingTexts::legendUnknown},
    {"legendLights", &DrawingTexts::legendLights},
    {"legendAllowed", &DrawingTexts::legendAllowed},
    {"legendForbidden", &DrawingTexts::legendForbidden},
    {"legendHint", &DrawingTexts::legendHint},
    {"legendError", &DrawingTexts::legendError},
};

}  // namespace

const DrawingTexts& Texts() {
    static const DrawingTexts texts = MakeTexts();
    return texts;
}

interlock::TextList DrawingTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace mimic
