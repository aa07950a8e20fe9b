#pragma once

// The template library "templates.txt": reusable interlock schemes written with parameter
// references instead of real TS numbers, and their insertion into a block.
//
// The library is Windows-1251 text prepared by hand and only ever read. Between two section
// marks "@" it holds templates, each opened by a header "## <name>", with parameter captions
// "#TS - S<k> - <caption>", a state line "#State - <text>" and the two sides of logic after
// the side marks "#Off->On" (the ON logic) and "#On->Off" (the OFF logic).
//
// Inside the logic a reference is "S" or "D" (a D not after "N", so AND and END stay words)
// followed by the parameter number 1..16 and ended by ")" or ","; a "V" gets the number of
// the target block appended.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/config_text.h"
#include "interlock/workspace.h"

namespace storage {

constexpr int kTemplateSlots = 32;     // the library holds at most 32 templates
constexpr int kParameterCount = 16;    // parameters 1..16, and as many fields in the window
constexpr size_t kCaptionLength = 35;  // a parameter caption is cut to 35 characters

class Template {
public:
    int8_t number = 0;  // 1-based position in the library
    std::string name;   // shown in the list and proposed as the block name
    Lines OnLogic;      // logic for switching on, with references
    Lines OffLogic;     // logic for switching off, with references
    std::string state;  // state signal text, normally "S" followed by a parameter number
    std::array<std::string, kParameterCount + 1> captions{};  // 1..16; empty = not used

    bool UsesParameter(int k) const { return k >= 1 && k <= kParameterCount && !captions[k].empty(); }
};

struct TemplateLibrary {
    std::vector<Template> templates;  // templates 1..TemplateCount at indices 0..TemplateCount-1

    int8_t TemplateCount() const { return static_cast<int8_t>(templates.size()); }
    // Template number n (1-based), or nullptr outside 1..TemplateCount.
    const Template* Find(int n) const;
};

// Reads the library from the file's bytes (CR LF, a lone CR and a lone LF each end a line).
// Malformed lines are passed over; templates after the 32nd are ignored with all their lines.
TemplateLibrary ReadTemplates(std::string_view bytes);

// The library from a file. On a missing or unreadable file `error` holds the message-box
// text with the system's error text, and the library is empty.
struct TemplateFile {
    TemplateLibrary library;
    std::string error;

    bool ok() const { return error.empty(); }
};
TemplateFile ReadTemplateFile(const std::string& path);
// "templates.txt" in the program's folder (`exeDir` ends in "/").
std::string TemplateFilePath(const std::string& exeDir);

// ---- Parameter fields of the templates window ----

// Which parameter each of the sixteen fields is bound to, for one template: the fields in use
// are taken in order for the parameters that have a caption. Two fields make a row.
struct FieldLayout {
    std::vector<int> parameters;  // field j (0-based) is bound to parameters[j]
    int rows = 0;                 // field rows in use: fields / 2 rounded up
    int buttonTop = 88;           // y of the two command buttons: 88 + 32 rows
    int outerHeight = 153;        // outer height of the window: 153 + 32 rows
};
FieldLayout LayoutFor(const Template& t);

// The texts typed for the parameters, by parameter number 1..16; empty for a parameter that
// no field is bound to.
using ParameterValues = std::array<std::string, kParameterCount + 1>;

// ---- Substitution ----

// One side with its references replaced. `ok` false: a reference was not a parameter number
// 1..16 and `text` is the side exactly as in the template. `lastParameter` is the last
// parameter number used (1 when none was).
struct SideResult {
    bool ok = true;
    std::string text;
    int lastParameter = 1;
};
// `text` is the side's lines joined with CR LF (a CR LF after every line).
SideResult SubstituteSide(const std::string& text, const ParameterValues& values, int blockNumber);

// The state text after the OFF side: a state "S<k>" (any first character, then a parameter
// number) takes the value of parameter k; otherwise the value of the last parameter used in
// the OFF logic (or of parameter 1).
std::string SubstituteState(const std::string& state, int lastOffParameter, const ParameterValues& values);

// The whole template for target block `blockNumber`: each side on its own; a side that fails
// stays as in the template and queues its message (for the OFF side the state stays too).
struct SubstitutedTemplate {
    Lines OnLogic;
    Lines OffLogic;
    std::string state;
    std::vector<interlock::Message> messages;
};
SubstitutedTemplate SubstituteTemplate(const Template& t, const ParameterValues& values, int blockNumber);

// "Загрузить шаблон": inserts template `t` into the block whose number is typed in
// `blockNumberText`, names it `blockName`, applies the state signal, recalculates the block
// and, when it is the current block, refreshes the display. For another block the main
// window's fields go on showing the current block. Messages are queued in ws.Messages.
enum class SendResult {
    BadBlockNumber,  // the number is not 1..32: the message is queued, nothing changed
    NoTemplate,      // no template selected: nothing changed
    Inserted,        // the block holds the template; the window closes
};
SendResult Send_Template(interlock::Workspace& ws, const std::string& blockNumberText, const Template* t,
                         const ParameterValues& values, const std::string& blockName);

// The message of a side whose references could not be replaced.
interlock::Message SideFailureMessage(interlock::Side side);

}  // namespace storage
