#pragma once
// The -lh5- encoder's match finder: a digital search tree over the strings that start at
// the positions of the 8192-byte window. Leaves are window positions 8192..16383, roots
// 8192 + b hold the strings that start with byte b, and internal nodes (1..8191) stand for
// the longest common prefix of the strings below them and remember the newest position
// that passed through them. Children are found through one hash chain per (node, byte).
#include <cstdint>

#include "compress/lh5_encode.h"

namespace zov::compress::lh5enc {

class TLh5MatchTree {
public:
    // Two window lengths plus the longest match plus one: the text being coded lies at
    // 8192..16639, the window before it at 0..8191.
    static constexpr int kWindowBytes = 2 * kWindowSize + kMaxMatch + 1;
    static constexpr int kSlideBytes = kWindowSize + kMaxMatch;  // moved by one slide

    uint8_t window[kWindowBytes] = {};
    int position = 0;       // current window position, 8192..16383 once started
    int matchPosition = 0;  // window position of the match for `position`
    int matchLength = 0;

    void ResetMatchTree();
    // Finds the longest match for the string at `position` and inserts its leaf.
    void InsertPosition();
    // Removes the leaf that is about to leave the window: the one at `position`.
    void RemovePosition();

private:
    static constexpr int kNodeCount = kWindowSize + 256 + 1;  // internal nodes, roots
    static constexpr int kLeafEnd = 2 * kWindowSize;          // leaves end here
    static constexpr int kHashBase = 2 * kWindowSize;
    static constexpr uint16_t kPercolate = 0x8000;  // pass the position on to the parent

    // The chain head of node q's children whose edge starts with byte b.
    static constexpr int Hash(int q, int b) { return q + (b << 4) + kHashBase; }
    static constexpr int kChainCount = kHashBase + (kNodeCount - 1) + (255 << 4) + 1;
    int FindChild(int q, int b);
    void LinkChild(int q, int b, int r);
    void SplitEdge(int old);
    void TakeChainPlace(int old, int r);  // r replaces old in old's chain
    void Unlink(int node);                // takes node out of its chain

    uint8_t depth_[kNodeCount] = {};
    uint8_t childCount_[kNodeCount] = {};
    uint16_t lastPos_[kNodeCount] = {};
    uint16_t parent_[kLeafEnd + 1] = {};
    uint16_t prev_[kLeafEnd + 1] = {};
    uint16_t next_[kChainCount] = {};
    int freeHead_ = 1;
};

}  // namespace zov::compress::lh5enc
