#include "ui/widgets/qt_text.h"

#include <array>
#include <unordered_map>

#include "interlock/cp1251.h"

namespace ui {

namespace {

// The code page as a table, taken once from the system's own conversion: a logic of megabytes
// crosses this boundary at every refresh, and converting it a byte at a time through the
// table costs a fraction of a general conversion.
struct CodePage {
    std::array<char16_t, 256> toUtf16{};
    std::unordered_map<char16_t, char> fromUtf16;
    std::array<bool, 256> roundTrips{};

    CodePage() {
        for (int b = 0; b < 256; ++b) {
            const QString one = QString::fromStdString(cp1251::ToUtf8(std::string(1, static_cast<char>(b))));
            toUtf16[static_cast<size_t>(b)] = one.size() == 1 ? one[0].unicode() : u'?';
            fromUtf16.emplace(toUtf16[static_cast<size_t>(b)], static_cast<char>(b));  // the first byte wins
        }
        for (int b = 0; b < 256; ++b) {
            const char16_t u = toUtf16[static_cast<size_t>(b)];
            roundTrips[static_cast<size_t>(b)] = u < 0x80 ? u == b : fromUtf16.at(u) == static_cast<char>(b);
        }
    }
};

const CodePage& Table() {
    static const CodePage table;
    return table;
}

}  // namespace

QString ToQString(std::string_view text) {
    const CodePage& table = Table();
    QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* to = out.data();
    for (const char c : text) *to++ = QChar(table.toUtf16[static_cast<unsigned char>(c)]);
    return out;
}

void AppendToQString(QString& out, std::string_view text) {
    const CodePage& table = Table();
    const qsizetype at = out.size();
    out.resize(at + static_cast<qsizetype>(text.size()));
    QChar* to = out.data() + at;
    for (const char c : text) *to++ = QChar(table.toUtf16[static_cast<unsigned char>(c)]);
}

bool RoundTrips(std::string_view text) {
    const CodePage& table = Table();
    for (const char c : text) {
        if (!table.roundTrips[static_cast<unsigned char>(c)]) return false;
    }
    return true;
}

std::string FromQString(const QString& text) {
    const CodePage& table = Table();
    std::string out(static_cast<size_t>(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            out[static_cast<size_t>(i)] = static_cast<char>(u);
            continue;
        }
        const auto it = table.fromUtf16.find(u);
        if (it == table.fromUtf16.end()) {
            // A character the code page cannot hold: the general conversion decides its "?".
            const QByteArray utf8 = text.toUtf8();
            return cp1251::FromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
        }
        out[static_cast<size_t>(i)] = it->second;
    }
    return out;
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
