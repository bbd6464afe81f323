// LH5Encode: the -lh5- compressor. Matches come from hash chains, with lazy matching: a
// match is put off by one position and given up when the next position has a longer one.
#include "compress/lh5_encode.h"

#include <algorithm>
#include <memory>

#include "compress/codecs.h"
#include "compress/lh5_block_writer.h"
#include "compress/lh5_match_finder.h"

namespace zov::compress {
namespace {
using namespace lh5enc;

// A deferred match at least this long is taken without a look at the next position.
constexpr int kLazyLength = 128;
// Matches up to this long are taken only when they cost fewer bits than their literals
// would, priced with the codes of the previous block.
constexpr int kPricedLength = 4;
constexpr SearchLimits kLimits{384, 64, 128};

class TLh5Encoder {
public:
    explicit TLh5Encoder(TCompThreadSafety& s) : finder_(s), block_(s) {}
    void Run();

private:
    // Files the positions a match covers after its first two, which were filed already.
    void SkipMatch(int length);

    TLh5MatchFinder finder_;
    TLh5BlockWriter block_;
};

void TLh5Encoder::SkipMatch(int length) {
    for (int k = 2; k < length; ++k) {
        finder_.Advance();
        finder_.Insert();
    }
    finder_.Advance();
}

void TLh5Encoder::Run() {
    finder_.Refill();
    if (finder_.Lookahead() == 0) return;

    int deferredLength = 0;  // the match found at the previous position, if any
    int deferredDistance = 0;
    bool literalWaiting = false;  // the previous position is not coded yet
    while (finder_.Lookahead() > 0) {
        finder_.Refill();
        const uint32_t chain = finder_.Insert();
        int length = 0;
        int distance = 0;
        if (chain != 0 && deferredLength < kLazyLength) {
            length = finder_.LongestMatch(chain, std::max(deferredLength, kMinMatch - 1), kLimits, distance);
            if (length > 0 && length <= kPricedLength &&
                !block_.MatchPays(length + kMatchSymbolBase, distance - 1, finder_.Text()))
                length = 0;
        }
        if (deferredLength >= kMinMatch && length <= deferredLength) {
            // The match of the previous position wins; this position is its second byte.
            block_.QueueCode(deferredLength + kMatchSymbolBase, deferredDistance - 1);
            SkipMatch(deferredLength);
            deferredLength = 0;
            literalWaiting = false;
            continue;
        }
        if (literalWaiting) block_.QueueCode(finder_.Current(1), 0);
        literalWaiting = true;
        deferredLength = length;
        deferredDistance = distance;
        finder_.Advance();
    }
    if (literalWaiting) block_.QueueCode(finder_.Current(1), 0);
    block_.FlushBlock();
    block_.Finish();
}

}  // namespace

void LH5Encode(TCompThreadSafety& s) {
    auto encoder = std::make_unique<TLh5Encoder>(s);
    encoder->Run();
}

}  // namespace zov::compress
