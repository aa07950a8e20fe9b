// text-catalogue: prints every fixed text of the program, one per line, layer by layer, for the
// golden listing tests/golden/texts.txt. The Windows-1251 bytes are shown in UTF-8; line breaks,
// quotes, backslashes and any byte outside the code page are escaped, so that every byte change
// of a text shows in review.

#include <cstdio>
#include <string>

#include "acquisition/texts.h"
#include "analysis/analysis_texts.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/sequences_texts.h"
#include "storage/texts.h"
#include "ui/model/diagram_texts.h"
#include "tools/tool_texts.h"
#include "topology/topology_texts.h"
#include "ui/model/analysis_page_texts.h"
#include "ui/model/report_texts.h"
#include "ui/model/texts.h"
#include "ui/model/window_analysis_texts.h"
#include "ui/mimic/mimic_texts.h"

namespace {

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[8];
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || c == 0x98) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += cp1251::ToUtf8(std::string(1, static_cast<char>(c)));
        }
    }
    return out;
}

void Print(const char* layer, const interlock::TextList& list) {
    for (const interlock::NamedText& t : list) {
        std::printf("%s.%.*s = \"%s\"\n", layer, static_cast<int>(t.name.size()), t.name.data(),
                    Escaped(*t.text).c_str());
    }
}

}  // namespace

int main() {
    Print("interlock", interlock::EngineTextList());
    Print("storage", storage::StorageTextList());
    Print("analysis", analysis::AnalysisTextList());
    Print("acquisition", acquisition::AcquisitionTextList());
    Print("topology", topology::TopologyTextList());
    Print("sequences", sequences::SequenceTextList());
    Print("ui", ui::WindowTextList());
    Print("diagram", ui::DiagramTextList());
    Print("tools", tools::ToolTextList());
    Print("ui.analysis", ui::AnalysisTextList());
    Print("ui.analysisWindow", ui::AnalysisWindowTextList());
    Print("ui.pages", ui::PageTextList());
    Print("ui.report", ui::ReportTextList());
    Print("mimic", mimic::DrawingTextList());
    return 0;
}
