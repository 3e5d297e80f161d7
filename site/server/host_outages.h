#pragma once

// Which hosts of the site are, or were, down: a reply in progress on a host is cut when
// the host goes down after the reply began, as a line that drops would cut it.

#include <array>
#include <atomic>
#include <cstdint>

#include "site/server/routes.h"

namespace tessal::site {

// What one reply looks at: whether its host went down since the reply began.
class CutSignal {
public:
    CutSignal() = default;
    CutSignal(const std::atomic<std::uint64_t>* outages, std::uint64_t seen)
        : outages_(outages), seen_(seen) {}
    bool raised() const { return outages_ != nullptr && outages_->load() != seen_; }

private:
    const std::atomic<std::uint64_t>* outages_ = nullptr;
    std::uint64_t seen_ = 0;
};

class HostOutages {
public:
    void Begin(int slot) { counts_.at(static_cast<std::size_t>(slot)).fetch_add(1); }
    CutSignal Signal(int slot) const {
        const auto& count = counts_.at(static_cast<std::size_t>(slot));
        return CutSignal(&count, count.load());
    }

private:
    std::array<std::atomic<std::uint64_t>, kControlSlot + 1> counts_{};
};

}  // namespace tessal::site
