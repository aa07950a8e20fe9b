// The requirements reader. Whatever a file holds, reading ends with requirements and errors
// (no crash, no recursion past the depth limit); every error points into its line; and each
// requirement read, written as its own text alone, reads back as the same requirement.

#include "analysis/requirements.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

int Depth(const analysis::Condition& c) {
    int deepest = 0;
    for (const analysis::Condition& o : c.operands) deepest = std::max(deepest, Depth(o));
    return deepest + 1;
}

bool Same(const analysis::Condition& a, const analysis::Condition& b) {
    if (a.kind != b.kind || a.negated != b.negated || a.ts != b.ts || a.operands.size() != b.operands.size())
        return false;
    for (size_t i = 0; i < a.operands.size(); ++i)
        if (!Same(a.operands[i], b.operands[i])) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const analysis::RequirementsFile file = analysis::ParseRequirementsFile(bytes);
    for (const analysis::RequirementError& e : file.errors) {
        FUZZ_CHECK(e.line >= 1);
        FUZZ_CHECK(e.position >= 1);
        FUZZ_CHECK(static_cast<size_t>(e.position) <= size + 1);
    }
    interlock::TsTableData table;
    for (const analysis::Requirement& r : file.requirements) {
        FUZZ_CHECK(r.block >= 1 && r.block <= interlock::kBlockCount);
        if (r.kind != analysis::Requirement::Kind::Possible) {
            FUZZ_CHECK(Depth(r.condition) <= analysis::kMaxConditionDepth);
            analysis::EvaluateCondition(r.condition, table);
        }
        const analysis::RequirementsFile again = analysis::ParseRequirements({r.text});
        FUZZ_CHECK(again.errors.empty() && again.requirements.size() == 1);
        const analysis::Requirement& q = again.requirements[0];
        FUZZ_CHECK(q.block == r.block && q.side == r.side && q.kind == r.kind);
        FUZZ_CHECK(Same(q.condition, r.condition));
    }
    return 0;
}
