#pragma once
// The -lh5- encoder's match finder: hash chains over the last 8191 bytes. Every position
// is filed under a hash of its first three bytes; a search walks the chain of the current
// position from the newest entry back, for a bounded number of steps, and keeps the
// longest (and of equal ones the nearest) match.
#include <cstdint>
#include <memory>

#include "compress/codec_runner.h"
#include "compress/lh5_encode.h"

namespace zov::compress::lh5enc {

// How hard a search tries; a chain is cut short once a match is this good.
struct SearchLimits {
    int maxChain;  // candidates looked at per search
    int goodLength;  // a deferred match this long: look at a quarter of the chain only
    int niceLength;  // a match this long ends the search
};

class TLh5MatchFinder {
public:
    static constexpr int kMaxDistance = kWindowSize - 1;

    explicit TLh5MatchFinder(TCompThreadSafety& source);

    // Reads more input when fewer than a longest match plus a hash's bytes are waiting.
    void Refill() {
        if (end_ - pos_ < kMinLookahead && !ended_) Fill();
    }
    // Bytes from the current position to the end of the input read so far.
    int Lookahead() const { return end_ - pos_; }
    uint8_t Current(int back = 0) const { return buffer_[pos_ - back]; }
    const uint8_t* Text() const { return &buffer_[pos_]; }
    void Advance() { ++pos_; }

    // Files the current position under its hash; returns the previous newest position with
    // that hash (absolute position + 1, 0 when none).
    uint32_t Insert() {
        if (end_ - pos_ < kMinMatch) return 0;
        const uint32_t h = Hash(&buffer_[pos_]);
        const uint32_t absolute = base_ + static_cast<uint32_t>(pos_);
        const uint32_t previous = head_[h];
        prev_[absolute & (kWindowSize - 1)] = previous;
        head_[h] = absolute + 1;
        return previous;
    }

    // The longest match for the current position that is longer than `atLeast`, starting
    // the walk at `chain` (as Insert returned it). Returns its length (0 when none) and its
    // distance in `distance`.
    int LongestMatch(uint32_t chain, int atLeast, const SearchLimits& limits, int& distance) const;

private:
    static constexpr int kMinLookahead = kMaxMatch + kMinMatch + 1;
    static constexpr int kBufferSize = 8 * kWindowSize;  // slides rarely
    static constexpr int kSlack = kMaxMatch + 8;        // word-wise compares read past the end
    static constexpr int kHashBits = 15;

    static uint32_t Hash(const uint8_t* p) {
        const uint32_t v = static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
        return (v * 0x9E3779B1u) >> (32 - kHashBits);
    }
    void Fill();

    TCompThreadSafety& source_;
    std::unique_ptr<uint8_t[]> buffer_;
    std::unique_ptr<uint32_t[]> head_;  // per hash: newest absolute position + 1
    std::unique_ptr<uint32_t[]> prev_;  // per position modulo the window: the next older one
    uint32_t base_ = 0;  // absolute position of buffer_[0]
    int pos_ = 0;        // current position in buffer_
    int end_ = 0;        // end of the bytes read
    bool ended_ = false;
};

}  // namespace zov::compress::lh5enc
