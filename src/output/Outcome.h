#pragma once
// The result of a step that can fail: success, or the reason it failed, worded for the
// person who reads a set's summary ("HYPS/HypsP.dbf: File too large").

#include <string>
#include <string_view>
#include <utility>

namespace sheetbasis {

// The reason of a step that ran out of memory.
inline constexpr std::string_view OUT_OF_MEMORY = "out of memory";

class [[nodiscard]] Outcome {
  public:
    Outcome() = default;  // success
    static Outcome failure(std::string reason) {
        Outcome outcome;
        outcome.reason_ = reason.empty() ? std::string(UNKNOWN_REASON) : std::move(reason);
        return outcome;
    }

    bool succeeded() const { return reason_.empty(); }
    explicit operator bool() const { return succeeded(); }
    const std::string& reason() const { return reason_; }

    // The same outcome with the step it happened in named first ("HypsA: ...").
    Outcome within(std::string_view step) const {
        if (succeeded()) return *this;
        return failure(std::string(step) + ": " + reason_);
    }

  private:
    static constexpr std::string_view UNKNOWN_REASON = "failed for an unknown reason";
    std::string reason_;
};

}  // namespace sheetbasis
