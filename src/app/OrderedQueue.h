#pragma once
// Hands values made on many threads to one consumer in the order of their indexes, holding
// at most `capacity` of them: a producer whose index is `capacity` or more past the next one
// waits, so that memory stays bounded however far the others run ahead. The value of the
// next index is always taken, so the queue never blocks the producer everyone waits for. Indexes 0
// .. count - 1 are each put exactly once, and producers take their indexes in increasing order (as
// runInParallel hands them out). The room for the waiting values is made up front, so that putting
// a value allocates nothing: a producer puts from a destructor, out of memory too.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace sheetbasis {

template <typename Value>
class OrderedQueue {
  public:
    OrderedQueue(std::size_t count, std::size_t capacity)
        : count_(count), slots_(capacity < 1 ? 1 : capacity) {}

    // Nothing as the value: the index has none (its producer failed), and is passed over.
    void put(std::size_t index, std::optional<Value> value) {
        std::unique_lock lock(mutex_);
        // The indexes from the next one on share no slot while fewer than the slots apart.
        changed_.wait(lock, [&] { return index < next_ + slots_.size(); });
        slots_[index % slots_.size()].emplace(std::move(value));
        changed_.notify_all();
    }

    // The value of the next index with one, waiting for it; nothing once every index has
    // been passed.
    std::optional<Value> take() {
        std::unique_lock lock(mutex_);
        while (next_ < count_) {
            std::optional<std::optional<Value>>& slot = slots_[next_ % slots_.size()];
            changed_.wait(lock, [&] { return slot.has_value(); });
            std::optional<Value> value = std::move(*slot);
            slot.reset();
            ++next_;
            changed_.notify_all();
            if (value) return value;
        }
        return std::nullopt;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    const std::size_t count_;
    // The slot of index i is i % size: filled once put, with nothing for an index passed over.
    std::vector<std::optional<std::optional<Value>>> slots_;
};

}  // namespace sheetbasis
