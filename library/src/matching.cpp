#include "library/matching.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <unordered_set>
#include <utility>

#include "general_matching.h"
#include "text_forms.h"

namespace ostrino::library {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
using Table = std::vector<std::vector<double>>;

// ---------------------------------------------------------------------------------------
// Distances between two records

std::vector<MeasuredPoint> measuredPoints(const LibraryRecord& r) {
    std::vector<MeasuredPoint> measured;
    for (const MeasuredPoint& p : r.points) {
        if (p.curve >= 1.0) {
            measured.push_back(p);
        }
    }
    return measured;
}

bool sameSetPoints(const std::vector<MeasuredPoint>& a, const std::vector<MeasuredPoint>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    auto supplyClose = [](double x, double y) {
        return std::fabs(x - y) <= 1.0 + 0.02 * std::max(std::fabs(x), std::fabs(y));
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        const MeasuredPoint& p = a[i];
        const MeasuredPoint& q = b[i];
        if (p.curve != q.curve || std::fabs(p.vh - q.vh) > 0.05 || std::fabs(p.vg - q.vg) > 0.05 ||
            !supplyClose(p.va, q.va) || !supplyClose(p.vs, q.vs)) {
            return false;
        }
    }
    return true;
}

// |x - y| relative to the larger magnitude; 0 when both are 0.
double relativeDifference(double x, double y) {
    const double larger = std::max(std::fabs(x), std::fabs(y));
    return larger > 0.0 ? std::fabs(x - y) / larger : 0.0;
}

std::optional<double> sweepDistance(const std::vector<MeasuredPoint>& a,
                                    const std::vector<MeasuredPoint>& b) {
    if (a.empty() || !sameSetPoints(a, b)) {
        return std::nullopt;
    }
    double largestIa = 0.0;
    double largestIs = 0.0;
    for (const auto* points : {&a, &b}) {
        for (const MeasuredPoint& p : *points) {
            largestIa = std::max(largestIa, p.ia);
            largestIs = std::max(largestIs, p.is);
        }
    }
    const double top = std::max(largestIa, largestIs);
    if (top <= 0.0) {
        return std::nullopt;
    }
    // A current that stays below 2 % of the other is only the noise of an unused input (the
    // screen current of a triode).
    const bool useIa = largestIa >= 0.02 * top;
    const bool useIs = largestIs >= 0.02 * top;
    double sum = 0.0;
    int count = 0;
    auto add = [&](double x, double y, double largest) {
        if (std::max(x, y) >= 0.05 * largest) {
            const double r = relativeDifference(x, y);
            sum += r * r;
            ++count;
        }
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (useIa) {
            add(a[i].ia, b[i].ia, largestIa);
        }
        if (useIs) {
            add(a[i].is, b[i].is, largestIs);
        }
    }
    // The point with the largest current always counts, so count > 0.
    return 100.0 * std::sqrt(sum / count);
}

struct SectionFigures {
    std::optional<double> ia, gm, mu;
};

std::map<int, SectionFigures> sectionsOf(const LibraryRecord& r) {
    std::map<int, SectionFigures> sections;
    for (const QuickTestValue& q : r.quickTest) {
        if (q.name == "Ia") {
            sections[q.section].ia = q.value;
        } else if (q.name == "Gm") {
            sections[q.section].gm = q.value;
        } else if (q.name == "mu") {
            sections[q.section].mu = q.value;
        }
    }
    return sections;
}

// What matching needs of a record, worked out once.
struct Prepared {
    bool quickTest = false;
    std::vector<MeasuredPoint> points;  // the measured ones
    std::map<int, SectionFigures> sections;
};

Prepared prepare(const LibraryRecord& r) {
    return {!r.quickTest.empty(), measuredPoints(r), sectionsOf(r)};
}

std::optional<double> quickTestDistance(const Prepared& a, const Prepared& b) {
    if (!a.points.empty() && !b.points.empty() && !sameSetPoints(a.points, b.points)) {
        return std::nullopt;
    }
    auto figures = [](const Prepared& p, int section) {
        const auto it = p.sections.find(section);
        return it == p.sections.end() ? SectionFigures{} : it->second;
    };
    double firstIa = 0.0;
    for (const Prepared* p : {&a, &b}) {
        firstIa = std::max(firstIa, std::fabs(figures(*p, 1).ia.value_or(0.0)));
    }
    // Section 2 takes part when either valve shows a live second section (a double triode).
    bool secondLive = false;
    for (const Prepared* p : {&a, &b}) {
        const std::optional<double> ia = figures(*p, 2).ia;
        secondLive = secondLive || (ia && std::fabs(*ia) >= 0.05 * firstIa);
    }
    std::vector<SectionFigures> units{figures(a, 1), figures(b, 1)};
    if (secondLive) {
        units.push_back(figures(a, 2));
        units.push_back(figures(b, 2));
    }
    // Every section against every other: the two valves with each other and, for a double
    // triode, each valve's two sections (its balance).
    double worst = 0.0;
    bool compared = false;
    for (auto figure : {&SectionFigures::ia, &SectionFigures::gm, &SectionFigures::mu}) {
        for (std::size_t i = 0; i < units.size(); ++i) {
            for (std::size_t j = i + 1; j < units.size(); ++j) {
                const std::optional<double>& x = units[i].*figure;
                const std::optional<double>& y = units[j].*figure;
                if (x && y) {
                    worst = std::max(worst, relativeDifference(*x, *y));
                    compared = true;
                } else if (x || y) {
                    worst = 1.0;  // one shows a figure the other could not give
                    compared = true;
                }
            }
        }
    }
    if (!compared) {
        return std::nullopt;
    }
    return 100.0 * worst;
}

std::optional<double> distanceOf(const Prepared& a, const Prepared& b) {
    if (a.quickTest != b.quickTest) {
        return std::nullopt;
    }
    return a.quickTest ? quickTestDistance(a, b) : sweepDistance(a.points, b.points);
}

bool equalIgnoringCase(const std::string& x, const std::string& y) {
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
        return std::tolower(static_cast<unsigned char>(p)) ==
               std::tolower(static_cast<unsigned char>(q));
    });
}

