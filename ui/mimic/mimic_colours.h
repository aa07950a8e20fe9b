#pragma once

// The mimic's colours, as a SCADA user reads them: a live section red, a dead one green, an
// earthed one blue, one whose state is not known grey (as the main window greys what is
// unreliable). Values are interlock::Colour (0x00BBGGRR).

#include "interlock/workspace.h"

namespace mimic::colour {

constexpr interlock::Colour kLive = 0x0000E0;
constexpr interlock::Colour kDead = 0x00A000;
constexpr interlock::Colour kEarthed = 0xE08000;
constexpr interlock::Colour kUnknown = interlock::colour::kGrey;
constexpr interlock::Colour kStatic = 0x202020;  // the scheme without a present moment
constexpr interlock::Colour kOpenBody = interlock::colour::kWhite;
// The verdict lights.
constexpr interlock::Colour kAllowed = 0x00C000;
constexpr interlock::Colour kForbidden = 0x0000FF;
constexpr interlock::Colour kHint = 0x00A0FF;  // amber
constexpr interlock::Colour kError = 0x800080;

}  // namespace mimic::colour
