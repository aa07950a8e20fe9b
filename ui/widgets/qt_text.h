#pragma once

// Text at the boundary between the system (Windows-1251 bytes) and Qt (UTF-16).

#include <QString>
#include <string>
#include <string_view>

namespace ui {

// Windows-1251 bytes to a QString.
QString ToQString(std::string_view text);
// ToQString appended to `out`.
void AppendToQString(QString& out, std::string_view text);
// True when every byte of text comes back unchanged through ToQString and FromQString.
bool RoundTrips(std::string_view text);
// A QString to Windows-1251 bytes; a character the code page cannot hold becomes "?".
std::string FromQString(const QString& text);

// A message or hint of the program for display: its line breaks (LF CR, CR LF or a lone CR)
// become the "\n" that Qt breaks lines at.
QString ToDisplayText(std::string_view text);

}  // namespace ui
