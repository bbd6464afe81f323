#include "compress/lh5_huffman.h"

namespace zov::compress::lh5enc {

int THuffmanBuilder::BuildHuffman(int n, uint16_t* frequencies, uint8_t* lengths,
                                  uint16_t* codes) {
    n_ = n;
    freq_ = frequencies;
    lengths_ = lengths;
    codes_ = codes;
    heapSize_ = 0;
    heap_[1] = 0;
    for (int i = 0; i < n; ++i) {
        lengths[i] = 0;
        if (frequencies[i]) heap_[++heapSize_] = static_cast<uint16_t>(i);
    }
    if (heapSize_ < 2) {
        codes[heap_[1]] = 0;
        return heap_[1];
    }
    for (int i = heapSize_ / 2; i >= 1; --i) SinkInHeap(i);

    int sorted = 0;
    int nextNode = n;
    int k;
    do {
        const int i = heap_[1];
        if (i < n) codes[sorted++] = static_cast<uint16_t>(i);
        heap_[1] = heap_[heapSize_--];
        SinkInHeap(1);
        const int j = heap_[1];
        if (j < n) codes[sorted++] = static_cast<uint16_t>(j);
        k = nextNode++;
        freq_[k] = static_cast<uint16_t>(freq_[i] + freq_[j]);
        heap_[1] = static_cast<uint16_t>(k);
        SinkInHeap(1);
        left_[k] = static_cast<uint16_t>(i);
        right_[k] = static_cast<uint16_t>(j);
    } while (heapSize_ > 1);
    LimitLengths(k);
    AssignCodes();
    return k;
}

void THuffmanBuilder::SinkInHeap(int i) {
    const int entry = heap_[i];
    int j;
    while ((j = 2 * i) <= heapSize_) {
        if (j < heapSize_ && freq_[heap_[j]] > freq_[heap_[j + 1]]) ++j;
        if (freq_[entry] <= freq_[heap_[j]]) break;
        heap_[i] = heap_[j];
        i = j;
    }
    heap_[i] = static_cast<uint16_t>(entry);
}

void THuffmanBuilder::CountDepths(int node) {
    if (node < n_) {
        ++counts_[treeDepth_ < kMaxCodeLength ? treeDepth_ : kMaxCodeLength];
        return;
    }
    ++treeDepth_;
    CountDepths(left_[node]);
    CountDepths(right_[node]);
    --treeDepth_;
}

void THuffmanBuilder::LimitLengths(int root) {
    for (int& c : counts_) c = 0;
    treeDepth_ = 0;
    CountDepths(root);
    // A complete code sums to 2^16, which is 0 in 16 bits; depths clamped to 16 over-fill
    // it, and each unit of excess moves one code down a level.
    uint16_t excess = 0;
    for (int i = 1; i <= kMaxCodeLength; ++i)
        excess = static_cast<uint16_t>(excess + (counts_[i] << (kMaxCodeLength - i)));
    if (excess != 0) {
        counts_[kMaxCodeLength] -= excess;
        for (int e = excess; e > 0; --e) {
            for (int i = kMaxCodeLength - 1; i > 0; --i) {
                if (counts_[i] != 0) {
                    --counts_[i];
                    counts_[i + 1] += 2;
                    break;
                }
            }
        }
    }
    // The least frequent symbols left the heap first and get the longest codes.
    int sorted = 0;
    for (int length = kMaxCodeLength; length >= 1; --length)
        for (int c = counts_[length]; c > 0; --c) lengths_[codes_[sorted++]] = static_cast<uint8_t>(length);
}

void THuffmanBuilder::AssignCodes() {
    uint16_t start[kMaxCodeLength + 2];
    start[1] = 0;
    for (int i = 1; i <= kMaxCodeLength; ++i)
        start[i + 1] = static_cast<uint16_t>(start[i] + (counts_[i] << (kMaxCodeLength - i)));
    for (int s = 0; s < n_; ++s) {
        const int length = lengths_[s];
        if (length == 0) continue;
        codes_[s] = start[length];
        start[length] = static_cast<uint16_t>(start[length] + (1 << (kMaxCodeLength - length)));
    }
}

}  // namespace zov::compress::lh5enc