// Why a record cannot take part in matching; empty when it can.
std::string whyNotMatchable(const LibraryRecord& r) {
    if (!r.quickTest.empty()) {
        for (const auto& [section, figures] : sectionsOf(r)) {
            if (figures.ia || figures.gm || figures.mu) {
                return {};
            }
        }
        return "its quick test has no Ia, Gm or mu to compare";
    }
    const std::vector<MeasuredPoint> points = measuredPoints(r);
    if (points.empty()) {
        return "it holds no measured points";
    }
    for (const MeasuredPoint& p : points) {
        if (p.ia > 0.0 || p.is > 0.0) {
            return {};
        }
    }
    return "no current was measured";
}

// ---------------------------------------------------------------------------------------
// Pairs: a bottleneck matching

std::vector<double> distinctDistances(const Table& d) {
    std::vector<double> values;
    for (std::size_t i = 0; i < d.size(); ++i) {
        for (std::size_t j = i + 1; j < d.size(); ++j) {
            if (std::isfinite(d[i][j])) {
                values.push_back(d[i][j]);
            }
        }
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

std::vector<int> matchWithin(const Table& d, double threshold) {
    std::vector<std::vector<int>> graph(d.size());
    for (std::size_t i = 0; i < d.size(); ++i) {
        for (std::size_t j = i + 1; j < d.size(); ++j) {
            if (d[i][j] <= threshold) {
                graph[i].push_back(static_cast<int>(j));
                graph[j].push_back(static_cast<int>(i));
            }
        }
    }
    return maximumMatching(graph);
}

std::size_t pairCount(const std::vector<int>& mate) {
    std::size_t count = 0;
    for (std::size_t v = 0; v < mate.size(); ++v) {
        count += mate[v] > static_cast<int>(v) ? 1 : 0;
    }
    return count;
}

struct Bottleneck {
    double threshold = 0.0;
    std::vector<int> mate;
};

// The smallest distance t for which `wanted` disjoint pairs, none longer than t, exist, and
// such a matching. Binary search over the sorted distances: whether a maximum matching
// among the edges up to t has `wanted` pairs only grows with t.
std::optional<Bottleneck> bottleneckMatching(const Table& d, std::size_t wanted) {
    const std::vector<double> values = distinctDistances(d);
    if (values.empty()) {
        return std::nullopt;
    }
    std::size_t lo = 0;
    std::size_t hi = values.size() - 1;
    std::vector<int> best = matchWithin(d, values[hi]);
    if (pairCount(best) < wanted) {
        return std::nullopt;
    }
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        std::vector<int> mate = matchWithin(d, values[mid]);
        if (pairCount(mate) >= wanted) {
            hi = mid;
            best = std::move(mate);
        } else {
            lo = mid + 1;
        }
    }
    return Bottleneck{values[hi], std::move(best)};
}

using Pair = std::array<std::size_t, 2>;

// The larger distance first: comparing these orders two groups by their worse member first.
std::pair<double, double> worseFirst(double x, double y) {
    return {std::max(x, y), std::min(x, y)};
}

// Re-pairs two pairs at a time, and a pair with a spare record, while that makes the two
// concerned better (the worse of them first). The worst pair never gets worse, so the
// bottleneck stays optimal, and the other pairs improve.
void refinePairs(const Table& d, std::vector<Pair>& pairs, std::vector<std::size_t>& spare) {
    bool improved = true;
    while (improved) {
        improved = false;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            for (std::size_t j = i + 1; j < pairs.size(); ++j) {
                const auto [a, b] = pairs[i];
                const auto [c, e] = pairs[j];
                const auto now = worseFirst(d[a][b], d[c][e]);
                if (worseFirst(d[a][c], d[b][e]) < now &&
                    worseFirst(d[a][c], d[b][e]) <= worseFirst(d[a][e], d[b][c])) {
                    pairs[i] = {a, c};
                    pairs[j] = {b, e};
                    improved = true;
                } else if (worseFirst(d[a][e], d[b][c]) < now) {
                    pairs[i] = {a, e};
                    pairs[j] = {b, c};
                    improved = true;
                }
            }
            for (std::size_t& s : spare) {
                for (std::size_t k = 0; k < 2; ++k) {
                    const std::size_t other = pairs[i][1 - k];
                    if (d[s][other] < d[pairs[i][0]][pairs[i][1]]) {
                        std::swap(s, pairs[i][k]);
                        improved = true;
                    }
                }
            }
        }
    }
}

