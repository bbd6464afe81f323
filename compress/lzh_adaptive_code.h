#pragma once
// The adaptive Huffman code of the LZH method. Both sides start from the same tree and
// update it after every symbol, so the code follows the symbol frequencies seen so far.
// Nodes are kept in increasing weight order; siblings are adjacent, the first one even.
#include <cstdint>

#include "compress/lzh.h"

namespace zov::compress::lzh {

constexpr int kNodeCount = 2 * kSymbolCount - 1;  // 627
constexpr int kRoot = kNodeCount - 1;             // 626
constexpr uint16_t kHalvingLimit = 0x8000;        // root weight that triggers halving

class TAdaptiveCode {
public:
    void ResetAdaptiveCode();
    // Counts one more occurrence of symbol s and restores the order of the nodes.
    void BumpSymbol(int s);

    // The code of s, the bit nearest the root highest; returns its length (1..32).
    int CodeOf(int s, uint32_t& bits) const;

    // Walking down: the node reached from `node`'s first child plus `bit`; a result of
    // kNodeCount or more is the leaf of symbol (result - kNodeCount).
    int FirstChildOfRoot() const { return child_[kRoot]; }
    int ChildOf(int node) const { return child_[node]; }
    static bool IsSymbolLink(int link) { return link >= kNodeCount; }

    uint16_t RootWeight() const { return weight_[kRoot]; }

private:
    void HalveAndRebuild();
    void SetParentOfChildren(int node);

    uint16_t weight_[kNodeCount + 1];           // entry kNodeCount: sentinel 0xFFFF
    uint16_t parent_[kNodeCount + kSymbolCount];  // kNodeCount + s: the leaf of symbol s
    uint16_t child_[kNodeCount + 1];            // first child, or kNodeCount + symbol
};

}  // namespace zov::compress::lzh
