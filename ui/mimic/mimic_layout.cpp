#include "ui/mimic/mimic_layout.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <utility>

namespace mimic {
namespace {

using topology::Point;

// A column holds one apparatus: its symbol 30 units from the column's left edge, its label to
// the right of it. A level is the step from one node to the next along a bay.
constexpr double kColumn = 100;
constexpr double kSymbolX = 30;
constexpr double kLevel = 80;
constexpr double kBarGap = 30;  // between the bars of a double busbar
constexpr double kMargin = 30;
constexpr double kLabelHeight = 14;
constexpr double kLabelGap = 4;
constexpr double kCharWidth = 7.5;
constexpr double kJog = 8;
constexpr double kLight = 7;  // a verdict light's side
constexpr double kLightGap = 3;
constexpr double kHalfWidest = 12;
constexpr double kMaxBusLabel = 160;  // half the widest symbol across its wire
// A label to the right of its symbol ends before the next column's lights.
constexpr double kMaxLabel = kColumn - 2 * kHalfWidest - kLight - kLightGap - 3 * kLabelGap;
constexpr double kBlade =
    24;  // an earthing switch's blade; its earth beyond  // how far a wire leaves a pin before it turns back

struct Size {
    double along = 0;   // along the wire
    double across = 0;  // across it
};

Size SizeOf(SymbolKind kind) {
    switch (kind) {
        case SymbolKind::Breaker:
            return {20, 20};
        case SymbolKind::Disconnector:
            return {28, 16};
        case SymbolKind::Earthing:
            return {36, 18};  // the blade and the earth below it
        case SymbolKind::Cable:
            return {20, 10};
        case SymbolKind::Transformer:
            return {32, 20};
        case SymbolKind::Source:
            return {24, 24};
        case SymbolKind::Load:
            return {22, 16};
    }
    return {20, 20};
}

double LabelWidth(const std::string& text, double limit) {
    if (text.empty()) return 0;
    return std::min(limit, kCharWidth * static_cast<double>(text.size()) + 4);
}

void Move(Symbol& s, double dx, double dy) {
    for (Rect* r : {&s.box, &s.labelBox, &s.onLight, &s.offLight}) r->x += dx, r->y += dy;
    for (Point* p : {&s.pinA, &s.pinB}) p->x += dx, p->y += dy;
}

bool Valid(const topology::Topology& t, int node) {
    return node >= 0 && static_cast<size_t>(node) < t.nodes.size();
}

// What meets at a node.
struct Incidence {
    enum class Type { Element, Earthing, Source, Load } type = Type::Element;
    int index = -1;
    int other = -1;  // the far node of an element between two nodes
};

// A child hanging from a node in the drawing: an element leading to another node, or a leaf.
struct Child {
    SymbolKind kind = SymbolKind::Breaker;
    int index = -1;
    int node = -1;  // the node the element leads to; -1 for a leaf
};

// An element closing a loop: drawn beside the deeper of its two nodes.
struct Closing {
    int element = -1;
    int other = -1;  // the node it joins to
};

struct Coupler {
    int left = -1, right = -1;  // busbars
    std::vector<int> elements;  // from left to right
    std::vector<int> nodes;     // between them
};

class Builder {
public:
    explicit Builder(const topology::Topology& t) : t_(t), n_(static_cast<int>(t.nodes.size())) {}

    Layout Run();

private:
    void Index();
    void FindBusbars();
    void FindCouplers();
    void Group();
    void Order();
    void Grow();
    int Width(int node) const;
    bool Upwards(const Child& c) const;
    void PlaceNode(int node, int column, double y, double dir);
    void PlacePending();
    void PlaceChild(const Child& c, int column, double y, double dir, int parent);
    int AddSymbol(SymbolKind kind, int index, Point centre, bool vertical, double dir);
    void PlaceGroups();
    void Override();
    void Route();
    Point Anchor(int node, Point from) const;
    void Bounds();

    double ColumnLeft(int column) const { return kMargin + shift_ + column * kColumn; }
    double ColumnX(int column) const { return ColumnLeft(column) + kSymbolX; }

