// Matching valves: distances worked out by hand, pairings and quads whose best answer is
// known.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "library/matching.h"

namespace ostrino::library {
namespace {

// A triode family (three curves of four points) scaled by `gain`: two such valves differ by
// the same relative amount at every point.
LibraryRecord sweep(const std::string& label, double gain, double va0 = 100) {
    LibraryRecord r;
    r.valveType = "ECC83";
    r.label = label;
    for (int curve = 1; curve <= 3; ++curve) {
        for (int k = 0; k < 4; ++k) {
            const double ia = gain * (4.0 - curve) * (k + 1);
            r.points.push_back({double(curve), ia, 0.002, 6.3, -1.0 * curve, 0, va0 + 50.0 * k});
        }
    }
    return r;
}

StoredRecord stored(LibraryRecord r, std::int64_t id) {
    return {id, std::move(r)};
}

std::vector<std::string> labelsOf(const std::vector<StoredRecord>& records,
                                  const MatchGroup& group) {
    std::vector<std::string> labels;
    for (const std::size_t m : group.members) {
        labels.push_back(records[m].record.label);
    }
    return labels;
}

TEST(ValveDistance, WorkedByHand) {
    auto twoPoints = [](double ia1, double ia2, double ia3, double is1, double is2) {
        LibraryRecord r;
        r.points = {{1, ia1, is1, 6.3, -2, 100, 200},
                    {1, ia2, is2, 6.3, -2, 100, 250},
                    {1, ia3, 0.0, 6.3, -2, 100, 300}};
        return r;
    };
    LibraryRecord quickA;
    quickA.quickTest = {{1, "Ia", 1.0}, {1, "Gm", 1.6}, {1, "mu", 100}, {1, "Ra", 62.5}};
    LibraryRecord quickB = quickA;
    quickB.quickTest = {{1, "Ia", 1.1}, {1, "Gm", 1.6}, {1, "mu", 95}, {1, "Ra", 10}};
    LibraryRecord doubleA = quickA;
    doubleA.quickTest.insert(doubleA.quickTest.end(),
                             {{2, "Ia", 0.9}, {2, "Gm", 1.6}, {2, "mu", 100}});
    LibraryRecord doubleB = doubleA;
    doubleB.quickTest = {{1, "Ia", 1.0}, {1, "Gm", 1.6}, {1, "mu", 100},
                         {2, "Ia", 1.0}, {2, "Gm", 1.6}, {2, "mu", 100}};
    LibraryRecord deadSecond = quickB;  // a single triode: section 2 reads only noise
    deadSecond.quickTest.push_back({2, "Ia", 0.01});
    LibraryRecord otherVa = twoPoints(10, 5, 0.2, 0, 0);
    otherVa.points[1].va = 260;

    const struct {
        const char* what;
        LibraryRecord a, b;
        std::optional<double> percent;
    } cases[] = {
        // 10 vs 9 and 5 vs 5.5 count; 0.2 vs 0.4 lies below 5 % of 10 and does not; the
        // screen current (noise below 2 % of the anode current) is left out.
        {"anode", twoPoints(10, 5, 0.2, 0.001, 0), twoPoints(9, 5.5, 0.4, 0.003, 0),
         100 * std::sqrt((0.01 + (0.5 / 5.5) * (0.5 / 5.5)) / 2)},
        // Anode currents equal; screen 2 vs 2 and 1 vs 2: one term of 0.5 among four.
        {"with screen", twoPoints(10, 10, 0, 2, 1), twoPoints(10, 10, 0, 2, 2), 25.0},
        {"quick test", quickA, quickB, 100 * 0.1 / 1.1},
        // Section 2 of A is 10 % below every other section.
        {"double triode balance", doubleA, doubleB, 10.0},
        {"dead second section ignored", quickA, deadSecond, 100 * 0.1 / 1.1},
        {"other set points", twoPoints(10, 5, 0.2, 0, 0), otherVa, std::nullopt},
        {"sweep and quick test", twoPoints(10, 5, 0.2, 0, 0), quickA, std::nullopt},
        {"no current in either", twoPoints(0, 0, 0, 0, 0), twoPoints(0, 0, 0, 0, 0), std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<double> d = valveDistance(c.a, c.b);
        ASSERT_EQ(d.has_value(), c.percent.has_value()) << c.what;
        if (d) {
            EXPECT_NEAR(*d, *c.percent, 1e-9) << c.what;
            EXPECT_NEAR(*valveDistance(c.b, c.a), *d, 1e-12) << c.what;
        }
    }
}

TEST(MatchValves, PairsMakeTheWorstPairBestWhereGreedyWouldNot) {
    // Greedy takes B+C (1.1 %) first and is left with A+D (20 %); the best pairing is A+B
    // (10 %) and C+D (1 - 0.80/0.89 = 10.11 %). E is far from all and stays out, and F was
    // measured with other set points.
    const std::vector<StoredRecord> records = {
        stored(sweep("box 1, A", 1.00), 1), stored(sweep("B", 0.90), 2),
        stored(sweep("C", 0.89), 3),        stored(sweep("D", 0.80), 4),
        stored(sweep("E", 0.50), 5),        stored(sweep("F", 0.90, 120), 6),
    };
    const MatchResult result = matchValves(records, GroupSize::Pairs);
    ASSERT_EQ(result.groups.size(), 2u);
    EXPECT_EQ(labelsOf(records, result.groups[0]), (std::vector<std::string>{"box 1, A", "B"}));
    EXPECT_NEAR(result.groups[0].distance, 10.0, 1e-9);
    EXPECT_EQ(labelsOf(records, result.groups[1]), (std::vector<std::string>{"C", "D"}));
    EXPECT_NEAR(result.groups[1].distance, 100 * (1 - 0.80 / 0.89), 1e-9);
    ASSERT_EQ(result.leftOver.size(), 2u);
    EXPECT_EQ(result.leftOver[0].record, 4u);
    EXPECT_EQ(result.leftOver[0].reason, "no partner was left for it");
    EXPECT_EQ(result.leftOver[1].record, 5u);
    EXPECT_EQ(result.leftOver[1].reason, "no other record was measured with the same set points");

    EXPECT_EQ(matchCsv(records, result, GroupSize::Pairs),
              "rank,distance (%),valve 1,valve 2\r\n"
              "1,10.00,\"box 1, A\",B\r\n"
              "2,10.11,C,D\r\n");
}

TEST(MatchValves, QuadsOfTwoClusters) {
    // Two tight clusters, shuffled, and one valve far from both.
    const double gains[] = {0.79, 1.00, 0.98, 0.50, 0.77, 0.99, 0.80, 0.97, 0.78};
    std::vector<StoredRecord> records;
    for (std::size_t i = 0; i < std::size(gains); ++i) {
        records.push_back(stored(sweep(std::to_string(gains[i]), gains[i]), std::int64_t(i + 1)));
    }
    const MatchResult result = matchValves(records, GroupSize::Quads);
    ASSERT_EQ(result.groups.size(), 2u);
    EXPECT_EQ(result.groups[0].members, (std::vector<std::size_t>{1, 2, 5, 7}));
    EXPECT_NEAR(result.groups[0].distance, 3.0, 1e-9);  // 1.00 against 0.97
    EXPECT_EQ(result.groups[1].members, (std::vector<std::size_t>{0, 4, 6, 8}));
    EXPECT_NEAR(result.groups[1].distance, 100 * (1 - 0.77 / 0.80), 1e-9);
    ASSERT_EQ(result.leftOver.size(), 1u);
    EXPECT_EQ(result.leftOver[0].record, 3u);
    EXPECT_TRUE(result.provenBest);
}

TEST(GroupByDistance, QuadSearchFindsWhatPairsOfPairsMiss) {
    // Eight valves in close pairs (0,1), (2,3), (4,5), (6,7) at distance 1; valves of equal
    // parity are 2 apart, all others 9. The best pairs are the close pairs, and any two of
    // them make a quad of 9; the best quads are the even and the odd valves, at 2.
    const std::size_t n = 8;
    std::vector<std::vector<double>> table(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            if (i != j) {
                table[i][j] = i / 2 == j / 2 ? 1.0 : (i % 2 == j % 2 ? 2.0 : 9.0);
            }
        }
    }
    const Grouping best = groupByDistance(table, GroupSize::Quads);
    ASSERT_EQ(best.groups.size(), 2u);
    EXPECT_EQ(best.groups[0].members, (std::vector<std::size_t>{0, 2, 4, 6}));
    EXPECT_EQ(best.groups[1].members, (std::vector<std::size_t>{1, 3, 5, 7}));
    EXPECT_EQ(best.groups[1].distance, 2.0);
    EXPECT_TRUE(best.provenBest);

    // Without room to search, the starting grouping stands and says it is not proven.
    MatchOptions tight;
    tight.quadSearchNodes = 1;
    const Grouping rough = groupByDistance(table, GroupSize::Quads, tight);
    ASSERT_EQ(rough.groups.size(), 2u);
    EXPECT_EQ(rough.groups[1].distance, 9.0);
    EXPECT_FALSE(rough.provenBest);

    // Pairs on the same table: the close pairs, none worse than 1.
    const Grouping pairs = groupByDistance(table, GroupSize::Pairs);
    ASSERT_EQ(pairs.groups.size(), 4u);
    EXPECT_EQ(pairs.groups[3].distance, 1.0);
}

// The best worst group by trying every grouping: the lowest free valve is either spare or
// grouped with size - 1 of the others.
double bruteForceWorst(const std::vector<std::vector<double>>& d, std::size_t size) {
    const std::size_t n = d.size();
    const std::size_t spares = n % size;
    std::vector<bool> used(n, false);
    double best = std::numeric_limits<double>::infinity();
    std::function<void(std::size_t, double)> search = [&](std::size_t sparesLeft, double worst) {
        const auto first = std::find(used.begin(), used.end(), false);
        if (first == used.end() || worst >= best) {
            best = std::min(best, worst);
            return;
        }
        const std::size_t v = static_cast<std::size_t>(first - used.begin());
        used[v] = true;
        if (sparesLeft > 0) {
            search(sparesLeft - 1, worst);
        }
        std::vector<std::size_t> group{v};
        std::function<void(std::size_t)> pick = [&](std::size_t from) {
            if (group.size() == size) {
                double w = worst;
                for (std::size_t i = 0; i < size; ++i) {
                    for (std::size_t j = i + 1; j < size; ++j) {
                        w = std::max(w, d[group[i]][group[j]]);
                    }
                }
                search(sparesLeft, w);
                return;
            }
            for (std::size_t u = from; u < n; ++u) {
                if (!used[u]) {
                    used[u] = true;
                    group.push_back(u);
                    pick(u + 1);
                    group.pop_back();
                    used[u] = false;
                }
            }
        };
        pick(v + 1);
        used[v] = false;
    };
    search(spares, 0.0);
    return best;
}

TEST(GroupByDistance, WorstGroupAsGoodAsTryingEveryGrouping) {
    // Random tables (no triangle inequality, many ties) small enough to try every grouping.
    std::mt19937 random(13);
    std::uniform_int_distribution<int> distance(1, 40);
    for (int trial = 0; trial < 40; ++trial) {
        const std::size_t n = 7 + static_cast<std::size_t>(trial % 6);
        std::vector<std::vector<double>> d(n, std::vector<double>(n, 0.0));
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = i + 1; j < n; ++j) {
                d[i][j] = d[j][i] = distance(random);
            }
        }
        for (const auto& [size, count] : {std::pair{GroupSize::Pairs, std::size_t{2}},
                                          std::pair{GroupSize::Quads, std::size_t{4}}}) {
            const Grouping g = groupByDistance(d, size);
            ASSERT_EQ(g.groups.size(), n / count) << "trial " << trial;
            EXPECT_EQ(g.groups.back().distance, bruteForceWorst(d, count))
                << "trial " << trial << ", groups of " << count;
            EXPECT_TRUE(g.provenBest);
        }
    }
}

}  // namespace
}  // namespace ostrino::library
