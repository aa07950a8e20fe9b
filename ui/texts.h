#pragma once

// The fixed texts of the windows, in Windows-1251. They are written in UTF-8 in texts.cpp and
// converted once, on first use.

#include <string>

namespace ui {

struct WindowTexts {
    std::string errorCaption;  // Ошибка
};

const WindowTexts& Texts();

}  // namespace ui
