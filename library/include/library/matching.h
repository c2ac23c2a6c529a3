#pragma once
// Matching valves of one type: the best pairs or quads of a set of records.
//
// The distance between two records is a percentage a user can read:
//  - sweeps: the RMS, over the set points both share, of the difference of the anode (and
//    screen) currents relative to the larger of the two; a point counts only where the
//    larger current is at least 5 % of the largest of that current in the two families, so
//    that points near cut-off (where any two valves differ by 100 %) do not decide;
//  - quick tests: the largest relative difference of Ia, Gm and mu; for a double triode all
//    four sections of the two valves are compared with each other, so the balance of each
//    valve's own two sections counts as well.
// A group's distance is the largest distance between two of its members.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "library/record.h"

namespace ostrino::library {

// Whether two records were measured with the same set points: the same number of measured
// points, point by point the same curve number, heater and grid voltage (within 0.05 V) and
// anode and screen voltage within 1 V + 2 % (the console may store the voltages measured
// at the valve, which move by the drop on the current sense resistor).
bool sameSetPoints(const LibraryRecord& a, const LibraryRecord& b);

// The distance in %, or nullopt when the two cannot be compared (a sweep and a quick test,
// different set points, no current measured in either).
std::optional<double> valveDistance(const LibraryRecord& a, const LibraryRecord& b);

enum class GroupSize { Pairs = 2, Quads = 4 };

struct MatchOptions {
    // Nodes the exact quad search may visit per threshold it tries; beyond that it keeps
    // the best grouping found so far.
    long quadSearchNodes = 20000;
};

// Grouping by a table of distances (table[i][j], symmetric, +infinity where i and j may not
// be grouped). Indices refer to the table's rows.
struct Grouping {
    struct Group {
        std::vector<std::size_t> members;  // ascending
        double distance = 0.0;             // the largest distance between two members
    };
    std::vector<Group> groups;       // best first
    std::vector<std::size_t> spare;  // not in any group
    bool provenBest = true;  // false when the quad search ran out of nodes (see matching.cpp)
};

Grouping groupByDistance(const std::vector<std::vector<double>>& table, GroupSize size,
                         const MatchOptions& options = {});

struct MatchGroup {
    std::vector<std::size_t> members;  // indices into the records given
    double distance = 0.0;             // %
};

struct LeftOver {
    std::size_t record = 0;  // index into the records given
    std::string reason;
};

struct MatchResult {
    std::vector<MatchGroup> groups;  // best first
    std::vector<LeftOver> leftOver;
    bool provenBest = true;
};

// Groups the records: records measured with the same set points (and of the same kind,
// sweep or quick test) form a family; each family is grouped on its own so that its worst
// group is as good as possible, and the groups of all families are ranked together.
MatchResult matchValves(const std::vector<StoredRecord>& records, GroupSize size,
                        const MatchOptions& options = {});

// "rank,distance (%),valve 1,valve 2[,valve 3,valve 4]" and one row per group: its rank,
// its distance with two decimals and the labels of its members. CR LF line ends.
std::string matchCsv(const std::vector<StoredRecord>& records, const MatchResult& result,
                     GroupSize size);

}  // namespace ostrino::library
