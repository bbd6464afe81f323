// LH5Encode: the -lh5- compressor. Matches come from the digital search tree with one
// step of lazy matching: a match is put off when the next position has a longer one.
#include "compress/lh5_encode.h"

#include <cstring>
#include <memory>

#include "compress/codecs.h"
#include "compress/lh5_block_writer.h"
#include "compress/lh5_match_tree.h"

namespace zov::compress {
namespace {
using namespace lh5enc;

class TLh5Encoder {
public:
    explicit TLh5Encoder(TCompThreadSafety& s) : state_(s), block_(s) {}
    void Run();

private:
    static constexpr int kTextStart = kWindowSize + kMaxMatch;  // 8448: where new bytes go

    // Reads up to `count` bytes to `dest`; stops for good at the end of the input.
    int ReadInto(uint8_t* dest, int count);
    void StepWindow();

    TCompThreadSafety& state_;
    TLh5MatchTree tree_;
    TLh5BlockWriter block_;
    int remainder_ = 0;  // source bytes from `position` on that are not yet coded
    bool ended_ = false;
};

int TLh5Encoder::ReadInto(uint8_t* dest, int count) {
    int n = 0;
    while (n < count && !ended_) {
        const uint8_t b = state_.ReadSourceByte();
        if (state_.EndOfInput) {
            ended_ = true;
            break;
        }
        dest[n++] = b;
    }
    return n;
}

void TLh5Encoder::StepWindow() {
    --remainder_;
    if (++tree_.position == 2 * kWindowSize) {
        std::memmove(&tree_.window[0], &tree_.window[kWindowSize], TLh5MatchTree::kSlideBytes);
        remainder_ += ReadInto(&tree_.window[kTextStart], kWindowSize);
        tree_.position = kWindowSize;
    }
    tree_.RemovePosition();
    tree_.InsertPosition();
}

void TLh5Encoder::Run() {
    tree_.ResetMatchTree();
    uint8_t* window = tree_.window;
    tree_.position = kTextStart;
    remainder_ = ReadInto(&window[kTextStart], kWindowSize);
    if (remainder_ == 0) return;
    std::memset(&window[kTextStart + remainder_], kSpace, kWindowSize - remainder_);

    tree_.matchPosition = 0;
    tree_.matchLength = 0;
    tree_.InsertPosition();
    while (remainder_ > 0) {
        const int lastLength = tree_.matchLength;
        const int lastPosition = tree_.matchPosition;
        StepWindow();
        if (remainder_ < tree_.matchLength) tree_.matchLength = remainder_;
        if (lastLength < tree_.matchLength || lastLength < kMinMatch) {
            block_.QueueCode(window[tree_.position - 1], 0);
        } else {
            block_.QueueCode(lastLength + kMatchSymbolBase,
                             (tree_.position - lastPosition - 2) & (kWindowSize - 1));
            for (int k = 1; k < lastLength; ++k) StepWindow();
            if (remainder_ < tree_.matchLength) tree_.matchLength = remainder_;
        }
    }
    block_.FlushBlock();
    block_.Finish();
}

}  // namespace

void LH5Encode(TCompThreadSafety& s) {
    auto encoder = std::make_unique<TLh5Encoder>(s);
    encoder->Run();
}

}  // namespace zov::compress