    const topology::Topology& t_;
    int n_;
    std::vector<std::vector<Incidence>> at_;
    std::vector<int> degree_;
    std::vector<bool> bus_;
    std::vector<Coupler> couplers_;
    std::vector<int> couplerOfNode_;  // a node inside a coupler: its coupler
    std::vector<bool> couplerElement_;
    std::vector<int> group_;  // busbar -> group
    std::vector<int> row_;    // busbar -> row in its group
    std::vector<std::vector<int>> groups_;
    std::vector<int> groupOrder_;
    std::vector<int> acceptedAfter_;  // group -> coupler drawn to its right, or -1
    std::vector<int> depth_;
    std::vector<std::vector<Child>> children_;
    std::vector<std::vector<Closing>> closing_;
    std::vector<bool> hasSource_, hasLoad_;
    std::vector<int> width_;
    std::vector<bool> up_;  // the node lies in a bay drawn upwards
    std::vector<Point> nodeAt_;
    std::vector<bool> placed_;
    struct Pin {
        int symbol;
        bool a;
        int node;
        double via = -1;    // >= 0: the wire runs up or down this x (back to another bar)
        bool loop = false;  // a pin of an element closing a loop: its wire may have to go round
    };
    std::vector<Point> PlainRoute(const Pin& p) const;
    std::vector<Point> Detour(const Pin& p, int kind);
    bool Clear(const std::vector<Point>& route, int node) const;
    double Channel(double base);
    std::map<long long, int> channelUse_;  // a vertical channel's base x -> wires in it
    int corridors_ = 0;                    // horizontal corridors used above or below the drawing
    double top_ = 0, bottom_ = 0;          // the drawing's extent, for the corridors
    std::vector<Pin> pins_;
    Layout out_;
    std::vector<int> busOf_;  // node -> index in out_.buses, or -1
    double shift_ = 0;        // room made so far for busbar labels left of the first bay
    // Nodes whose place is known and whose children are still to place: a bay may be thousands
    // of nodes deep, so no recursion.
    struct Pending {
        int node;
        int column;
        double y, dir;
    };
    std::vector<Pending> pending_;
};

void Builder::Index() {
    at_.assign(n_, {});
    degree_.assign(n_, 0);
    for (int i = 0; i < static_cast<int>(t_.elements.size()); ++i) {
        const topology::Element& e = t_.elements[i];
        if (!Valid(t_, e.a)) continue;
        if (e.kind == topology::Kind::Earthing) {
            at_[e.a].push_back({Incidence::Type::Earthing, i, -1});
            continue;
        }
        if (!Valid(t_, e.b)) continue;
        at_[e.a].push_back({Incidence::Type::Element, i, e.b});
        ++degree_[e.a];
        if (e.b != e.a) {
            at_[e.b].push_back({Incidence::Type::Element, i, e.a});
            ++degree_[e.b];
        }
    }
    for (int i = 0; i < static_cast<int>(t_.sources.size()); ++i) {
        const int node = t_.sources[i].node;
        if (!Valid(t_, node)) continue;
        at_[node].push_back({Incidence::Type::Source, i, -1});
        ++degree_[node];
    }
    for (int i = 0; i < static_cast<int>(t_.loads.size()); ++i) {
        const int node = t_.loads[i].node;
        if (!Valid(t_, node)) continue;
        at_[node].push_back({Incidence::Type::Load, i, -1});
        ++degree_[node];
    }
}

// A busbar: a node where three or more breakers, disconnectors, cables, transformers, sources
// and loads meet, or one a voltage indicator watches; but not the joint of a double-busbar bay
// (a node tied by disconnectors to two busbars more joined than itself). A connected part with
// none of these has its most joined node drawn as its busbar.
void Builder::FindBusbars() {
    std::vector<bool> watched(n_, false);
    for (const topology::Indicator& i : t_.indicators)
        if (Valid(t_, i.node)) watched[i.node] = true;
    std::vector<bool> candidate(n_, false);
    for (int v = 0; v < n_; ++v) candidate[v] = degree_[v] >= 3 || watched[v];
    bus_ = candidate;
    for (int v = 0; v < n_; ++v) {
        if (!candidate[v] || watched[v]) continue;
        int stronger = 0;
        for (const Incidence& in : at_[v]) {
            if (in.type != Incidence::Type::Element || in.other == v) continue;
            if (t_.elements[in.index].kind != topology::Kind::Disconnector) continue;
            if (candidate[in.other] && (degree_[in.other] > degree_[v] || watched[in.other])) ++stronger;
        }
        if (stronger >= 2) bus_[v] = false;
    }
    // Every connected part with something in it gets a busbar.
    std::vector<int> part(n_, -1);
    for (int s = 0; s < n_; ++s) {
        if (part[s] >= 0 || at_[s].empty()) continue;
        std::vector<int> stack{s}, members;
        part[s] = s;
        while (!stack.empty()) {
            const int v = stack.back();
            stack.pop_back();
            members.push_back(v);
            for (const Incidence& in : at_[v])
                if (in.type == Incidence::Type::Element && part[in.other] < 0) {
                    part[in.other] = s;
                    stack.push_back(in.other);
                }
        }
        bool any = false;
        for (int v : members) any = any || bus_[v];
        if (any) continue;
        int best = members.front();
        for (int v : members)
            if (degree_[v] > degree_[best] || (degree_[v] == degree_[best] && v < best)) best = v;
        bus_[best] = true;
    }
}

// A coupler: a chain of elements from one busbar to another through nodes that join nothing
// else but at most one earthing switch each.
void Builder::FindCouplers() {
    couplerOfNode_.assign(n_, -1);
    couplerElement_.assign(t_.elements.size(), false);
    std::vector<bool> seen(t_.elements.size(), false);
    for (int b = 0; b < n_; ++b) {
        if (!bus_[b]) continue;
        for (const Incidence& start : at_[b]) {
            if (start.type != Incidence::Type::Element || seen[start.index] || start.other == b) continue;
            Coupler c;
            c.left = b;
            c.elements.push_back(start.index);
            int cur = start.other, via = start.index;
            bool ok = true;
            while (ok && !bus_[cur] && c.elements.size() <= t_.elements.size()) {
                int next = -1, count = 0, earthings = 0;
                bool other = false;  // a source, a load or a loop at the node
                for (const Incidence& in : at_[cur]) {
                    if (in.type == Incidence::Type::Earthing) {
                        ++earthings;
                    } else if (in.type != Incidence::Type::Element || in.other == cur) {
                        other = true;
                    } else {
                        ++count;
                        if (in.index != via) next = in.index;
                    }
                }
                if (other) count = 0;
                if (count != 2 || earthings > 1 || next < 0) {
                    ok = false;
                    break;
                }
                c.nodes.push_back(cur);
                c.elements.push_back(next);
                via = next;
                const topology::Element& e = t_.elements[next];
                cur = e.a == cur ? e.b : e.a;
            }
            if (!ok || !bus_[cur] || cur == b) continue;
            c.right = cur;
            for (int e : c.elements) seen[e] = true;
            couplers_.push_back(std::move(c));
        }
    }
}

// Busbars that share bays (a double busbar) form a group drawn as stacked bars; groups follow
// each other from left to right, joined by the couplers between them.
void Builder::Group() {
    std::vector<int> parent(n_);
    std::iota(parent.begin(), parent.end(), 0);
    std::function<int(int)> find = [&](int v) { return parent[v] == v ? v : parent[v] = find(parent[v]); };
    std::vector<bool> inCoupler(n_, false);
    std::vector<bool> chainElement(t_.elements.size(), false);
    for (const Coupler& c : couplers_) {
        for (int v : c.nodes) inCoupler[v] = true;
        for (int e : c.elements) chainElement[e] = true;
    }
    // Parts of the scheme off the busbars and couplers: those touching two busbars tie them.
    std::vector<bool> seen(n_, false);
    for (int s = 0; s < n_; ++s) {
        if (bus_[s] || inCoupler[s] || seen[s]) continue;
        std::vector<int> stack{s}, touched;
        seen[s] = true;
        while (!stack.empty()) {
            const int v = stack.back();
            stack.pop_back();
            for (const Incidence& in : at_[v]) {
                if (in.type != Incidence::Type::Element || chainElement[in.index]) continue;
                if (bus_[in.other]) {
                    touched.push_back(in.other);
                } else if (!seen[in.other] && !inCoupler[in.other]) {
                    seen[in.other] = true;
                    stack.push_back(in.other);
                }
            }
        }
        for (size_t i = 1; i < touched.size(); ++i) parent[find(touched[i])] = find(touched[0]);
    }
    group_.assign(n_, -1);
    row_.assign(n_, 0);
    for (int v = 0; v < n_; ++v) {
        if (!bus_[v]) continue;
        const int root = find(v);
        if (group_[root] < 0) {
            group_[root] = static_cast<int>(groups_.size());
            groups_.emplace_back();
        }
        group_[v] = group_[root];
        row_[v] = static_cast<int>(groups_[group_[v]].size());
        groups_[group_[v]].push_back(v);
    }
}

// The groups from left to right: each followed by the group its first coupler leads to. A
// coupler is drawn on its bars' line only between neighbours with the bars on the same row;
// any other is drawn as a bay.
void Builder::Order() {
    const int g = static_cast<int>(groups_.size());
    std::vector<bool> done(g, false);
    acceptedAfter_.assign(g, -1);
    std::vector<bool> used(couplers_.size(), false);
    for (int s = 0; s < g; ++s) {
        int cur = s;
        while (cur >= 0 && !done[cur]) {
            done[cur] = true;
            groupOrder_.push_back(cur);
            int next = -1;
            for (size_t i = 0; i < couplers_.size() && next < 0; ++i) {
                Coupler& c = couplers_[i];
                if (used[i]) continue;
                if (group_[c.right] == cur) {
                    std::reverse(c.elements.begin(), c.elements.end());
                    std::reverse(c.nodes.begin(), c.nodes.end());
                    std::swap(c.left, c.right);
                }
                if (group_[c.left] != cur || done[group_[c.right]] || row_[c.left] != row_[c.right]) continue;
                used[i] = true;
                acceptedAfter_[cur] = static_cast<int>(i);
                next = group_[c.right];
            }
            cur = next;
        }
    }
    std::vector<Coupler> kept;
    std::vector<int> renumber(couplers_.size(), -1);
    for (size_t i = 0; i < couplers_.size(); ++i)
        if (used[i]) {
            renumber[i] = static_cast<int>(kept.size());
            kept.push_back(std::move(couplers_[i]));
        }
    for (int& a : acceptedAfter_)
        if (a >= 0) a = renumber[a];
    couplers_ = std::move(kept);
    for (size_t i = 0; i < couplers_.size(); ++i) {
        for (int v : couplers_[i].nodes) couplerOfNode_[v] = static_cast<int>(i);
        for (int e : couplers_[i].elements) couplerElement_[e] = true;
    }
}

// The bays: a breadth-first tree from all busbars at once; an element meeting a node already
// reached closes a loop and is drawn beside the deeper of its two nodes.
void Builder::Grow() {
    depth_.assign(n_, -1);
    children_.assign(n_, {});
    closing_.assign(n_, {});
    std::vector<int> queue;
    for (int g : groupOrder_)
        for (int b : groups_[g]) {
            depth_[b] = 0;
            queue.push_back(b);
        }
    for (int v = 0; v < n_; ++v)
        if (couplerOfNode_[v] >= 0) depth_[v] = 0;
    std::vector<bool> done(t_.elements.size(), false);
    for (size_t i = 0; i < couplers_.size(); ++i)
        for (int e : couplers_[i].elements) done[e] = true;
    // The leaves of the coupler's nodes hang from them.
    for (int v = 0; v < n_; ++v)
        if (couplerOfNode_[v] >= 0) queue.push_back(v);
    for (size_t qi = 0; qi < queue.size(); ++qi) {
        const int v = queue[qi];
        for (const Incidence& in : at_[v]) {
            switch (in.type) {
                case Incidence::Type::Earthing:
                    children_[v].push_back({SymbolKind::Earthing, in.index, -1});
                    break;
                case Incidence::Type::Source:
                    children_[v].push_back({SymbolKind::Source, in.index, -1});
                    break;
                case Incidence::Type::Load:
                    children_[v].push_back({SymbolKind::Load, in.index, -1});
                    break;
                case Incidence::Type::Element: {
                    if (done[in.index]) break;
                    done[in.index] = true;
                    const auto kind = static_cast<SymbolKind>(t_.elements[in.index].kind);
                    const int w = in.other;
                    if (depth_[w] < 0) {
                        depth_[w] = depth_[v] + 1;
                        children_[v].push_back({kind, in.index, w});
                        queue.push_back(w);
                    } else {
                        const bool here = depth_[v] > depth_[w] || (depth_[v] == depth_[w] && !bus_[v]);
                        closing_[here ? v : w].push_back({in.index, here ? w : v});
                    }
                    break;
                }
            }
        }
    }
    // Which subtrees reach a source or a load.
    hasSource_.assign(n_, false);
    hasLoad_.assign(n_, false);
    for (size_t qi = queue.size(); qi-- > 0;) {
        const int v = queue[qi];
        for (const Child& c : children_[v]) {
            if (c.kind == SymbolKind::Source) hasSource_[v] = true;
            if (c.kind == SymbolKind::Load) hasLoad_[v] = true;
            if (c.node >= 0 && !bus_[c.node]) {
                hasSource_[v] = hasSource_[v] || hasSource_[c.node];
                hasLoad_[v] = hasLoad_[v] || hasLoad_[c.node];
            }
        }
    }
    // The continuation of a bay first, then sources and loads, then earthing switches.
    for (int v = 0; v < n_; ++v) {
        auto rank = [](const Child& c) {
            if (c.node >= 0) return 0;
            return c.kind == SymbolKind::Earthing ? 2 : 1;
        };
        std::stable_sort(children_[v].begin(), children_[v].end(),
                         [&](const Child& x, const Child& y) { return rank(x) < rank(y); });
    }
    up_.assign(n_, false);
    for (const int v : queue)
        for (const Child& c : children_[v])
            if (c.node >= 0 && !bus_[c.node]) up_[c.node] = bus_[v] ? Upwards(c) : up_[v];
    // An upward bay's earthing switches hang below their node, beside the element under it.
    width_.assign(n_, 0);
    for (size_t qi = queue.size(); qi-- > 0;) {
        const int v = queue[qi];
        int sum = 0, earthings = 0;
        for (const Child& c : children_[v]) {
            if (up_[v] && c.kind == SymbolKind::Earthing)
                ++earthings;
            else
                sum += c.node >= 0 ? width_[c.node] : 1;
        }
        width_[v] = std::max(sum, 1 + static_cast<int>(closing_[v].size()) + earthings);
    }
}

int Builder::Width(int node) const { return width_[node]; }

// Sources on top: a bay that reaches a source and no load grows upwards from its busbar.
bool Builder::Upwards(const Child& c) const {
    if (c.node < 0) return c.kind == SymbolKind::Source;
    return hasSource_[c.node] && !hasLoad_[c.node];
}

int Builder::AddSymbol(SymbolKind kind, int index, Point centre, bool vertical, double dir) {
    Symbol s;
    s.kind = kind;
    s.index = index;
    s.vertical = vertical;
    const Size size = SizeOf(kind);
    const double w = vertical ? size.across : size.along;
    const double h = vertical ? size.along : size.across;
    s.box = {centre.x - w / 2, centre.y - h / 2, w, h};
    // pinA faces the node the symbol hangs from (dir > 0: the bay grows down or right).
    const double half = size.along / 2;
    if (vertical) {
        s.pinA = {centre.x, centre.y - dir * half};
        s.pinB = {centre.x, centre.y + dir * half};
    } else {
        s.pinA = {centre.x - dir * half, centre.y};
        s.pinB = {centre.x + dir * half, centre.y};
    }
    if (kind == SymbolKind::Earthing) s.pinB = {s.pinA.x, s.pinA.y + dir * kBlade};  // the earth begins
    switch (kind) {
        case SymbolKind::Source:
            s.label = t_.nodes[t_.sources[index].node].name;
            break;
        case SymbolKind::Load:
            s.label = t_.nodes[t_.loads[index].node].name;
            break;
        default:
            s.label = t_.elements[index].label;
            break;
    }
    if (vertical) {
        const double lw = LabelWidth(s.label, kMaxLabel);
        s.labelBox = {s.box.x + s.box.w + kLabelGap, centre.y - kLabelHeight / 2, lw, kLabelHeight};
    } else {
        const double lw = LabelWidth(s.label, kColumn - 10);
        s.labelBox = {centre.x - lw / 2, s.box.y - kLabelGap - kLabelHeight, lw, kLabelHeight};
    }
    const bool block = kind != SymbolKind::Source && kind != SymbolKind::Load &&
                       t_.elements[index].binding == topology::Binding::Block;
    if (block && vertical) {
        s.onLight = {s.box.x - kLightGap - kLight, centre.y - kLight - 1, kLight, kLight};
        s.offLight = {s.onLight.x, centre.y + 1, kLight, kLight};
    } else if (block) {
        s.onLight = {centre.x - kLight - 1, s.box.y + s.box.h + kLightGap, kLight, kLight};
        s.offLight = {centre.x + 1, s.onLight.y, kLight, kLight};
    }
    out_.symbols.push_back(std::move(s));
    return static_cast<int>(out_.symbols.size()) - 1;
}

void Builder::PlaceChild(const Child& c, int column, double y, double dir, int parent) {
    const Point centre{ColumnX(column), y + dir * kLevel / 2};
    const int s = AddSymbol(c.kind, c.index, centre, true, dir);
    if (c.node < 0) {
        pins_.push_back({s, true, parent});
        return;
    }
    // pinA is the topology's first node's; AddSymbol put it towards the parent.
    const bool parentIsA = t_.elements[c.index].a == parent;
    if (!parentIsA) std::swap(out_.symbols[s].pinA, out_.symbols[s].pinB);
    pins_.push_back({s, parentIsA, parent});
    pins_.push_back({s, !parentIsA, c.node});
    if (!bus_[c.node]) pending_.push_back({c.node, column, y + dir * kLevel, dir});
}

void Builder::PlacePending() {
    while (!pending_.empty()) {
        const Pending p = pending_.back();
        pending_.pop_back();
        PlaceNode(p.node, p.column, p.y, p.dir);
    }
}

void Builder::PlaceNode(int node, int column, double y, double dir) {
    nodeAt_[node] = {ColumnX(column), y};
    placed_[node] = true;
    int col = column;
    int side = column + 1 + static_cast<int>(closing_[node].size());
    for (const Child& c : children_[node]) {
        if (dir < 0 && c.kind == SymbolKind::Earthing) {
            PlaceChild(c, side++, y, 1, node);
            continue;
        }
        PlaceChild(c, col, y, dir, node);
        col += c.node >= 0 ? Width(c.node) : 1;
    }
    // Elements closing a loop here: beside the element above this node.
    int k = 1;
    for (const Closing& c : closing_[node]) {
        const topology::Element& e = t_.elements[c.element];
        const Point centre{ColumnX(column + k), y - dir * kLevel / 2};
        const int s = AddSymbol(static_cast<SymbolKind>(e.kind), c.element, centre, true, dir);
        // pinB (the far end from the node above) faces this node.
        const bool aHere = e.a == node;
        if (aHere) std::swap(out_.symbols[s].pinA, out_.symbols[s].pinB);
        pins_.push_back({s, true, e.a, -1, true});
        pins_.push_back({s, false, e.b, -1, true});
        ++k;
    }
}

void Builder::PlaceGroups() {
    const int nodes = n_;
    nodeAt_.assign(nodes, {});
    placed_.assign(nodes, false);
    busOf_.assign(nodes, -1);
    int column = 0;
    for (int g : groupOrder_) {
        const std::vector<int>& bars = groups_[g];
        const double top = 0;
        const double bottom = top + kBarGap * static_cast<double>(bars.size() - 1);
        const int first = column;
        int up = first, down = first;
        // The bars reach out to the left for their labels, clear of the first bay's wires.
        double labels = 0;
        for (int b : bars) labels = std::max(labels, LabelWidth(t_.nodes[b].name, kMaxBusLabel));
        const double reach = labels + 2 * kLabelGap;
        shift_ += reach;
        for (int b : bars) {
            for (const Child& c : children_[b]) {
                const bool upwards = Upwards(c);
                int& col = upwards ? up : down;
                const double dir = upwards ? -1 : 1;
                const double y = upwards ? top : bottom;
                PlaceChild(c, col, y, dir, b);
                PlacePending();
                col += c.node >= 0 && !bus_[c.node] ? Width(c.node) : 1;
            }
            // Elements between two busbars drawn as bays: below the bars, a column to spare for
            // the wire back up to the other bar.
            for (const Closing& c : closing_[b]) {
                const topology::Element& e = t_.elements[c.element];
                const Point centre{ColumnX(down), bottom + kLevel / 2};
                const int s = AddSymbol(static_cast<SymbolKind>(e.kind), c.element, centre, true, 1);
                if (e.a != b) std::swap(out_.symbols[s].pinA, out_.symbols[s].pinB);
                pins_.push_back({s, e.a == b, b, -1, true});
                pins_.push_back({s, e.a != b, c.other, ColumnX(down + 1), true});
                down += 2;
            }
        }
        const int last = std::max({up, down, first + 1});
        for (int b : bars) {
            Bus bus;
            bus.node = b;
            const double x0 = ColumnLeft(first) + 4 - reach;
            const double x1 = ColumnLeft(last) - 4;
            bus.bar = {x0, top + kBarGap * row_[b] - 2, x1 - x0, 4};
            bus.label = t_.nodes[b].name;
            bus.labelBox = {x0 + kLabelGap, bus.bar.y - kLabelGap - kLabelHeight,
                            LabelWidth(bus.label, kMaxBusLabel), kLabelHeight};
            busOf_[b] = static_cast<int>(out_.buses.size());
            out_.buses.push_back(std::move(bus));
        }
        column = last;
        // The coupler to the next group, along the bars' line.
        const int ci = acceptedAfter_[g];
        if (ci < 0) {
            ++column;  // a gap between unrelated parts
            continue;
        }
        const Coupler& c = couplers_[ci];
        const double y = top + kBarGap * row_[c.left];
        int from = c.left;
        for (size_t i = 0; i < c.elements.size(); ++i) {
            const topology::Element& e = t_.elements[c.elements[i]];
            const Point centre{ColumnLeft(column) + (i + 0.5) * kColumn, y};
            const int s = AddSymbol(static_cast<SymbolKind>(e.kind), c.elements[i], centre, false, 1);
            const int to = i + 1 < c.elements.size() ? c.nodes[i] : c.right;
            if (e.a != from) std::swap(out_.symbols[s].pinA, out_.symbols[s].pinB);
            pins_.push_back({s, true, e.a});
            pins_.push_back({s, false, e.b});
            if (i + 1 < c.elements.size()) {
                const int v = c.nodes[i];
                nodeAt_[v] = {ColumnLeft(column) + (i + 1) * kColumn, y};
                placed_[v] = true;
                for (const Child& leaf : children_[v]) {
                    const Point lc{nodeAt_[v].x, y + kLevel / 2};
                    const int ls = AddSymbol(leaf.kind, leaf.index, lc, true, 1);
                    pins_.push_back({ls, true, v});
                }
            }
            from = to;
        }
        column += static_cast<int>(c.elements.size());
    }
}

// "AT x y": a node's point (a busbar: its left end), a symbol's centre.
void Builder::Override() {
    for (Bus& b : out_.buses)
        if (const auto& at = t_.nodes[b.node].at) {
            const double dx = at->x - b.bar.x, dy = at->y - b.bar.h / 2 - b.bar.y;
            b.bar.x += dx, b.bar.y += dy;
            b.labelBox.x += dx, b.labelBox.y += dy;
        }
    for (int v = 0; v < n_; ++v)
        if (t_.nodes[v].at && !bus_[v]) nodeAt_[v] = *t_.nodes[v].at;
    for (Symbol& s : out_.symbols) {
        std::optional<Point> at;
        if (s.kind == SymbolKind::Source)
            at = t_.sources[s.index].at;
        else if (s.kind == SymbolKind::Load)
            at = t_.loads[s.index].at;
        else
            at = t_.elements[s.index].at;
        if (!at) continue;
        const double dx = at->x - (s.box.x + s.box.w / 2), dy = at->y - (s.box.y + s.box.h / 2);
        Move(s, dx, dy);
    }
}

Point Builder::Anchor(int node, Point from) const {
    if (busOf_[node] >= 0) {
        const Rect& bar = out_.buses[busOf_[node]].bar;
        return {std::clamp(from.x, bar.x, bar.x + bar.w), bar.y + bar.h / 2};
    }
    return nodeAt_[node];
}

// The segment passes through the inside of the rectangle (touching its edge does not count).
bool Crosses(Point a, Point b, const Rect& r) {
    const double x0 = r.x + 0.5, x1 = r.x + r.w - 0.5, y0 = r.y + 0.5, y1 = r.y + r.h - 0.5;
    if (x0 >= x1 || y0 >= y1) return false;
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - x0, x1 - a.x, a.y - y0, y1 - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

// The wire of a pin as the tree puts it: out of the symbol, then at right angles to the node.
std::vector<Point> Builder::PlainRoute(const Pin& p) const {
    const Symbol& s = out_.symbols[p.symbol];
    const Point pin = p.a ? s.pinA : s.pinB;
    const Point to = Anchor(p.node, p.via >= 0 ? Point{p.via, pin.y} : pin);
    const Point centre{s.box.x + s.box.w / 2, s.box.y + s.box.h / 2};
    std::vector<Point> w{pin};
    if (p.via >= 0) {
        const double out = pin.y < centre.y ? -1 : 1;
        w.push_back({pin.x, pin.y + out * kJog});
        w.push_back({p.via, pin.y + out * kJog});
        w.push_back({p.via, to.y});
    } else if (s.vertical) {
        const double out = pin.y < centre.y ? -1 : 1;
        if ((to.y - pin.y) * out >= 0) {
            w.push_back({pin.x, to.y});
        } else {
            w.push_back({pin.x, pin.y + out * kJog});
            w.push_back({to.x, pin.y + out * kJog});
        }
    } else {
        const double out = pin.x < centre.x ? -1 : 1;
        if ((to.x - pin.x) * out >= 0) {
            w.push_back({to.x, pin.y});
        } else {
            w.push_back({pin.x + out * kJog, pin.y});
            w.push_back({pin.x + out * kJog, to.y});
        }
    }
    w.push_back(to);
    return w;
}

// No segment runs through a symbol, nor along the bar of another node (it would read as joined).
bool Builder::Clear(const std::vector<Point>& route, int node) const {
    for (size_t i = 1; i < route.size(); ++i) {
        const Point a = route[i - 1], b = route[i];
        for (const Symbol& s : out_.symbols)
            if (Crosses(a, b, s.box)) return false;
        if (a.y != b.y) continue;
        for (const Bus& bus : out_.buses) {
            if (bus.node == node || a.y != bus.bar.y + bus.bar.h / 2) continue;
            if (std::max(a.x, b.x) > bus.bar.x && std::min(a.x, b.x) < bus.bar.x + bus.bar.w) return false;
        }
    }
    return true;
}

// A vertical channel at a column's left edge, between the labels of the column before and the
// lights of this one; wires sharing it run side by side.
double Builder::Channel(double base) {
    static constexpr double kOffsets[] = {0, 2, -2, 3, -3};
    int& used = channelUse_[std::llround(base * 4)];
    return base + kOffsets[used++ % 5];
}

// A way round for the wire of a vertical symbol: out of the symbol, into the channel beside
// it, then (kind 0) along the node's own level, or (kind 1, 2) along a corridor below or above
// the drawing to a channel beside the node.
std::vector<Point> Builder::Detour(const Pin& p, int kind) {
    const Symbol& s = out_.symbols[p.symbol];
    const Point pin = p.a ? s.pinA : s.pinB;
    const Point centre{s.box.x + s.box.w / 2, s.box.y + s.box.h / 2};
    const double out = pin.y < centre.y ? -1 : 1;
    const double jog = pin.y + out * kJog;
    const Point towards = Anchor(p.node, pin);
    const double edge = centre.x - kSymbolX + 4;  // this column's channel
    const double xp = Channel(towards.x < centre.x ? edge : edge + kColumn);
    std::vector<Point> w{pin, {pin.x, jog}, {xp, jog}};
    if (kind == 0) {
        const Point to = Anchor(p.node, {xp, jog});
        w.push_back({xp, to.y});
        w.push_back(to);
        return w;
    }
    double xt = 0;
    if (busOf_[p.node] >= 0) {
        // A channel within the bar, the nearest to where the wire starts.
        const Rect& bar = out_.buses[busOf_[p.node]].bar;
        xt = bar.x + bar.w - kColumn + 8;
        while (xt - kColumn >= bar.x && std::abs(xt - kColumn - xp) < std::abs(xt - xp)) xt -= kColumn;
        if (xt < bar.x) xt = bar.x + bar.w / 2;
        xt = Channel(xt);
    } else {
        xt = Channel(nodeAt_[p.node].x - kSymbolX + 4);
    }
    const double yc = kind == 1 ? bottom_ + kLevel / 4 + 6 * corridors_ : top_ - kLevel / 4 - 6 * corridors_;
    ++corridors_;
    const Point to = Anchor(p.node, {xt, yc});
    w.push_back({xp, yc});
    w.push_back({xt, yc});
    w.push_back({xt, to.y});
    w.push_back(to);
    return w;
}

// Every pin is joined to its node's point by a wire that leaves the symbol outwards and turns
// at right angles. The wires of elements closing a loop go round what stands in their way.
void Builder::Route() {
    top_ = 1e18, bottom_ = -1e18;
    for (const Symbol& s : out_.symbols)
        top_ = std::min(top_, s.box.y), bottom_ = std::max(bottom_, s.box.y + s.box.h);
    for (const Bus& b : out_.buses)
        top_ = std::min(top_, b.bar.y), bottom_ = std::max(bottom_, b.bar.y + b.bar.h);
    size_t loops = 0;
    for (const Pin& p : pins_) loops += p.loop;
    // Each check looks at every symbol: a drawing too large for that keeps the plain wires.
    const bool check = loops * out_.symbols.size() <= 20'000'000;
    for (const Pin& p : pins_) {
        Wire w;
        w.node = p.node;
        w.points = PlainRoute(p);
        if (p.loop && check && out_.symbols[p.symbol].vertical && !Clear(w.points, p.node)) {
            for (int kind = 0; kind < 3; ++kind) {
                std::vector<Point> round = Detour(p, kind);
                if (!Clear(round, p.node)) continue;
                w.points = std::move(round);
                break;
            }
        }
        std::vector<Point> kept;
        for (const Point& q : w.points)
            if (kept.empty() || kept.back().x != q.x || kept.back().y != q.y) kept.push_back(q);
        if (kept.size() == 1) kept.push_back(kept.front());
        w.points = std::move(kept);
        out_.wires.push_back(std::move(w));
    }
}

void Builder::Bounds() {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    auto add = [&](const Rect& r) {
        if (!any) {
            x0 = r.x, y0 = r.y, x1 = r.x + r.w, y1 = r.y + r.h;
            any = true;
            return;
        }
        x0 = std::min(x0, r.x), y0 = std::min(y0, r.y);
        x1 = std::max(x1, r.x + r.w), y1 = std::max(y1, r.y + r.h);
    };
    for (const Bus& b : out_.buses) {
        add(b.bar);
        if (b.labelBox.w > 0) add(b.labelBox);
    }
    for (const Symbol& s : out_.symbols) {
        add(s.box);
        for (const Rect* r : {&s.labelBox, &s.onLight, &s.offLight})
            if (r->w > 0) add(*r);
    }
    for (const Wire& w : out_.wires)
        for (const Point& p : w.points) add({p.x, p.y, 0, 0});
    out_.bounds = any ? Rect{x0 - kMargin, y0 - kMargin, x1 - x0 + 2 * kMargin, y1 - y0 + 2 * kMargin}
                      : Rect{0, 0, 2 * kMargin, 2 * kMargin};
}

Layout Builder::Run() {
    Index();
    FindBusbars();
    FindCouplers();
    Group();
    Order();
    Grow();
    PlaceGroups();
    // The automatic drawing starts at the margin; hand places are taken as written.
    double minX = 1e18, minY = 1e18;
    auto low = [&](const Rect& r) {
        minX = std::min(minX, r.x);
        minY = std::min(minY, r.y);
    };
    for (const Bus& b : out_.buses) {
        low(b.bar);
        low(b.labelBox);
    }
    for (const Symbol& s : out_.symbols) {
        low(s.box);
        low(s.labelBox);
    }
    if (minX < 1e17) {
        const double dx = kMargin - minX, dy = kMargin + kLabelHeight + kLabelGap - minY;
        for (Bus& b : out_.buses) {
            b.bar.x += dx, b.bar.y += dy;
            b.labelBox.x += dx, b.labelBox.y += dy;
        }
        for (Symbol& s : out_.symbols) Move(s, dx, dy);
        for (int v = 0; v < n_; ++v) nodeAt_[v].x += dx, nodeAt_[v].y += dy;
    }
    Override();
    Route();
    Bounds();
    return std::move(out_);
}

}  // namespace

int Layout::SymbolAt(topology::Point p) const {
    // A little slack around small symbols; the nearest centre wins where two reach.
    int best = -1;
    double bestDistance = 0;
    for (size_t i = 0; i < symbols.size(); ++i) {
        const Rect& b = symbols[i].box;
        const Rect grown{b.x - 3, b.y - 3, b.w + 6, b.h + 6};
        if (!grown.Contains(p)) continue;
        const double dx = p.x - (b.x + b.w / 2), dy = p.y - (b.y + b.h / 2);
        const double d = dx * dx + dy * dy;
        if (best < 0 || d < bestDistance) best = static_cast<int>(i), bestDistance = d;
    }
    return best;
}

int Layout::SymbolOfElement(int element) const {
    for (size_t i = 0; i < symbols.size(); ++i) {
        const SymbolKind k = symbols[i].kind;
        if (k != SymbolKind::Source && k != SymbolKind::Load && symbols[i].index == element)
            return static_cast<int>(i);
    }
    return -1;
}

Layout LayOut(const topology::Topology& topology) { return Builder(topology).Run(); }

}  // namespace mimic
