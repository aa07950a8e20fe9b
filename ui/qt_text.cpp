#include "ui/qt_text.h"

#include "interlock/cp1251.h"

namespace ui {

QString ToQString(std::string_view text) { return QString::fromStdString(cp1251::ToUtf8(text)); }

std::string FromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return cp1251::FromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QString ToDisplayText(std::string_view text) {
    std::string normal;
    normal.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            // A two-byte break (LF CR or CR LF) is one line break; two equal bytes are two.
            const char next = i + 1 < text.size() ? text[i + 1] : '\0';
            if ((next == '\n' || next == '\r') && next != c) ++i;
            normal.push_back('\n');
        } else {
            normal.push_back(c);
        }
    }
    return ToQString(normal);
}

}  // namespace ui