Grouping groupInPairs(const Table& d) {
    Grouping grouping;
    const std::size_t n = d.size();
    std::vector<int> mate(n, -1);
    if (const std::vector<double> values = distinctDistances(d); !values.empty()) {
        const std::size_t most = pairCount(matchWithin(d, values.back()));
        mate = bottleneckMatching(d, most)->mate;
    }
    std::vector<Pair> pairs;
    std::vector<std::size_t> spare;
    for (std::size_t v = 0; v < n; ++v) {
        if (mate[v] == -1) {
            spare.push_back(v);
        } else if (mate[v] > static_cast<int>(v)) {
            pairs.push_back({v, static_cast<std::size_t>(mate[v])});
        }
    }
    refinePairs(d, pairs, spare);
    for (Pair& p : pairs) {
        std::sort(p.begin(), p.end());
        grouping.groups.push_back({{p[0], p[1]}, d[p[0]][p[1]]});
    }
    grouping.spare = std::move(spare);
    return grouping;
}

// ---------------------------------------------------------------------------------------
// Quads
//
// A quad's distance is the largest of its six pairwise distances; the grouping should make
// the worst quad as good as possible. That is a bottleneck partition into 4-cliques, which
// is NP-hard in general, so it is found in three steps:
//  1. A starting grouping: the best pairs (bottleneck matching), then the best pairs of
//     those pairs (a bottleneck matching on the pairs, two pairs counting as far apart as
//     the worst of their six distances), improved by swapping members between quads.
//  2. Bounds: its worst quad U is an upper bound. A lower bound L is the bottleneck of a
//     matching of 2k pairs (k quads): any k quads hold 2k disjoint pairs no longer than
//     their worst quad.
//  3. A binary search over the distances between L and U, each step an exact depth-first
//     search for k disjoint quads within that distance (most constrained record first;
//     records with fewer than three neighbours left must be spare; sets of free records
//     already shown to fail are remembered).
// Guarantee: the worst quad is never worse than the starting grouping's; when every search
// step finishes within its node budget (as it does for a few dozen valves) it is the best
// possible, and the result says so (provenBest). A step that runs out of nodes counts as
// "not found", so the answer stays a grouping that was actually found.

