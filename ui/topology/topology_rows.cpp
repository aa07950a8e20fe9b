#include "ui/topology/topology_rows.h"

#include "topology/topology_texts.h"

namespace ui {

Page TopologyRows(const std::string& file, const std::string& error, const topology::Topology& t,
                  const std::vector<topology::OperationResult>& results, const interlock::Workspace& ws) {
    const topology::TopologyTexts& tx = topology::Texts();
    Page p;
    p.columns = {tx.colApparatus, tx.colBlock, tx.colOperation, tx.colVerdict, tx.colDetails};
    if (!error.empty()) {
        p.heading = tx.noFile + file;
        p.empty = error;
        return p;
    }
    p.heading = tx.heading + ": " + file;
    for (const topology::Message& m : t.messages) {
        if (m.severity == topology::Severity::Information) continue;
        p.heading += "\n" + topology::SeverityText(m.severity);
        if (m.line > 0) p.heading += ", " + tx.lineWord + " " + std::to_string(m.line);
        if (m.position > 0) p.heading += ", " + tx.positionWord + " " + std::to_string(m.position);
        p.heading += ": " + m.text;
    }
    p.empty = tx.pageEmpty;
    for (const topology::OperationResult& o : results) {
        const std::string label = t.elements[static_cast<size_t>(o.element)].label;
        const std::string block = std::to_string(o.block);
        const std::string op = o.side == interlock::Side::On ? tx.on : tx.off;
        const Place place{o.block, o.side, o.outputLine};
        std::string rules = tx.noRules;
        if (!o.rules.empty()) {
            rules = tx.rulesWord;
            for (int r : o.rules) rules += " " + std::to_string(r);
        }
        std::string details = rules;
        if (o.stricter)
            details += "; " + tx.stricter + ": " + topology::ExampleText(t, ws, o.stricter->cube, o.held);
        p.rows.push_back({{label, block, op, topology::VerdictText(o), details}, place, {}, false});
        for (const topology::Violation& v : o.violations) {
            PageRow row{{label, block, op, tx.violates + std::to_string(v.rule),
                         topology::ViolationText(t, ws, o, v)},
                        place,
                        {},
                        true};
            for (const analysis::Literal& l : v.example.cube) row.apply.push_back({l.ts, l.value});
            row.apply.push_back({o.held.ts, o.held.value});
            p.rows.push_back(row);
        }
    }
    return p;
}

}  // namespace ui
