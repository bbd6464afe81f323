#pragma once
// A set of names kept as a sorted vector. The programs on the medium use it instead of
// std::set and std::map, whose balanced trees add about 3 KB to each program.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace zov {

class TNameSet {
public:
    // False when the name was there already.
    bool Insert(const std::string& name) {
        const auto at = std::lower_bound(names_.begin(), names_.end(), name);
        if (at != names_.end() && *at == name) return false;
        names_.insert(at, name);
        return true;
    }
    bool Contains(const std::string& name) const {
        return std::binary_search(names_.begin(), names_.end(), name);
    }
    void Clear() { names_.clear(); }

private:
    std::vector<std::string> names_;
};

// A counter for each name, in the order the names came.
class TNameCounts {
public:
    // Counts the name once more and returns its new count.
    int Increment(const std::string& name) {
        for (auto& [known, count] : counts_)
            if (known == name) return ++count;
        counts_.emplace_back(name, 1);
        return 1;
    }
    bool Contains(const std::string& name) const {
        return std::any_of(counts_.begin(), counts_.end(), [&](const auto& entry) { return entry.first == name; });
    }
    void Clear() { counts_.clear(); }

private:
    std::vector<std::pair<std::string, int>> counts_;
};

}  // namespace zov
