#include "general_matching.h"

#include <algorithm>
#include <queue>

namespace ostrino::library {

namespace {

// One search for an augmenting path from a free vertex, contracting odd cycles (blossoms)
// into their base as it meets them.
class BlossomSearch {
  public:
    BlossomSearch(const std::vector<std::vector<int>>& adjacency, std::vector<int>& mate)
        : graph_(adjacency),
          mate_(mate),
          n_(static_cast<int>(adjacency.size())),
          parent_(adjacency.size()),
          base_(adjacency.size()),
          used_(adjacency.size()),
          blossom_(adjacency.size()) {}

    // The free vertex at the end of an augmenting path from root, or -1; parent_ then
    // leads back along the path.
    int findPath(int root) {
        std::fill(used_.begin(), used_.end(), false);
        std::fill(parent_.begin(), parent_.end(), -1);
        for (int i = 0; i < n_; ++i) {
            base_[static_cast<std::size_t>(i)] = i;
        }
        used_[at(root)] = true;
        std::queue<int> queue;
        queue.push(root);
        while (!queue.empty()) {
            const int v = queue.front();
            queue.pop();
            for (const int to : graph_[at(v)]) {
                if (base_[at(v)] == base_[at(to)] || mate_[at(v)] == to) {
                    continue;
                }
                if (to == root || (mate_[at(to)] != -1 && parent_[at(mate_[at(to)])] != -1)) {
                    const int b = commonBase(v, to);
                    std::fill(blossom_.begin(), blossom_.end(), false);
                    markPath(v, b, to);
                    markPath(to, b, v);
                    for (int i = 0; i < n_; ++i) {
                        if (blossom_[at(base_[at(i)])]) {
                            base_[at(i)] = b;
                            if (!used_[at(i)]) {
                                used_[at(i)] = true;
                                queue.push(i);
                            }
                        }
                    }
                } else if (parent_[at(to)] == -1) {
                    parent_[at(to)] = v;
                    if (mate_[at(to)] == -1) {
                        return to;
                    }
                    used_[at(mate_[at(to)])] = true;
                    queue.push(mate_[at(to)]);
                }
            }
        }
        return -1;
    }

    void augment(int end) {
        while (end != -1) {
            const int p = parent_[at(end)];
            const int next = mate_[at(p)];
            mate_[at(end)] = p;
            mate_[at(p)] = end;
            end = next;
        }
    }

  private:
    static std::size_t at(int v) { return static_cast<std::size_t>(v); }

    int commonBase(int a, int b) {
        std::vector<bool> seen(static_cast<std::size_t>(n_), false);
        for (;;) {
            a = base_[at(a)];
            seen[at(a)] = true;
            if (mate_[at(a)] == -1) {
                break;
            }
            a = parent_[at(mate_[at(a)])];
        }
        for (;;) {
            b = base_[at(b)];
            if (seen[at(b)]) {
                return b;
            }
            b = parent_[at(mate_[at(b)])];
        }
    }

    void markPath(int v, int b, int child) {
        while (base_[at(v)] != b) {
            blossom_[at(base_[at(v)])] = true;
            blossom_[at(base_[at(mate_[at(v)])])] = true;
            parent_[at(v)] = child;
            child = mate_[at(v)];
            v = parent_[at(mate_[at(v)])];
        }
    }

    const std::vector<std::vector<int>>& graph_;
    std::vector<int>& mate_;
    int n_;
    std::vector<int> parent_;
    std::vector<int> base_;
    std::vector<bool> used_;
    std::vector<bool> blossom_;
};

}  // namespace

std::vector<int> maximumMatching(const std::vector<std::vector<int>>& adjacency) {
    const std::size_t n = adjacency.size();
    std::vector<int> mate(n, -1);
    // A greedy start leaves few augmenting paths to search for.
    for (std::size_t v = 0; v < n; ++v) {
        if (mate[v] != -1) {
            continue;
        }
        for (const int to : adjacency[v]) {
            if (mate[static_cast<std::size_t>(to)] == -1 && static_cast<std::size_t>(to) != v) {
                mate[v] = to;
                mate[static_cast<std::size_t>(to)] = static_cast<int>(v);
                break;
            }
        }
    }
    BlossomSearch search(adjacency, mate);
    for (std::size_t v = 0; v < n; ++v) {
        if (mate[v] == -1) {
            const int end = search.findPath(static_cast<int>(v));
            if (end != -1) {
                search.augment(end);
            }
        }
    }
    return mate;
}

}  // namespace ostrino::library
