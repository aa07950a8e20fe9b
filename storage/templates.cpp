#include "storage/templates.h"

#include <algorithm>

#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "storage/texts.h"
#include "storage/file_io.h"
#include "interlock/int_rule.h"
#include "interlock/report.h"

namespace storage {
namespace {

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// A parameter line "#TS - S<k> - <caption>": the caption of parameter k, when the number is
// 1..16 and at least two characters of caption follow.
void ApplyParameterLine(std::string_view line, Template& t) {
    std::string_view rest = line.substr(7);
    size_t space = rest.find(' ');
    std::string_view number = rest.substr(0, space);
    int32_t k = 0;
    if (!interlock::IsIntInRange(number, 1, kParameterCount, &k)) return;
    size_t pos = space == std::string_view::npos ? rest.size() : space + 1;  // the space
    if (pos < rest.size()) ++pos;                                            // normally "-"
    while (pos < rest.size() && rest[pos] == ' ') ++pos;
    std::string_view caption = rest.substr(pos);
    if (caption.size() < 2) return;
    t.captions[k] = std::string(caption.substr(0, kCaptionLength));
}

// The text the main window's state field shows for a block: "S" n, "~S" n or "-".
std::string StateFieldText(int16_t stateSignal) {
    if (stateSignal > 0) return "S" + std::to_string(stateSignal);
    if (stateSignal < 0) return "~S" + std::to_string(-stateSignal);
    return "-";
}

}  // namespace

interlock::Message SideFailureMessage(interlock::Side side) {
    const StorageTexts& x = Texts();
    return {x.templateSideErrorPrefix + (side == interlock::Side::On ? x.templateSideOn : x.templateSideOff) +
                x.templateSideErrorSuffix,
            interlock::Texts().attention, interlock::Icon::None};
}

const Template* TemplateLibrary::Find(int n) const {
    if (n < 1 || n > static_cast<int>(templates.size())) return nullptr;
    return &templates[static_cast<size_t>(n - 1)];
}

// ---- Reading ----

TemplateLibrary ReadTemplates(std::string_view bytes) {
    TemplateLibrary library;
    library.templates.reserve(kTemplateSlots);  // `current` points into the vector
    bool section = false;
    Template* current = nullptr;
    Lines* open = nullptr;  // the side that logic lines go to

    for (const std::string& line : SplitLines(bytes)) {
        if (line.empty()) continue;
        // The section mark only toggles the section; it never becomes a line of logic.
        if (line == "@") {
            section = !section;
            continue;
        }
        if (section && StartsWith(line, "##")) {
            open = nullptr;
            if (library.templates.size() >= kTemplateSlots) {
                // No slot is left: this template and all its lines are passed over.
                current = nullptr;
                continue;
            }
            Template& t = library.templates.emplace_back();
            t.number = static_cast<int8_t>(library.templates.size());
            // A header too short to carry a name still starts its own template, so that its
            // lines never run on into the template before it.
            t.name =
                line.size() > 4 ? line.substr(3) : Texts().templateDefaultName + std::to_string(t.number);
            current = &t;
            continue;
        }
        if (StartsWith(line, "#O")) {
            if (current != nullptr && line.size() >= 3) {
                if (line[2] == 'n') open = &current->OffLogic;
                if (line[2] == 'f') open = &current->OnLogic;
            }
            continue;
        }
        if (StartsWith(line, "#TS - S")) {
            if (current != nullptr) ApplyParameterLine(line, *current);
            continue;
        }
        if (StartsWith(line, "#State - ")) {
            if (current != nullptr) current->state = line.substr(9);
            continue;
        }
        if (section && current != nullptr && open != nullptr) open->push_back(line);
    }
    return library;
}

std::string TemplateFilePath(const std::string& exeDir) { return exeDir + "templates.txt"; }

TemplateFile ReadTemplateFile(const std::string& path) {
    TemplateFile file;
    ReadResult r = ReadWholeFile(path);
    if (!r) {
        file.error = r.error;
        return file;
    }
    file.library = ReadTemplates(r.bytes);
    return file;
}

// ---- Fields ----

FieldLayout LayoutFor(const Template& t) {
    FieldLayout layout;
    for (int k = 1; k <= kParameterCount; ++k) {
        if (t.UsesParameter(k)) layout.parameters.push_back(k);
    }
    layout.rows = (static_cast<int>(layout.parameters.size()) + 1) / 2;
    layout.buttonTop = 88 + 32 * layout.rows;
    layout.outerHeight = 153 + 32 * layout.rows;
    return layout;
}

// ---- Substitution ----

SideResult SubstituteSide(const std::string& text, const ParameterValues& values, int blockNumber) {
    SideResult result;
    std::string s = text;
    const std::string blockDigits = std::to_string(blockNumber);
    size_t i = 0;
    while (i < s.size()) {
        // Where scanning goes on: never inside an inserted value, so that a value which itself
        // looks like a reference is taken as typed.
        size_t resume = 0;
        char c = s[i];
        if (c == 'S' || (c == 'D' && (i == 0 || s[i - 1] != 'N'))) {
            size_t end = s.find_first_of("),", i + 1);
            if (end == std::string::npos) end = s.size();
            int32_t p = 0;
            if (!interlock::IsIntInRange(std::string_view(s).substr(i + 1, end - i - 1), 1, kParameterCount,
                                         &p)) {
                result.ok = false;
                result.text = text;
                return result;
            }
            result.lastParameter = p;
            const std::string& value = values[static_cast<size_t>(p)];
            s.replace(i, end - i, value);
            resume = i + value.size();
            if (!value.empty() && value.front() == '~') ++i;
            if (i >= 2 && s[i - 1] == '~' && s[i - 2] == '~') {
                // A double inversion cancels.
                s.erase(i - 2, 2);
                i -= 2;
                resume -= 2;
            }
        }
        if (i < s.size() && s[i] == 'V') s.insert(i + 1, blockDigits);
        i = std::max(i + 1, resume);
    }
    result.text = std::move(s);
    return result;
}

std::string SubstituteState(const std::string& state, int lastOffParameter, const ParameterValues& values) {
    int32_t p = lastOffParameter;
    int32_t k = 0;
    if (!state.empty() && interlock::IsIntInRange(std::string_view(state).substr(1), 1, kParameterCount, &k))
        p = k;
    if (p < 1 || p > kParameterCount) return std::string();
    return values[static_cast<size_t>(p)];
}

SubstitutedTemplate SubstituteTemplate(const Template& t, const ParameterValues& values, int blockNumber) {
    SubstitutedTemplate out;
    SideResult on = SubstituteSide(JoinLines(t.OnLogic), values, blockNumber);
    if (on.ok) {
        out.OnLogic = SplitLines(on.text);
    } else {
        out.OnLogic = t.OnLogic;
        out.messages.push_back(SideFailureMessage(interlock::Side::On));
    }
    SideResult off = SubstituteSide(JoinLines(t.OffLogic), values, blockNumber);
    if (off.ok) {
        out.OffLogic = SplitLines(off.text);
        out.state = SubstituteState(t.state, off.lastParameter, values);
    } else {
        out.OffLogic = t.OffLogic;
        out.state = t.state;
        out.messages.push_back(SideFailureMessage(interlock::Side::Off));
    }
    return out;
}

SendResult Send_Template(interlock::Workspace& ws, const std::string& blockNumberText, const Template* t,
                         const ParameterValues& values, const std::string& blockName) {
    int32_t n = 0;
    if (!interlock::IsIntInRange(blockNumberText, 1, interlock::kBlockCount, &n)) {
        ws.Messages.push_back(
            {Texts().templateBadBlockNumber, interlock::Texts().attention, interlock::Icon::None});
        return SendResult::BadBlockNumber;
    }
    if (t == nullptr) return SendResult::NoTemplate;

    SubstitutedTemplate s = SubstituteTemplate(*t, values, n);
    ws.Messages.insert(ws.Messages.end(), s.messages.begin(), s.messages.end());
    interlock::Block& b = ws.Blocks[n];
    b.OnLogic = std::move(s.OnLogic);
    b.OffLogic = std::move(s.OffLogic);
    b.SetName(blockName);
    interlock::SetStateSignal(ws, n, s.state);
    const bool current = n == ws.CurrentBlock;
    if (current) {
        ws.Fields.Block_Name = b.Name;
    } else {
        // The state field goes on showing the current block.
        ws.Fields.TS_State_Number = StateFieldText(ws.CurrentBlockRef().StateSignal);
    }
    interlock::Recalculate(ws, n);
    if (current) interlock::RefreshBlockDisplay(ws);
    return SendResult::Inserted;
}

}  // namespace storage
