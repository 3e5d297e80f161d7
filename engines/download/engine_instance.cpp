#include "engines/download/engine_instance.h"

#include <chrono>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include "engines/download/library_setup.h"

namespace tessal::xldl {
namespace {

std::mutex lifecycle_mutex;  // one XL_Init or XL_UnInit at a time: aria2 allows one session
std::shared_mutex pointer_mutex;
std::shared_ptr<Engine> engine;

}  // namespace

bool InitEngine() {
    const std::lock_guard lifecycle(lifecycle_mutex);
    if (CurrentEngine())
        return true;
    SetUpLibraryOnce();
    auto started = std::make_shared<Engine>();
    if (!started->Start())
        return false;
    const std::unique_lock lock(pointer_mutex);
    engine = std::move(started);
    return true;
}

bool UnInitEngine() {
    const std::lock_guard lifecycle(lifecycle_mutex);
    std::shared_ptr<Engine> ending;
    {
        const std::unique_lock lock(pointer_mutex);
        ending.swap(engine);
    }
    if (!ending)
        return false;
    // Borrowers only read tables and queue commands; they let go within microseconds.
    while (ending.use_count() > 1)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    ending.reset();
    return true;
}

std::shared_ptr<Engine> CurrentEngine() {
    const std::shared_lock lock(pointer_mutex);
    return engine;
}

}  // namespace tessal::xldl
