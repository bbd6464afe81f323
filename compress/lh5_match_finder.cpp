#include "compress/lh5_match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zov::compress::lh5enc {
namespace {

constexpr int kHashSize = 1 << 15;

// Equal leading bytes of a and b, up to `limit`; both may be read 8 bytes past it.
int CommonLength(const uint8_t* a, const uint8_t* b, int limit) {
    int n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        while (n < limit) {
            uint64_t x, y;
            std::memcpy(&x, a + n, 8);
            std::memcpy(&y, b + n, 8);
            if (x != y) return std::min(limit, n + std::countr_zero(x ^ y) / 8);
            n += 8;
        }
        return limit;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

}  // namespace

TLh5MatchFinder::TLh5MatchFinder(TCompThreadSafety& source)
    : source_(source),
      buffer_(new uint8_t[kBufferSize + kSlack]()),
      head_(new uint32_t[kHashSize]()),
      prev_(new uint32_t[kWindowSize]()) {}

void TLh5MatchFinder::Fill() {
    if (end_ + kMinLookahead > kBufferSize) {
        // Keep one window of history before the current position.
        const int keep = std::max(0, pos_ - kWindowSize);
        std::memmove(&buffer_[0], &buffer_[keep], static_cast<size_t>(end_ - keep));
        base_ += static_cast<uint32_t>(keep);
        pos_ -= keep;
        end_ -= keep;
    }
    while (end_ < kBufferSize) {
        const uint8_t b = source_.ReadSourceByte();
        if (source_.EndOfInput) {
            ended_ = true;
            break;
        }
        buffer_[end_++] = b;
    }
    std::memset(&buffer_[end_], 0, kBufferSize + kSlack - end_);
}

int TLh5MatchFinder::LongestMatch(uint32_t chain, int atLeast, const SearchLimits& limits,
                                  int& distance) const {
    const int limit = std::min(kMaxMatch, end_ - pos_);
    if (limit < kMinMatch || atLeast >= limit) return 0;
    const uint32_t here = base_ + static_cast<uint32_t>(pos_);
    const uint8_t* text = &buffer_[pos_];
    int best = atLeast;
    int steps = atLeast >= limits.goodLength ? limits.maxChain / 4 : limits.maxChain;
    const int nice = std::min(limits.niceLength, limit);
    bool found = false;
    while (chain != 0 && steps-- > 0) {
        const uint32_t candidate = chain - 1;
        const uint32_t gap = here - candidate;
        if (gap > static_cast<uint32_t>(kMaxDistance)) break;
        const uint8_t* other = text - gap;
        // Cheap tests first: the byte that would make the match longer, then the start.
        if (other[best] == text[best] && other[0] == text[0] && other[1] == text[1]) {
            const int length = CommonLength(text, other, limit);
            if (length > best) {
                best = length;
                distance = static_cast<int>(gap);
                found = true;
                if (length >= nice) break;
            }
        }
        chain = prev_[candidate & (kWindowSize - 1)];
    }
    return found ? best : 0;
}

}  // namespace zov::compress::lh5enc
