#include "compress/lzh_match_trees.h"

namespace zov::compress::lzh {

void TLzhMatchTrees::ClearMatchTrees() {
    for (int i = kFirstRoot; i < kFirstRoot + kRootCount; ++i) larger_[i] = kNil;
    for (int i = 0; i < kWindowSize; ++i) parentLink_[i] = kNil;
}

int TLzhMatchTrees::RootOf(int r) const {
    const int x = window[r + 1] ^ window[r + 2];
    const int h = (x ^ (x >> 4)) & 15;
    return kFirstRoot + window[r] + 256 * h;
}

int TLzhMatchTrees::MeasureShared(int start, int parent, int node) const {
    if (parent >= kNil) return 1;
    const uint8_t* a = &window[node];
    const uint8_t* b = &window[parent];
    int i = start;
    while (i < kLookahead && a[i] == b[i]) ++i;
    return i;
}

void TLzhMatchTrees::AdjustShared(int p, int q, int newParent) {
    if (q == kNil) return;
    // q agreed with p for shared_[q] bytes, p with the new parent for shared_[p] bytes.
    if (shared_[p] == shared_[q])
        shared_[q] = static_cast<uint8_t>(MeasureShared(shared_[p], newParent, q));
    else if (shared_[p] < shared_[q])
        shared_[q] = shared_[p];
}

void TLzhMatchTrees::ReplaceInParent(int p, int q) {
    const int up = parentLink_[p];
    parentLink_[q] = static_cast<uint16_t>(up);
    // A root has only a larger link, so that side is tested first.
    if (larger_[up] == p)
        larger_[up] = static_cast<uint16_t>(q);
    else
        smaller_[up] = static_cast<uint16_t>(q);
    parentLink_[p] = kNil;
}

void TLzhMatchTrees::ReplaceNode(int p, int r) {
    shared_[r] = shared_[p];
    smaller_[r] = smaller_[p];
    larger_[r] = larger_[p];
    parentLink_[smaller_[p]] = static_cast<uint16_t>(r);
    parentLink_[larger_[p]] = static_cast<uint16_t>(r);
    ReplaceInParent(p, r);
}

void TLzhMatchTrees::AddString(int r) {
    smaller_[r] = larger_[r] = kNil;
    matchLength = 0;
    const uint8_t* key = &window[r];
    int p = RootOf(r);
    int cmp = 1;
    int i = 1;  // leading bytes known to agree with the node last compared
    for (;;) {
        uint16_t& link = cmp >= 0 ? larger_[p] : smaller_[p];
        if (link == kNil) {
            link = static_cast<uint16_t>(r);
            parentLink_[r] = static_cast<uint16_t>(p);
            shared_[r] = static_cast<uint8_t>(i);
            return;
        }
        p = link;
        const int known = shared_[p];
        if (i > known) {
            i = known;
            cmp = key[i] - window[p + i];
        } else if (i == known) {
            const uint8_t* other = &window[p];
            while (i < kLookahead && key[i] == other[i]) ++i;
            cmp = i < kLookahead ? key[i] - other[i] : 0;
        }
        if (i <= kThreshold) continue;
        const int position = ((r - p) & (kWindowSize - 1)) - 1;
        if (i > matchLength) {
            matchPosition = position;
            matchLength = i;
            if (i >= kLookahead) {
                ReplaceNode(p, r);
                return;
            }
        } else if (i == matchLength && position < matchPosition) {
            matchPosition = position;
        }
    }
}

void TLzhMatchTrees::RemoveString(int p) {
    if (parentLink_[p] == kNil) return;
    const int up = parentLink_[p];
    int q;
    if (larger_[p] == kNil) {
        q = smaller_[p];
        AdjustShared(p, q, up);
    } else if (smaller_[p] == kNil) {
        q = larger_[p];
        AdjustShared(p, q, up);
    } else {
        q = smaller_[p];
        if (larger_[q] != kNil) {
            do q = larger_[q]; while (larger_[q] != kNil);
            // q, the largest string below p, moves up; its smaller subtree takes its place.
            const int qUp = parentLink_[q];
            const int moved = smaller_[q];
            AdjustShared(q, moved, qUp);
            larger_[qUp] = static_cast<uint16_t>(moved);
            parentLink_[moved] = static_cast<uint16_t>(qUp);
            const int below = smaller_[p];
            smaller_[q] = static_cast<uint16_t>(below);
            parentLink_[below] = static_cast<uint16_t>(q);
            shared_[below] = static_cast<uint8_t>(MeasureShared(1, q, below));
        }
        shared_[q] = static_cast<uint8_t>(MeasureShared(1, up, q));
        const int above = larger_[p];
        larger_[q] = static_cast<uint16_t>(above);
        parentLink_[above] = static_cast<uint16_t>(q);
        shared_[above] = static_cast<uint8_t>(MeasureShared(1, q, above));
    }
    ReplaceInParent(p, q);
}

}  // namespace zov::compress::lzh
