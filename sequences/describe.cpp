#include "sequences/describe.h"

#include "analysis/analysis_texts.h"
#include "interlock/engine_texts.h"
#include "sequences/program.h"
#include "sequences/sequences_texts.h"

namespace sequences {

bool Describer::On(int apparatus, int bit) const {
    State s = sys_.Present();
    s[apparatus] = static_cast<uint8_t>(bit);
    return sys_.IsOn(sys_.Apparatuses()[apparatus].blocks.front(), s);
}

std::string Describer::Position(int apparatus, int bit) const {
    return sys_.Apparatuses()[apparatus].label + " " +
           (On(apparatus, bit) ? interlock::Texts().stateValueOn : interlock::Texts().stateValueOff);
}

std::string Describer::StateText(const State& s) const {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) out += (i ? ", " : "") + Position(static_cast<int>(i), s[i]);
    return out;
}

std::string Describer::Op(const Operation& op) const {
    return (op.side == interlock::Side::On ? Texts().opOn : Texts().opOff) + " " +
           ApparatusName(ws_, op.block);
}

int Describer::ApparatusOfTs(int ts) const {
    for (size_t i = 0; i < sys_.Apparatuses().size(); ++i)
        if (sys_.Apparatuses()[i].ts == ts) return static_cast<int>(i);
    return -1;
}

std::string Describer::Values(const std::vector<analysis::Literal>& values) const {
    std::string out;
    for (const analysis::Literal& l : values) {
        out += out.empty() ? "" : ", ";
        const int a = ApparatusOfTs(l.ts);
        if (a >= 0) {
            out += Position(a, l.value);
            continue;
        }
        out += interlock::Texts().ts + std::to_string(l.ts) + "=" + std::to_string(l.value);
        if (!ws_.TsTable.Name[l.ts].empty()) out += " (" + ws_.TsTable.Name[l.ts] + ")";
    }
    return out;
}

std::vector<analysis::Literal> Describer::ChangeValues(const std::vector<int>& set, const State& s) const {
    std::vector<analysis::Literal> values;
    for (int ts : set) {
        const int a = ApparatusOfTs(ts);
        values.push_back({ts, 1 - (a >= 0 ? s[a] : (sys_.HeldValue(ts) & 1))});
    }
    return values;
}

std::string Describer::Changes(const analysis::MinChanges& c, const State& s) const {
    if (c.undetermined) return analysis::Texts().undetermined;
    if (!c.exists) return Texts().noChange;
    std::string out;
    for (const std::vector<int>& set : c.sets)
        out += (out.empty() ? "" : " | ") + Values(ChangeValues(set, s));
    return out + (c.truncated ? " | ..." : "");
}

}  // namespace sequences
