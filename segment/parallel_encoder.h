#pragma once
// Compresses archive entries on worker threads, ahead of the one that writes the archive,
// and hands the results over in the order the entries were submitted.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "compress/archive_writer.h"

namespace zov::segment {

class TParallelEncoder {
public:
    TParallelEncoder(compress::TCompressionMethod method, int32_t key, unsigned threads);
    ~TParallelEncoder();  // lets each worker finish its entry, then joins them
    TParallelEncoder(const TParallelEncoder&) = delete;
    TParallelEncoder& operator=(const TParallelEncoder&) = delete;

    void Submit(std::vector<uint8_t> bytes);
    // The oldest submitted entry's result, once it is ready; rethrows what its compression
    // raised.
    compress::TEncodedEntry TakeOldest();
    size_t Pending() const { return jobs_.size(); }
    int64_t PendingBytes() const { return pendingBytes_; }

private:
    struct Job {
        std::vector<uint8_t> input;
        compress::TEncodedEntry result;
        std::exception_ptr error;
        bool started = false;
        bool done = false;
    };
    void Work();

    const compress::TCompressionMethod method_;
    const int32_t key_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Job>> jobs_;  // oldest first; only the writer adds and takes
    int64_t pendingBytes_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace zov::segment
