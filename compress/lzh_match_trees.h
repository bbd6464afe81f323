#pragma once
// The LZH encoder's match finder: every window position in use is a node of one of 4096
// binary search trees ordered by the 60-byte string that starts there. The tree is chosen
// by the first byte and a 4-bit digest of the next two. Each node stores how many leading
// bytes it shares with its parent, so a search skips the bytes already known to agree.
#include <cstdint>

#include "compress/lzh.h"

namespace zov::compress::lzh {

class TLzhMatchTrees {
public:
    static constexpr int kNil = kWindowSize;  // 4096: no node
    static constexpr int kRootCount = 4096;
    static constexpr int kFirstRoot = kNil + 1;

    // The ring; bytes 4096..4154 repeat bytes 0..58 so a string never wraps.
    uint8_t window[kWindowSize + kLookahead - 1 + 1] = {};

    int matchPosition = 0;  // distance - 1 of the longest match AddString found
    int matchLength = 0;

    void ClearMatchTrees();
    // Finds the longest match for the string at r (the nearest of equals) and inserts r.
    void AddString(int r);
    void RemoveString(int p);

private:
    int RootOf(int r) const;
    int MeasureShared(int start, int parent, int node) const;
    void AdjustShared(int p, int q, int newParent);
    void ReplaceInParent(int p, int q);  // q takes p's place below p's parent
    void ReplaceNode(int p, int r);      // r takes over p's links; p leaves its tree

    uint16_t smaller_[kWindowSize + 1];
    uint16_t larger_[kWindowSize + 1 + kRootCount + 1];  // roots use only this link
    uint16_t parentLink_[kWindowSize + 2];                // entry kNil absorbs writes for NIL
    uint8_t shared_[kWindowSize + 2];
};

}  // namespace zov::compress::lzh
