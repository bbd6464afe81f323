#include "compress/lh5_match_tree.h"

namespace zov::compress::lh5enc {

void TLh5MatchTree::ResetMatchTree() {
    for (int i = kWindowSize; i < kWindowSize + 256; ++i) {
        depth_[i] = 1;
        lastPos_[i] = 0;
    }
    for (int i = kWindowSize; i < kLeafEnd; ++i) parent_[i] = 0;
    for (int i = 1; i < kWindowSize - 1; ++i) next_[i] = static_cast<uint16_t>(i + 1);
    next_[kWindowSize - 1] = 0;
    freeHead_ = 1;
    for (int i = kHashBase; i < kChainCount; ++i) next_[i] = 0;
}

int TLh5MatchTree::FindChild(int q, int b) {
    int r = next_[Hash(q, b)];
    parent_[0] = static_cast<uint16_t>(q);  // sentinel: the chain's end matches
    while (parent_[r] != q) r = next_[r];
    return r;
}

void TLh5MatchTree::LinkChild(int q, int b, int r) {
    const int h = Hash(q, b);
    const int t = next_[h];
    next_[h] = static_cast<uint16_t>(r);
    next_[r] = static_cast<uint16_t>(t);
    prev_[t] = static_cast<uint16_t>(r);
    prev_[r] = static_cast<uint16_t>(h);
    parent_[r] = static_cast<uint16_t>(q);
    ++childCount_[q];
}

void TLh5MatchTree::TakeChainPlace(int old, int r) {
    int t = prev_[old];
    prev_[r] = static_cast<uint16_t>(t);
    next_[t] = static_cast<uint16_t>(r);
    t = next_[old];
    next_[r] = static_cast<uint16_t>(t);
    prev_[t] = static_cast<uint16_t>(r);
    parent_[r] = parent_[old];
}

void TLh5MatchTree::Unlink(int node) {
    const int before = prev_[node];
    const int after = next_[node];
    next_[before] = static_cast<uint16_t>(after);
    prev_[after] = static_cast<uint16_t>(before);
}

void TLh5MatchTree::SplitEdge(int old) {
    const int n = freeHead_;
    freeHead_ = next_[n];
    childCount_[n] = 0;
    TakeChainPlace(old, n);
    depth_[n] = static_cast<uint8_t>(matchLength);
    lastPos_[n] = static_cast<uint16_t>(position);
    LinkChild(n, window[matchPosition + matchLength], old);
    LinkChild(n, window[position + matchLength], position);
}

void TLh5MatchTree::InsertPosition() {
    int q;
    int r;
    if (matchLength >= 4) {
        // The string here shares matchLength - 1 bytes with the one after the previous
        // match: start from that string's leaf instead of from the root.
        --matchLength;
        r = (matchPosition + 1) | kWindowSize;
        while (parent_[r] == 0) r = next_[r];  // a replaced leaf links to its successor
        q = parent_[r];
        while (depth_[q] >= matchLength) {
            r = q;
            q = parent_[q];
        }
        int t = q;
        while (lastPos_[t] & kPercolate) {
            lastPos_[t] = static_cast<uint16_t>(position);
            t = parent_[t];
        }
        if (t < kWindowSize) lastPos_[t] = static_cast<uint16_t>(position | kPercolate);
    } else {
        q = kWindowSize + window[position];
        const int b = window[position + 1];
        r = FindChild(q, b);
        if (r == 0) {
            LinkChild(q, b, position);
            matchLength = 1;
            return;
        }
        matchLength = 2;
    }
    const uint8_t* text = &window[position];
    for (;;) {
        int limit;
        if (r >= kWindowSize) {
            limit = kMaxMatch;
            matchPosition = r;
        } else {
            limit = depth_[r];
            matchPosition = lastPos_[r] & ~kPercolate;
        }
        if (matchPosition >= position) matchPosition -= kWindowSize;  // one window back
        const uint8_t* other = &window[matchPosition];
        while (matchLength < limit) {
            if (text[matchLength] != other[matchLength]) {
                SplitEdge(r);
                return;
            }
            ++matchLength;
        }
        if (matchLength >= kMaxMatch) break;
        lastPos_[r] = static_cast<uint16_t>(position);
        q = r;
        r = FindChild(q, text[matchLength]);
        if (r == 0) {
            LinkChild(q, text[matchLength], position);
            return;
        }
        ++matchLength;
    }
    // A full-length match: the new leaf replaces the old one, which keeps a link to it.
    TakeChainPlace(r, position);
    parent_[r] = 0;
    next_[r] = static_cast<uint16_t>(position);
}

void TLh5MatchTree::RemovePosition() {
    if (parent_[position] == 0) return;
    Unlink(position);
    const int r = parent_[position];
    parent_[position] = 0;
    --childCount_[r];
    if (r >= kWindowSize || childCount_[r] > 1) return;

    // r has one child left and goes; its newest position moves up the marked ancestors.
    int t = lastPos_[r] & ~kPercolate;
    if (t >= position) t -= kWindowSize;
    int s = t;
    int q = parent_[r];
    int u;
    while ((u = lastPos_[q]) & kPercolate) {
        u &= ~kPercolate;
        if (u >= position) u -= kWindowSize;
        if (u > s) s = u;
        lastPos_[q] = static_cast<uint16_t>(s | kWindowSize);
        q = parent_[q];
    }
    if (q < kWindowSize) {
        u = lastPos_[q];
        if (u >= position) u -= kWindowSize;
        if (u > s) s = u;
        lastPos_[q] = static_cast<uint16_t>(s | kWindowSize | kPercolate);
    }
    const int child = FindChild(r, window[t + depth_[r]]);
    Unlink(child);
    TakeChainPlace(r, child);
    parent_[r] = 0;
    next_[r] = static_cast<uint16_t>(freeHead_);
    freeHead_ = r;
}

}  // namespace zov::compress::lh5enc