using Quad = std::array<std::size_t, 4>;

double quadDistance(const Table& d, const Quad& q) {
    double worst = 0.0;
    for (std::size_t i = 0; i < 4; ++i) {
        for (std::size_t j = i + 1; j < 4; ++j) {
            worst = std::max(worst, d[q[i]][q[j]]);
        }
    }
    return worst;
}

struct QuadPlan {
    std::vector<Quad> quads;
    std::vector<std::size_t> spare;
};

double worstQuad(const Table& d, const QuadPlan& plan) {
    double worst = 0.0;
    for (const Quad& q : plan.quads) {
        worst = std::max(worst, quadDistance(d, q));
    }
    return worst;
}

// Swaps members between two quads, and between a quad and the spare records, while that
// makes the quads concerned better (the worse first); the worst quad never gets worse.
void refineQuads(const Table& d, QuadPlan& plan) {
    bool improved = true;
    while (improved) {
        improved = false;
        for (std::size_t i = 0; i < plan.quads.size(); ++i) {
            for (std::size_t j = i + 1; j < plan.quads.size(); ++j) {
                for (std::size_t a = 0; a < 4; ++a) {
                    for (std::size_t b = 0; b < 4; ++b) {
                        Quad& p = plan.quads[i];
                        Quad& q = plan.quads[j];
                        const auto before = worseFirst(quadDistance(d, p), quadDistance(d, q));
                        std::swap(p[a], q[b]);
                        if (worseFirst(quadDistance(d, p), quadDistance(d, q)) < before) {
                            improved = true;
                        } else {
                            std::swap(p[a], q[b]);
                        }
                    }
                }
            }
            for (std::size_t& s : plan.spare) {
                for (std::size_t a = 0; a < 4; ++a) {
                    Quad& p = plan.quads[i];
                    const double before = quadDistance(d, p);
                    std::swap(p[a], s);
                    if (quadDistance(d, p) < before) {
                        improved = true;
                    } else {
                        std::swap(p[a], s);
                    }
                }
            }
        }
    }
}

QuadPlan quadsFromPairs(const Table& d) {
    QuadPlan plan;
    const Grouping pairs = groupInPairs(d);
    plan.spare = pairs.spare;
    const std::size_t m = pairs.groups.size();
    Table between(m, std::vector<double>(m, kInfinity));
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = i + 1; j < m; ++j) {
            const auto& p = pairs.groups[i].members;
            const auto& q = pairs.groups[j].members;
            between[i][j] = between[j][i] = quadDistance(d, {p[0], p[1], q[0], q[1]});
        }
    }
    const Grouping pairsOfPairs = groupInPairs(between);
    for (const Grouping::Group& g : pairsOfPairs.groups) {
        const auto& p = pairs.groups[g.members[0]].members;
        const auto& q = pairs.groups[g.members[1]].members;
        plan.quads.push_back({p[0], p[1], q[0], q[1]});
    }
    for (const std::size_t s : pairsOfPairs.spare) {
        plan.spare.push_back(pairs.groups[s].members[0]);
        plan.spare.push_back(pairs.groups[s].members[1]);
    }
    refineQuads(d, plan);
    return plan;
}

