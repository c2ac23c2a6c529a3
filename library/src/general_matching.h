#pragma once
// Maximum-cardinality matching on a general graph (Edmonds' blossom algorithm): valves pair
// up without the two sides a bipartite matching would need.

#include <vector>

namespace ostrino::library {

// adjacency[v] lists the neighbours of v (each edge in both lists). Returns mate[v], the
// partner of v or -1.
std::vector<int> maximumMatching(const std::vector<std::vector<int>>& adjacency);

}  // namespace ostrino::library
