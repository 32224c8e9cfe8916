#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app/OrderedQueue.h"
#include "app/ParallelRun.h"

namespace sheetbasis {
namespace {

using namespace std::chrono_literals;

struct Sample {
    std::size_t index;
};

// Producers finish out of order (later indexes are quicker), some fail and are passed
// over; the consumer still gets the others in index order, and never more than the
// capacity plus the next one are waiting.
TEST(OrderedQueue, ValuesComeInIndexOrderWithinTheBound) {
    for (const unsigned threads : {1U, 2U, 6U}) {
        for (const std::size_t capacity : {1U, 3U}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, capacity " << capacity);
            constexpr std::size_t COUNT = 300;
            OrderedQueue<Sample> queue(COUNT, capacity);
            std::atomic<int> waiting{0};
            std::atomic<int> mostWaiting{0};
            std::vector<std::size_t> taken;
            std::jthread consumer([&] {
                while (auto value = queue.take()) {
                    taken.push_back(value->index);
                    --waiting;
                    std::this_thread::sleep_for(200us);  // slower than the producers
                }
            });
            runInParallel(
                COUNT, threads,
                [&](std::size_t i) -> TaskOutcome {
                    std::this_thread::sleep_for(std::chrono::microseconds((COUNT - i) % 7 * 20));
                    const bool failed = i % 10 == 3;
                    if (!failed) {
                        const int now = ++waiting;
                        int most = mostWaiting.load();
                        while (now > most && !mostWaiting.compare_exchange_weak(most, now)) {
                        }
                    }
                    queue.put(i, failed ? std::nullopt : std::optional<Sample>(Sample{i}));
                    return {};
                },
                ExitCode::GenerationFailed, {}, 1ms);
            consumer.join();
            std::vector<std::size_t> expected;
            for (std::size_t i = 0; i < COUNT; ++i) {
                if (i % 10 != 3) expected.push_back(i);
            }
            EXPECT_EQ(taken, expected);
            // Counted from before put to after take: the queue's capacity, the next index
            // taken beyond it, one value per producer about to put and the consumer's own.
            // Without the bound the slow consumer would let hundreds wait.
            EXPECT_LE(mostWaiting.load(), static_cast<int>(capacity + 1 + threads + 1));
        }
    }
}

}  // namespace
}  // namespace sheetbasis