// The exact search for `wanted` disjoint quads whose six distances are all within a
// threshold.
class QuadSearch {
  public:
    QuadSearch(const Table& d, double threshold, std::size_t wanted, long budget)
        : n_(d.size()), words_((d.size() + 63) / 64), wanted_(wanted), budget_(budget) {
        near_.assign(n_, Bits(words_, 0));
        for (std::size_t i = 0; i < n_; ++i) {
            for (std::size_t j = 0; j < n_; ++j) {
                if (i != j && d[i][j] <= threshold) {
                    set(near_[i], j);
                }
            }
        }
    }

    bool run() {
        Bits free(words_, 0);
        for (std::size_t i = 0; i < n_; ++i) {
            set(free, i);
        }
        return search(free, n_ - 4 * wanted_, wanted_);
    }
    bool exhausted() const { return exhausted_; }
    const std::vector<Quad>& quads() const { return quads_; }

  private:
    using Bits = std::vector<std::uint64_t>;
    struct BitsHash {
        std::size_t operator()(const Bits& b) const {
            std::size_t h = 1469598103934665603ULL;
            for (const std::uint64_t w : b) {
                h = (h ^ w) * 1099511628211ULL;
            }
            return h;
        }
    };

    static void set(Bits& b, std::size_t i) { b[i / 64] |= std::uint64_t{1} << (i % 64); }
    static void clear(Bits& b, std::size_t i) { b[i / 64] &= ~(std::uint64_t{1} << (i % 64)); }
    // The first member of b at or after `from`, or n_ when there is none.
    std::size_t next(const Bits& b, std::size_t from) const {
        for (std::size_t w = from / 64; w < words_; ++w) {
            std::uint64_t word = b[w];
            if (w == from / 64) {
                word &= ~std::uint64_t{0} << (from % 64);
            }
            if (word != 0) {
                return w * 64 + static_cast<std::size_t>(std::countr_zero(word));
            }
        }
        return n_;
    }
    Bits both(const Bits& x, const Bits& y) const {
        Bits r(words_);
        for (std::size_t w = 0; w < words_; ++w) {
            r[w] = x[w] & y[w];
        }
        return r;
    }
    std::size_t count(const Bits& x, const Bits& y) const {
        std::size_t c = 0;
        for (std::size_t w = 0; w < words_; ++w) {
            c += static_cast<std::size_t>(std::popcount(x[w] & y[w]));
        }
        return c;
    }

    // Every free record is either spare (at most `spares` more) or in one of the quads still
    // wanted. The number of free records fixes `spares` and `left`, so the failed sets can be
    // remembered by the free set alone.
    bool search(const Bits& free, std::size_t spares, std::size_t left) {
        if (left == 0) {
            return true;
        }
        if (++nodes_ > budget_) {
            exhausted_ = true;
            return false;
        }
        if (failed_.count(free) != 0) {
            return false;
        }
        std::size_t chosen = n_;
        std::size_t fewest = n_;
        Bits weak(words_, 0);
        std::size_t weakCount = 0;
        for (std::size_t v = next(free, 0); v < n_; v = next(free, v + 1)) {
            const std::size_t degree = count(near_[v], free);
            if (degree < 3) {
                set(weak, v);
                ++weakCount;
            } else if (degree < fewest) {
                fewest = degree;
                chosen = v;
            }
        }
        bool found = false;
        if (weakCount > spares) {
            found = false;
        } else if (weakCount > 0) {
            Bits rest = free;
            for (std::size_t v = next(weak, 0); v < n_; v = next(weak, v + 1)) {
                clear(rest, v);
            }
            found = search(rest, spares - weakCount, left);
        } else {
            found = tryQuadsWith(free, chosen, spares, left);
            if (!found && !exhausted_ && spares > 0) {
                Bits rest = free;
                clear(rest, chosen);
                found = search(rest, spares - 1, left);
            }
        }
        if (!found && !exhausted_) {
            failed_.insert(free);
        }
        return found;
    }

