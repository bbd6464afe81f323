#include "tools/zovpack/nearest_name.h"

#include <algorithm>

#include "sys/paths.h"

namespace zov::zovpack {
namespace {

// Edits from `a` to `b`, a swap of two neighbours counting as one.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

std::string NearestName(const std::string& name, const std::vector<std::string>& known) {
    const std::string upper = UpperCase(name);
    std::string best;
    size_t bestDistance = std::max<size_t>(1, upper.size() / 3) + 1;
    for (const std::string& candidate : known) {
        // The lengths alone tell a name too far apart, before the letters are compared.
        const size_t apart = upper.size() > candidate.size() ? upper.size() - candidate.size() : candidate.size() - upper.size();
        if (apart >= bestDistance) continue;
        const size_t distance = Distance(upper, UpperCase(candidate));
        if (distance > 0 && distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace zov::zovpack
