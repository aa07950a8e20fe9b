#include "sequences/substation.h"

#include "sequences/sequences_texts.h"

namespace sequences {

TopologyInputs InputsFrom(topology::Network& network, const interlock::Workspace& ws) {
    using topology::Kind;
    TopologyInputs in;
    in.present = true;
    in.unknown = network.UnknownVars();
    for (const topology::Network::IndicatorFunction& i : network.Indicators())
        in.indicators.push_back({i.bit, i.value});
    const topology::Topology& t = network.Layout();
    const bdd unknown = network.UnknownVars();
    for (size_t i = 0; i < t.elements.size(); ++i) {
        const topology::Element& e = t.elements[i];
        if (e.kind != Kind::Earthing) continue;
        const bdd h = bdd_exist(network.Closed(static_cast<int>(i)) & network.Live(e.a), unknown);
        in.hazards.push_back({Texts().earthingOnLive + e.label, h, "earthing_on_live"});
    }
    in.hazards.push_back({Texts().liveEarthed, network.LiveEarthed(), "live_earthed"});
    for (size_t i = 0; i < t.elements.size(); ++i) {
        const topology::Element& e = t.elements[i];
        if (e.kind != Kind::Disconnector || e.binding != topology::Binding::Block ||
            ws.Blocks[e.block].StateSignal == 0)
            continue;
        for (interlock::Side side : {interlock::Side::On, interlock::Side::Off}) {
            // Rule 1 broken in some position of the apparatus nobody knows.
            const bdd underLoad = !network.Allows(1, static_cast<int>(i), side);
            const std::string op = side == interlock::Side::On ? Texts().opOn : Texts().opOff;
            in.hazards.push_back({Texts().underLoad + op + " " + e.label, underLoad,
                                  "disconnector_under_load", e.block, side});
        }
    }
    return in;
}

std::unique_ptr<Substation> ReadSubstation(const std::vector<std::string>& lines,
                                           const interlock::Workspace& ws) {
    auto s = std::make_unique<Substation>();
    s->layout = topology::ReadTopology(lines, ws);
    if (s->layout.HasErrors()) return s;
    s->network = std::make_unique<topology::Network>(s->layout, ws);
    s->inputs = InputsFrom(*s->network, ws);
    return s;
}

}  // namespace sequences