    bool tryQuadsWith(const Bits& free, std::size_t v, std::size_t spares, std::size_t left) {
        const Bits around = both(near_[v], free);
        for (std::size_t a = next(around, 0); a < n_; a = next(around, a + 1)) {
            const Bits withA = both(around, near_[a]);
            for (std::size_t b = next(withA, a + 1); b < n_; b = next(withA, b + 1)) {
                const Bits withB = both(withA, near_[b]);
                for (std::size_t c = next(withB, b + 1); c < n_; c = next(withB, c + 1)) {
                    Bits rest = free;
                    for (const std::size_t m : {v, a, b, c}) {
                        clear(rest, m);
                    }
                    quads_.push_back({v, a, b, c});
                    if (search(rest, spares, left - 1)) {
                        return true;
                    }
                    quads_.pop_back();
                    if (exhausted_) {
                        return false;
                    }
                }
            }
        }
        return false;
    }

    std::size_t n_;
    std::size_t words_;
    std::size_t wanted_;
    long budget_;
    long nodes_ = 0;
    bool exhausted_ = false;
    std::vector<Bits> near_;
    std::vector<Quad> quads_;
    std::unordered_set<Bits, BitsHash> failed_;
};

Grouping groupInQuads(const Table& d, const MatchOptions& options) {
    QuadPlan plan = quadsFromPairs(d);
    const std::size_t k = plan.quads.size();
    bool proven = true;
    if (k > 0) {
        const double upper = worstQuad(d, plan);
        const double lower = bottleneckMatching(d, 2 * k)->threshold;
        std::vector<double> candidates;
        for (const double v : distinctDistances(d)) {
            if (v >= lower && v < upper) {
                candidates.push_back(v);
            }
        }
        // candidates[hi] (or the starting grouping when hi is the end) is known to work.
        std::size_t lo = 0;
        std::size_t hi = candidates.size();
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            QuadSearch search(d, candidates[mid], k, options.quadSearchNodes);
            if (search.run()) {
                hi = mid;
                plan.quads = search.quads();
                std::vector<bool> used(d.size(), false);
                for (const Quad& q : plan.quads) {
                    for (const std::size_t m : q) {
                        used[m] = true;
                    }
                }
                plan.spare.clear();
                for (std::size_t v = 0; v < d.size(); ++v) {
                    if (!used[v]) {
                        plan.spare.push_back(v);
                    }
                }
            } else {
                proven = proven && !search.exhausted();
                lo = mid + 1;
            }
        }
        refineQuads(d, plan);
    }
    Grouping grouping;
    for (Quad& q : plan.quads) {
        const double distance = quadDistance(d, q);
        std::sort(q.begin(), q.end());
        grouping.groups.push_back({{q.begin(), q.end()}, distance});
    }
    grouping.spare = std::move(plan.spare);
    grouping.provenBest = proven;
    return grouping;
}

Table familyTable(const std::vector<Prepared>& prepared, const std::vector<std::size_t>& family) {
    Table table(family.size());
    for (std::size_t i = 0; i < family.size(); ++i) {
        table[i].resize(family.size(), 0.0);
        for (std::size_t j = 0; j < i; ++j) {
            const std::optional<double> d = distanceOf(prepared[family[i]], prepared[family[j]]);
            table[i][j] = table[j][i] = d.value_or(kInfinity);
        }
    }
    return table;
}

}  // namespace

