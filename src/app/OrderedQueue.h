#pragma once
// Hands values made on many threads to one consumer in the order of their indexes, holding
// at most `capacity` of them: a producer whose value is not the next one waits while the
// queue is full, so that memory stays bounded however far the others run ahead. The value
// of the next index is always taken, so the queue never blocks the producer everyone waits
// for. Indexes 0 .. count - 1 are each put exactly once, and producers take their indexes
// in increasing order (as runInParallel hands them out).

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace sheetbasis {

template <typename Value>
class OrderedQueue {
  public:
    OrderedQueue(std::size_t count, std::size_t capacity)
        : count_(count), capacity_(capacity < 1 ? 1 : capacity) {}

    // Nothing as the value: the index has none (its producer failed), and is passed over.
    void put(std::size_t index, std::optional<Value> value) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return waiting_.size() < capacity_ || index == next_; });
        waiting_.emplace(index, std::move(value));
        changed_.notify_all();
    }

    // The value of the next index with one, waiting for it; nothing once every index has
    // been passed.
    std::optional<Value> take() {
        std::unique_lock lock(mutex_);
        while (next_ < count_) {
            changed_.wait(lock, [&] { return waiting_.contains(next_); });
            auto node = waiting_.extract(next_);
            ++next_;
            changed_.notify_all();
            std::optional<Value> value = std::move(node.mapped());
            if (value) return value;
        }
        return std::nullopt;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::size_t, std::optional<Value>> waiting_;
    std::size_t next_ = 0;
    const std::size_t count_;
    const std::size_t capacity_;
};

}  // namespace sheetbasis
