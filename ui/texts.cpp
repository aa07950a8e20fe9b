#include "ui/texts.h"

#include "interlock/cp1251.h"

namespace ui {

const WindowTexts& Texts() {
    static const WindowTexts texts = [] {
        auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
        WindowTexts x;
        x.errorCaption = t("Ошибка");
        return x;
    }();
    return texts;
}

}  // namespace ui