bool sameSetPoints(const LibraryRecord& a, const LibraryRecord& b) {
    return sameSetPoints(measuredPoints(a), measuredPoints(b));
}

std::optional<double> valveDistance(const LibraryRecord& a, const LibraryRecord& b) {
    return distanceOf(prepare(a), prepare(b));
}

Grouping groupByDistance(const Table& table, GroupSize size, const MatchOptions& options) {
    Grouping grouping =
        size == GroupSize::Pairs ? groupInPairs(table) : groupInQuads(table, options);
    std::sort(grouping.groups.begin(), grouping.groups.end(),
              [](const Grouping::Group& x, const Grouping::Group& y) {
                  return std::pair(x.distance, x.members) < std::pair(y.distance, y.members);
              });
    std::sort(grouping.spare.begin(), grouping.spare.end());
    return grouping;
}

MatchResult matchValves(const std::vector<StoredRecord>& records, GroupSize size,
                        const MatchOptions& options) {
    MatchResult result;
    const std::size_t groupSize = size == GroupSize::Pairs ? 2 : 4;

    // Families: records of one type and kind measured with the same set points. Each record
    // joins the first family whose first member it can be compared with.
    std::vector<Prepared> prepared;
    prepared.reserve(records.size());
    for (const StoredRecord& r : records) {
        prepared.push_back(prepare(r.record));
    }
    std::vector<std::vector<std::size_t>> families;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const LibraryRecord& r = records[i].record;
        if (const std::string why = whyNotMatchable(r); !why.empty()) {
            result.leftOver.push_back({i, why});
            continue;
        }
        auto family = std::find_if(families.begin(), families.end(), [&](const auto& f) {
            return equalIgnoringCase(records[f.front()].record.valveType, r.valveType) &&
                   distanceOf(prepared[f.front()], prepared[i]).has_value();
        });
        if (family == families.end()) {
            families.emplace_back(1, i);
        } else {
            family->push_back(i);
        }
    }

    for (const std::vector<std::size_t>& family : families) {
        const std::size_t n = family.size();
        const Grouping grouping = groupByDistance(familyTable(prepared, family), size, options);
        result.provenBest = result.provenBest && grouping.provenBest;
        for (const Grouping::Group& g : grouping.groups) {
            MatchGroup group;
            for (const std::size_t m : g.members) {
                group.members.push_back(family[m]);
            }
            group.distance = g.distance;
            result.groups.push_back(std::move(group));
        }
        for (const std::size_t s : grouping.spare) {
            std::string why;
            if (n == 1) {
                why = "no other record was measured with the same set points";
            } else if (n < groupSize) {
                why =
                    "only " + std::to_string(n) + " records were measured with the same set points";
            } else {
                why = size == GroupSize::Pairs ? "no partner was left for it"
                                               : "too few records were left for another quad";
            }
            result.leftOver.push_back({family[s], why});
        }
    }
    std::sort(result.groups.begin(), result.groups.end(),
              [](const MatchGroup& x, const MatchGroup& y) {
                  return std::pair(x.distance, x.members) < std::pair(y.distance, y.members);
              });
    std::sort(result.leftOver.begin(), result.leftOver.end(),
              [](const LeftOver& x, const LeftOver& y) { return x.record < y.record; });
    return result;
}

std::string matchCsv(const std::vector<StoredRecord>& records, const MatchResult& result,
                     GroupSize size) {
    std::string csv = "rank,distance (%),valve 1,valve 2";
    if (size == GroupSize::Quads) {
        csv += ",valve 3,valve 4";
    }
    csv += "\r\n";
    for (std::size_t rank = 0; rank < result.groups.size(); ++rank) {
        const MatchGroup& g = result.groups[rank];
        csv += std::to_string(rank + 1) + "," + fixedNumber(g.distance, 2);
        for (const std::size_t m : g.members) {
            csv += "," + csvCell(records[m].record.label);
        }
        csv += "\r\n";
    }
    return csv;
}

}  // namespace ostrino::library
