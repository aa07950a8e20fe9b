#include "topology/topology.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <string_view>
#include <functional>

#include "analysis/model.h"
#include "topology/topology_texts.h"

namespace topology {
namespace {

struct Token {
    std::string_view text;  // within the line being read
    int position = 0;       // from 1
};

std::vector<Token> Tokens(const std::string& line) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n' &&
               line[i] != '#')
            ++i;
        out.push_back({std::string_view(line).substr(start, i - start), static_cast<int>(start) + 1});
    }
    return out;
}

std::string Upper(std::string_view v) {
    std::string s(v);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::optional<int> Integer(std::string_view s) {
    int v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> Number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const std::string s(text);
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) return std::nullopt;
    return v;
}

std::optional<TsRef> ParseTs(std::string_view s) {
    TsRef r;
    size_t i = 0;
    if (i < s.size() && s[i] == '~') {
        r.inverted = true;
        ++i;
    }
    if (i >= s.size() || (s[i] != 'S' && s[i] != 's' && s[i] != 'D' && s[i] != 'd')) return std::nullopt;
    const auto n = Integer(s.substr(i + 1));
    if (!n || *n < 1 || *n > interlock::kTsCount) return std::nullopt;
    r.ts = *n;
    return r;
}

// The line's first word is NODE, in either case.
bool FirstWordIsNode(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
    if (line.size() - i < 4) return false;
    for (size_t k = 0; k < 4; ++k)
        if ((line[i + k] & ~0x20) != "NODE"[k]) return false;
    const size_t end = i + 4;
    return end == line.size() || line[end] == ' ' || line[end] == '\t' || line[end] == '\r' ||
           line[end] == '\n' || line[end] == '#';
}

bool IsPositionWord(const std::string& u) {
    return u == "BLOCK" || u == "CLOSED" || u == "OPEN" || u == "TS";
}

// The nodes' names, found by an open-addressing hash table: a file of half a million nodes
// names each of them two or three times, and a table of chained entries spends most of that
// time waiting for memory. The names are views of the lines being read.
class NameIndex {
public:
    // The index of the name, or -1.
    int Find(std::string_view name) const {
        if (slots_.empty()) return -1;
        const size_t h = std::hash<std::string_view>()(name);
        for (size_t i = h & mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.index < 0) return -1;
            if (s.hash == h && names_[static_cast<size_t>(s.index)] == name) return s.index;
        }
    }
    // Adds the name with the next index; false when it is there already.
    bool Add(std::string_view name) {
        if (Find(name) >= 0) return false;
        if ((names_.size() + 1) * 2 > slots_.size()) Grow();
        const size_t h = std::hash<std::string_view>()(name);
        Place(h, static_cast<int>(names_.size()));
        names_.push_back(name);
        return true;
    }

private:
    struct Slot {
        size_t hash = 0;
        int index = -1;
    };
    void Place(size_t h, int index) {
        size_t i = h & mask_;
        while (slots_[i].index >= 0) i = (i + 1) & mask_;
        slots_[i] = {h, index};
    }
    void Grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        for (const Slot& s : old)
            if (s.index >= 0) Place(s.hash, s.index);
    }

    std::vector<Slot> slots_;
    size_t mask_ = 0;
    std::vector<std::string_view> names_;
};

class Reader {
public:
    Reader(const interlock::Workspace& ws) : ws_(ws), tx_(Texts()) {}

    Topology Read(const std::vector<std::string>& lines) {
        // Nodes first, so that an element may name a node described further down.
        std::vector<char> isNode(lines.size(), 0);
        size_t nodes = 0;
        for (size_t i = 0; i < lines.size(); ++i)
            if (FirstWordIsNode(lines[i])) isNode[i] = 1, ++nodes;
        t_.nodes.reserve(nodes);
        t_.elements.reserve(lines.size() - nodes);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!isNode[i]) continue;
            line_ = static_cast<int>(i) + 1;
            tokens_ = Tokens(lines[i]);
            ReadNode();
        }
        for (size_t i = 0; i < lines.size(); ++i) {
            if (isNode[i]) continue;
            line_ = static_cast<int>(i) + 1;
            tokens_ = Tokens(lines[i]);
            if (tokens_.empty()) continue;
            const std::string k = Upper(tokens_[0].text);
            if (k == "NODE") continue;
            if (!TakeAt()) continue;
            if (k == "SOURCE")
                ReadSource();
            else if (k == "LOAD")
                ReadLoad();
            else if (k == "INDICATOR")
                ReadIndicator();
            else if (k == "BREAKER")
                ReadElement(Kind::Breaker);
            else if (k == "DISCONNECTOR")
                ReadElement(Kind::Disconnector);
            else if (k == "EARTHING")
                ReadElement(Kind::Earthing);
            else if (k == "CABLE")
                ReadElement(Kind::Cable);
            else if (k == "TRANSFORMER")
                ReadElement(Kind::Transformer);
            else
                Error(tokens_[0].position, tx_.keyword);
        }
        CheckWhole();
        std::stable_sort(t_.messages.begin(), t_.messages.end(),
                         [](const Message& a, const Message& b) { return a.line < b.line; });
        return std::move(t_);
    }

