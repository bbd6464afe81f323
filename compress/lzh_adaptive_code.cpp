#include "compress/lzh_adaptive_code.h"

#include <cstring>

namespace zov::compress::lzh {

void TAdaptiveCode::ResetAdaptiveCode() {
    for (int s = 0; s < kSymbolCount; ++s) {
        weight_[s] = 1;
        child_[s] = static_cast<uint16_t>(s + kNodeCount);
        parent_[kNodeCount + s] = static_cast<uint16_t>(s);
    }
    for (int i = 0, j = kSymbolCount; j <= kRoot; i += 2, ++j) {
        weight_[j] = static_cast<uint16_t>(weight_[i] + weight_[i + 1]);
        child_[j] = static_cast<uint16_t>(i);
        parent_[i] = parent_[i + 1] = static_cast<uint16_t>(j);
    }
    weight_[kNodeCount] = 0xFFFF;
    parent_[kRoot] = 0;
}

void TAdaptiveCode::SetParentOfChildren(int node) {
    const int c = child_[node];
    parent_[c] = static_cast<uint16_t>(node);
    if (c < kNodeCount) parent_[c + 1] = static_cast<uint16_t>(node);
}

void TAdaptiveCode::BumpSymbol(int s) {
    if (weight_[kRoot] == kHalvingLimit) HalveAndRebuild();
    int n = parent_[kNodeCount + s];
    do {
        const uint16_t k = ++weight_[n];
        if (k > weight_[n + 1]) {
            // Swap n with the highest node that now weighs less, keeping the order.
            int l = n + 1;
            while (k > weight_[l + 1]) ++l;
            weight_[n] = weight_[l];
            weight_[l] = k;
            const uint16_t c = child_[n];
            child_[n] = child_[l];
            child_[l] = c;
            SetParentOfChildren(n);
            SetParentOfChildren(l);
            n = l;
        }
        n = parent_[n];
    } while (n != 0);  // node 0 is always a leaf, so only the root leads there
}

void TAdaptiveCode::HalveAndRebuild() {
    int j = 0;
    for (int i = 0; i < kNodeCount; ++i) {
        if (child_[i] >= kNodeCount) {
            weight_[j] = static_cast<uint16_t>((weight_[i] + 1) / 2);
            child_[j] = child_[i];
            ++j;
        }
    }
    for (int i = 0, j = kSymbolCount; j < kNodeCount; i += 2, ++j) {
        const uint16_t f = static_cast<uint16_t>(weight_[i] + weight_[i + 1]);
        int k = j;
        while (weight_[k - 1] > f) --k;
        std::memmove(&weight_[k + 1], &weight_[k], sizeof(weight_[0]) * (j - k));
        std::memmove(&child_[k + 1], &child_[k], sizeof(child_[0]) * (j - k));
        weight_[k] = f;
        child_[k] = static_cast<uint16_t>(i);
    }
    for (int i = 0; i < kNodeCount; ++i) SetParentOfChildren(i);
}

int TAdaptiveCode::CodeOf(int s, uint32_t& bits) const {
    // Weights stay below 2^16, which keeps any leaf far shallower than 32 levels.
    uint32_t collected = 0;
    int length = 0;
    int n = parent_[kNodeCount + s];
    do {
        collected |= static_cast<uint32_t>(n & 1) << length;
        ++length;
        n = parent_[n];
    } while (n != kRoot);
    bits = collected;
    return length;
}

}  // namespace zov::compress::lzh
