#pragma once

#include <string>
#include <string_view>

// Windows-1251 is the text of the whole system: files, datagrams, library calls and the
// tables all hold single bytes. UTF-8 exists only at the edges (Qt, JSON, terminals).
namespace cp1251 {

// UTF-8 to Windows-1251. A character the code page cannot hold becomes "?";
// a malformed UTF-8 sequence becomes "?" as well.
std::string FromUtf8(std::string_view utf8);

// Windows-1251 to UTF-8. Every byte has a meaning (0x98 becomes U+FFFD's stand-in "?").
std::string ToUtf8(std::string_view text);

}  // namespace cp1251