private:
    void Add(Severity s, int position, const std::string& text, int line = -1) {
        t_.messages.push_back({s, line < 0 ? line_ : line, position, text});
    }
    void Error(int position, const std::string& text) { Add(Severity::Error, position, text); }
    int EndPosition() const {
        return tokens_.empty() ? 1 : tokens_.back().position + static_cast<int>(tokens_.back().text.size());
    }

    // Takes a trailing "AT x y" off the tokens; false (with a message) when it is malformed.
    bool TakeAt() {
        at_.reset();
        for (size_t i = 1; i < tokens_.size(); ++i) {
            if (Upper(tokens_[i].text) != "AT") continue;
            std::optional<double> x, y;
            if (i + 2 < tokens_.size() + 0 && i + 3 == tokens_.size()) {
                x = Number(tokens_[i + 1].text);
                y = Number(tokens_[i + 2].text);
            }
            if (!x || !y) {
                Error(tokens_[i].position, tx_.at);
                return false;
            }
            at_ = Point{*x, *y};
            tokens_.resize(i);
            break;
        }
        return true;
    }

    int NodeAt(size_t i) {
        const int n = nodeIndex_.Find(tokens_[i].text);
        if (n < 0) Error(tokens_[i].position, tx_.node + std::string(tokens_[i].text));
        return n;
    }

    void ReadNode() {
        if (!TakeAt()) return;
        if (tokens_.size() < 2) return Error(EndPosition(), tx_.name);
        if (tokens_.size() > 2) return Error(tokens_[2].position, tx_.trailing);
        if (!nodeIndex_.Add(tokens_[1].text))
            return Error(tokens_[1].position, tx_.duplicateNode + std::string(tokens_[1].text));
        t_.nodes.push_back({std::string(tokens_[1].text), line_, at_});
    }

    void ReadSource() {
        if (tokens_.size() < 2) return Error(EndPosition(), tx_.name);
        Source s{NodeAt(1), std::nullopt, line_, at_};
        if (s.node < 0) return;
        if (tokens_.size() > 2) {
            if (Upper(tokens_[2].text) != "WHEN") return Error(tokens_[2].position, tx_.trailing);
            if (tokens_.size() < 4) return Error(EndPosition(), tx_.ts);
            s.when = ParseTs(tokens_[3].text);
            if (!s.when) return Error(tokens_[3].position, tx_.ts);
            if (tokens_.size() > 4) return Error(tokens_[4].position, tx_.trailing);
        }
        t_.sources.push_back(s);
    }

    void ReadLoad() {
        if (tokens_.size() < 2) return Error(EndPosition(), tx_.name);
        if (tokens_.size() > 2) return Error(tokens_[2].position, tx_.trailing);
        const int n = NodeAt(1);
        if (n >= 0) t_.loads.push_back({n, line_, at_});
    }

    void ReadIndicator() {
        if (tokens_.size() < 2) return Error(EndPosition(), tx_.ts);
        const auto ts = ParseTs(tokens_[1].text);
        if (!ts) return Error(tokens_[1].position, tx_.ts);
        if (tokens_.size() < 3) return Error(EndPosition(), tx_.name);
        if (tokens_.size() > 3) return Error(tokens_[3].position, tx_.trailing);
        const int n = NodeAt(2);
        if (n >= 0) t_.indicators.push_back({*ts, n, line_});
    }

    void ReadElement(Kind kind) {
        Element e;
        e.kind = kind;
        e.line = line_;
        e.at = at_;
        const bool connection = kind == Kind::Cable || kind == Kind::Transformer;
        const size_t nodes = kind == Kind::Earthing ? 1 : 2;
        size_t end = tokens_.size();
        if (!connection) {
            end = 1;
            while (end < tokens_.size() && !IsPositionWord(Upper(tokens_[end].text))) ++end;
            if (end == tokens_.size()) return Error(EndPosition(), tx_.position);
        }
        const size_t words = end - 1;
        if (words < nodes)
            return Error(end < tokens_.size() ? tokens_[end].position : EndPosition(), tx_.name);
        if (words > nodes + 1)
            return Error(tokens_[nodes + 2].position, connection ? tx_.trailing : tx_.position);
        size_t i = 1;
        if (words == nodes + 1) e.label = std::string(tokens_[i++].text);
        e.a = NodeAt(i++);
        if (nodes == 2) e.b = NodeAt(i++);
        if (e.a < 0 || (nodes == 2 && e.b < 0)) return;
        if (nodes == 2 && e.a == e.b) return Error(tokens_[1].position, tx_.sameNodes);
        if (!connection && !ReadPosition(end, e)) return;
        if (e.label.empty() && e.binding != Binding::Block) {
            e.label = t_.nodes[e.a].name + (e.b >= 0 ? "-" + t_.nodes[e.b].name : "");
        }
        t_.elements.push_back(std::move(e));
    }

    bool ReadPosition(size_t i, Element& e) {
        const std::string k = Upper(tokens_[i].text);
        size_t next = i + 1;
        if (k == "CLOSED" || k == "OPEN") {
            e.binding = Binding::Fixed;
            e.fixedClosed = k == "CLOSED";
        } else if (k == "BLOCK") {
            const auto n = next < tokens_.size() ? Integer(tokens_[next].text) : std::nullopt;
            if (!n || *n < 1 || *n > interlock::kBlockCount) {
                Error(next < tokens_.size() ? tokens_[next].position : EndPosition(), tx_.block);
                return false;
            }
            e.binding = Binding::Block;
            e.block = *n;
            ++next;
        } else {  // TS
            const auto ts = next < tokens_.size() ? ParseTs(tokens_[next].text) : std::nullopt;
            if (!ts) {
                Error(next < tokens_.size() ? tokens_[next].position : EndPosition(), tx_.ts);
                return false;
            }
            e.binding = Binding::Ts;
            e.ts = *ts;
            ++next;
        }
        if (next < tokens_.size()) {
            Error(tokens_[next].position, tx_.trailing);
            return false;
        }
        if (e.binding == Binding::Block) {
            auto [it, fresh] = bound_.emplace(e.block, line_);
            if (!fresh) {
                Error(tokens_[i + 1].position, tx_.twoBound + std::to_string(it->second));
                return false;
            }
        }
        return true;
    }

    void CheckWhole() {
        std::vector<bool> touched(t_.nodes.size(), false);
        for (Element& e : t_.elements) {
            touched[static_cast<size_t>(e.a)] = true;
            if (e.b >= 0) touched[static_cast<size_t>(e.b)] = true;
            if (e.binding != Binding::Block) continue;
            const interlock::Block& b = ws_.Blocks[e.block];
            if (b.StateSignal == 0) Add(Severity::Warning, 0, tx_.noState, e.line);
            if (e.label.empty()) {
                e.label = b.Name.substr(0, b.Name.find(' '));
                if (e.label.empty()) {
                    e.label = "#" + std::to_string(e.block);
                    Add(Severity::Warning, 0, tx_.noLabel, e.line);
                }
            }
        }
        for (size_t n = 0; n < t_.nodes.size(); ++n) {
            if (!touched[n]) Add(Severity::Warning, 0, tx_.unconnected + t_.nodes[n].name, t_.nodes[n].line);
        }
        // A TS that stands for a position or a source cannot also follow a node's voltage.
        std::map<int, int> used;  // the bit of a TS group -> the line that uses it
        auto bitOf = [&](int ts) { return analysis::BitOf(ws_.TsTable, ts).ts; };
        for (const Element& e : t_.elements) {
            if (e.binding == Binding::Ts) used.emplace(bitOf(e.ts.ts), e.line);
            if (e.binding == Binding::Block && ws_.Blocks[e.block].StateSignal != 0)
                used.emplace(bitOf(std::abs(ws_.Blocks[e.block].StateSignal)), e.line);
        }
        for (const Source& s : t_.sources)
            if (s.when) used.emplace(bitOf(s.when->ts), s.line);
        std::vector<Indicator> kept;
        for (const Indicator& i : t_.indicators) {
            auto [it, fresh] = used.emplace(bitOf(i.ts.ts), i.line);
            if (!fresh) {
                Add(Severity::Error, 0, tx_.indicatorTwice + "S" + std::to_string(i.ts.ts), i.line);
                continue;
            }
            kept.push_back(i);
        }
        t_.indicators = kept;
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            if (!ws_.Blocks[n].IsEmpty() && !bound_.count(n))
                Add(Severity::Information, 0, tx_.unbound + std::to_string(n), 0);
        }
    }

    const interlock::Workspace& ws_;
    const TopologyTexts& tx_;
    Topology t_;
    std::map<int, int> bound_;  // block -> line
    NameIndex nodeIndex_;       // name -> index in t_.nodes
    std::vector<Token> tokens_;
    std::optional<Point> at_;
    int line_ = 0;
};

}  // namespace

int Topology::NodeIndex(const std::string& name) const {
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].name == name) return static_cast<int>(i);
    return -1;
}

int Topology::ElementOfBlock(int block) const {
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i].binding == Binding::Block && elements[i].block == block) return static_cast<int>(i);
    return -1;
}

bool Topology::HasErrors() const {
    return std::any_of(messages.begin(), messages.end(),
                       [](const Message& m) { return m.severity == Severity::Error; });
}

Topology ReadTopology(const std::vector<std::string>& lines, const interlock::Workspace& ws) {
    return Reader(ws).Read(lines);
}

std::string TopologyFileFor(const std::string& configPath) {
    const size_t slash = configPath.find_last_of('/');
    const size_t dot = configPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return configPath + ".top";
    return configPath.substr(0, dot) + ".top";
}

}  // namespace topology
