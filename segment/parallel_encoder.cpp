#include "segment/parallel_encoder.h"

namespace zov::segment {

TParallelEncoder::TParallelEncoder(compress::TCompressionMethod method, int32_t key, unsigned threads)
    : method_(method), key_(key) {
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

TParallelEncoder::~TParallelEncoder() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : workers_) t.join();
}

void TParallelEncoder::Submit(std::vector<uint8_t> bytes) {
    auto job = std::make_unique<Job>();
    job->input = std::move(bytes);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pendingBytes_ += static_cast<int64_t>(job->input.size());
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

compress::TEncodedEntry TParallelEncoder::TakeOldest() {
    std::unique_ptr<Job> job;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return jobs_.front()->done; });
        job = std::move(jobs_.front());
        jobs_.pop_front();
        pendingBytes_ -= job->result.size;
    }
    if (job->error) std::rethrow_exception(job->error);
    return std::move(job->result);
}

void TParallelEncoder::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Job* next = nullptr;
        changed_.wait(lock, [&] {
            if (stopping_) return true;
            for (const auto& job : jobs_)
                if (!job->started) {
                    next = job.get();
                    return true;
                }
            return false;
        });
        if (!next) return;
        next->started = true;
        lock.unlock();
        std::vector<uint8_t> input = std::move(next->input);
        compress::TEncodedEntry result;
        std::exception_ptr error;
        try {
            result = compress::EncodeEntry(input, method_, key_, 0);
        } catch (...) {
            error = std::current_exception();
        }
        result.size = static_cast<int32_t>(input.size());
        lock.lock();
        next->result = std::move(result);
        next->error = error;
        next->done = true;
        changed_.notify_all();
    }
}

}  // namespace zov::segment
