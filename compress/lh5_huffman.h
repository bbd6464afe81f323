#pragma once
// Builds the canonical Huffman codes of one -lh5- block, limited to 16 bits.
#include <cstdint>

#include "compress/lh5_encode.h"

namespace zov::compress::lh5enc {

class THuffmanBuilder {
public:
    // Builds a code for the n symbols with the given frequencies; `frequencies` must hold
    // 2n - 1 entries, as internal nodes are counted in it. Fills `lengths` and `codes`
    // (left-aligned in 16 bits) and returns the root. With fewer than two symbols in use
    // the result is that symbol (or 0) instead: all lengths 0, its code 0.
    int BuildHuffman(int n, uint16_t* frequencies, uint8_t* lengths, uint16_t* codes);

private:
    void SinkInHeap(int i);
    void CountDepths(int node);
    void LimitLengths(int root);
    void AssignCodes();

    static constexpr int kMaxNodes = 2 * kSymbolCodeSize;

    int n_ = 0;
    uint16_t* freq_ = nullptr;
    uint8_t* lengths_ = nullptr;
    uint16_t* codes_ = nullptr;  // first the symbols in order of leaving the heap
    int heapSize_ = 0;
    uint16_t heap_[kSymbolCodeSize + 1] = {};
    uint16_t left_[kMaxNodes] = {};
    uint16_t right_[kMaxNodes] = {};
    int counts_[kMaxCodeLength + 1] = {};  // symbols per code length
    int treeDepth_ = 0;
};

}  // namespace zov::compress::lh5enc
