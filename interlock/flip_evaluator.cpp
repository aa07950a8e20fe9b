#include "interlock/flip_evaluator.h"

#include <algorithm>
#include <cstring>

namespace interlock {

FlipCode FlipCode::Index(const std::vector<FlipLine>& lines, const std::vector<FlipOperand>& operands) {
    FlipCode code;
    code.lines = &lines;
    code.operands = &operands;
    for (const FlipLine& line : lines) {
        for (uint32_t j = line.first; j < line.last; ++j) {
            if (operands[j].kind == FlipOperand::Ts) code.read[operands[j].n] = 0xFF;
        }
    }

    // The lines whose value can reach the output, from the last line up: every V line, and an M
    // line that such a line below reads before the M is assigned again. A change of a TS read
    // only by the others changes no output: a long logic whose output reads a few of its lines
    // is searched over those.
    std::vector<uint8_t> reaches(lines.size(), 0);
    uint32_t read = 0;  // bit n: M n is read below by a line that reaches the output
    for (size_t i = lines.size(); i-- > 0;) {
        const FlipLine& line = lines[i];
        const uint32_t bit = line.isM && line.target >= 1 && line.target <= kMCount ? 1u << line.target : 0;
        reaches[i] = !line.isM || (read & bit) != 0;
        read &= ~bit;
        if (reaches[i]) read |= line.mRead;
    }

    // Those of them that read each TS, counted first and then filled in.
    std::array<uint32_t, kTsCount + 2> lastReader;
    lastReader.fill(UINT32_MAX);
    for (uint32_t i = 0; i < lines.size(); ++i) {
        if (!reaches[i]) continue;
        for (uint32_t j = lines[i].first; j < lines[i].last; ++j) {
            const FlipOperand& o = operands[j];
            if (o.kind != FlipOperand::Ts || lastReader[o.n] == i) continue;
            lastReader[o.n] = i;
            ++code.readerStart[o.n + 1];
        }
    }
    for (int k = 1; k <= kTsCount + 1; ++k) code.readerStart[k] += code.readerStart[k - 1];
    code.readers.resize(code.readerStart[kTsCount + 1]);
    std::array<uint32_t, kTsCount + 2> fill = code.readerStart;
    lastReader.fill(UINT32_MAX);
    for (uint32_t i = 0; i < lines.size(); ++i) {
        if (!reaches[i]) continue;
        for (uint32_t j = lines[i].first; j < lines[i].last; ++j) {
            const FlipOperand& o = operands[j];
            if (o.kind != FlipOperand::Ts || lastReader[o.n] == i) continue;
            lastReader[o.n] = i;
            code.readers[fill[o.n]++] = i;
        }
    }
    return code;
}

void MarkUsed(Workspace& ws, const std::array<uint8_t, kTsCount + 8>& mask) {
    // Eight TS at a time: the marked ones become 1, the others keep what they have.
    uint8_t* used = ws.TsTable.UsedInLogic.data();
    for (size_t i = 0; i + 8 <= ws.TsTable.UsedInLogic.size(); i += 8) {
        uint64_t m = 0;
        uint64_t u = 0;
        std::memcpy(&m, mask.data() + i, 8);
        if (m == 0) continue;
        std::memcpy(&u, used + i, 8);
        u = (u & ~m) | (m & 0x0101010101010101ull);
        std::memcpy(used + i, &u, 8);
    }
    // The indices past the last whole eight (256, 257).
    for (size_t i = ws.TsTable.UsedInLogic.size() / 8 * 8; i < ws.TsTable.UsedInLogic.size(); ++i) {
        if (mask[i]) used[i] = 1;
    }
}

FlipEvaluator::FlipEvaluator(Workspace& ws, const FlipCode& code) : ws_(ws), code_(code) {
    MarkUsed(ws_, code_.read);
    const std::vector<FlipLine>& lines = *code_.lines;
    Run run;
    int32_t lastOutput = -1;
    before_.reserve(lines.size());
    base_.reserve(lines.size());
    outputBefore_.reserve(lines.size() + 1);
    for (size_t i = 0; i < lines.size(); ++i) {
        const FlipLine& line = lines[i];
        before_.push_back(run);
        outputBefore_.push_back(lastOutput);
        const uint8_t acc = Evaluate(line, run.m, 0);
        base_.push_back(acc);
        Assign(line, acc, run);
        if (!line.isM) lastOutput = static_cast<int32_t>(i);
    }
    outputBefore_.push_back(lastOutput);
    baseAllows_ = run.outputSeen && run.output == 1;
    // From line i on, the output of the unchanged run: set when a V line follows.
    laterOutput_.assign(lines.size() + 1, -1);
    for (size_t i = lines.size(); i-- > 0;) {
        laterOutput_[i] =
            lines[i].isM ? laterOutput_[i + 1] : (laterOutput_[i + 1] >= 0 ? laterOutput_[i + 1] : base_[i]);
    }
}

bool FlipEvaluator::Allows(int k) const {
    const std::vector<FlipLine>& lines = *code_.lines;
    if (k < 1 || k > kTsCount || code_.readerStart[k] == code_.readerStart[k + 1]) return baseAllows_;
    const uint32_t* reader = code_.readers.data() + code_.readerStart[k];
    const uint32_t* const readersEnd = code_.readers.data() + code_.readerStart[k + 1];
    size_t i = *reader;
    Run run = before_[i];
    uint32_t changed = 0;  // bit n: M n differs from its value without the change
    while (i < lines.size()) {
        while (reader != readersEnd && *reader < i) ++reader;
        const bool readsK = reader != readersEnd && *reader == i;
        if (changed == 0 && !readsK) {
            if (reader == readersEnd) {
                // Nothing differs any more: the rest runs as without the change.
                if (laterOutput_[i] >= 0) return laterOutput_[i] == 1;
                break;
            }
            // Up to the next line that reads k every line gives its unchanged value.
            const size_t next = *reader;
            run.m = before_[next].m;
            if (outputBefore_[next] >= static_cast<int32_t>(i)) {
                run.outputSeen = true;
                run.output = before_[next].output;
            }
            i = next;
            continue;
        }
        const FlipLine& line = lines[i];
        const bool affected = readsK || (line.mRead & changed) != 0;
        const uint8_t acc = affected ? Evaluate(line, run.m, k) : base_[i];
        if (line.isM && line.target >= 1 && line.target <= kMCount) {
            if (acc != base_[i]) {
                changed |= 1u << line.target;
            } else {
                changed &= ~(1u << line.target);
            }
        }
        Assign(line, acc, run);
        ++i;
    }
    return run.outputSeen && run.output == 1;
}

// One decoded line with the M values m and TS k complemented (k = 0: none). The operands after
// the one that decides the line are not looked at.
uint8_t FlipEvaluator::Evaluate(const FlipLine& line, const std::array<uint8_t, kMCount + 1>& m,
                                int k) const {
    const auto& values = ws_.TsTable.Value;
    uint8_t acc = line.isAnd ? 1 : 0;
    for (uint32_t j = line.first; j < line.last; ++j) {
        const FlipOperand& o = (*code_.operands)[j];
        uint8_t value = 0;
        if (o.kind == FlipOperand::Ts) {
            value = static_cast<uint8_t>(values[o.n] & 0xFF);
            if (o.inverted) value ^= 1;
            if (o.n == k) value ^= 1;
        } else if (o.kind == FlipOperand::M) {
            value = (o.n <= kMCount && m[o.n] == 1) ? 1 : 0;
            if (o.inverted) value ^= 1;
        }
        if (line.isAnd ? value == 0 : value == 1) {
            acc = line.isAnd ? 0 : 1;
            break;
        }
    }
    if (line.negated) acc ^= 1;
    return acc;
}

void FlipEvaluator::Assign(const FlipLine& line, uint8_t acc, Run& run) {
    if (line.isM) {
        if (line.target >= 1 && line.target <= kMCount) run.m[line.target] = acc;
    } else {
        run.outputSeen = true;
        run.output = acc;
    }
}

}  // namespace interlock
