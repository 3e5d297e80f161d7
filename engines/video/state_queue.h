#pragma once

// The state changes of one engine on their way to the player's state callback. They
// are kept in order and delivered from the event loop, so a callback that calls back
// into the engine never finds it in the middle of a change; when the engine is
// destroyed, whatever is still queued is delivered at once, and nothing after that.
// GUI thread only.

#include <deque>
#include <memory>
#include <utility>

#include "engines/video/aplayer.h"

namespace tessal::aplayer {

class StateQueue final : public std::enable_shared_from_this<StateQueue> {
public:
    explicit StateQueue(APlayerStateCallback callback) : callback_(callback) {}

    // Queues the change from `previous` to `state`; it reaches the callback from the
    // event loop. Dropped once the queue is closed.
    void Push(int previous, int state);
    // Delivers every queued change now, in order, and closes the queue.
    void DeliverAllAndClose();

private:
    void DeliverPending();

    APlayerStateCallback callback_;
    std::deque<std::pair<int, int>> pending_;
    bool delivery_queued_ = false;
    bool closed_ = false;
};

}  // namespace tessal::aplayer
