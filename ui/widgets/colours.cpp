#include "ui/widgets/colours.h"

namespace ui {
namespace {

// The system colours the program uses, fixed to the look of the classic desktop theme.
constexpr QRgb kSystemHighlight = 0xFF0078D7;        // 0x8000000D: selection / highlight
constexpr QRgb kSystemInactiveCaption = 0xFFBFCDDB;  // 0x80000003: inactive window caption
constexpr QRgb kSystemWindow = 0xFFFFFFFF;           // 0x80000005: window background
constexpr QRgb kSystemUnknown = 0xFF000000;

}  // namespace

QColor ToQColor(interlock::Colour colour) {
    if (colour & 0x80000000u) {
        switch (colour) {
            case interlock::colour::kHighlight:
                return QColor::fromRgb(kSystemHighlight);
            case interlock::colour::kInactiveCaption:
                return QColor::fromRgb(kSystemInactiveCaption);
            case interlock::colour::kWindow:
                return QColor::fromRgb(kSystemWindow);
            default:
                return QColor::fromRgb(kSystemUnknown);
        }
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace ui
