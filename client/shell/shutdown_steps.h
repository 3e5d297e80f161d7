#pragma once

// What the client's shutdown routine closes, stops or joins, in one place: each window
// and worker registers its step under the stage it belongs to when it is made, and the
// routine runs every stage in order, each step once. Workers are joined in their stage,
// after the windows and before the download engine stops, so a worker never outlives
// the engine it calls.

#include <functional>
#include <string>
#include <vector>

namespace tessal::client {

enum class ShutdownStage {
    kTrayIcons,       // the notification-area icons
    kVideoEngine,     // the video engine's libraries
    kDatabases,       // the course and cache databases
    kWindows,         // every window still open, and the receivers workers send to
    kWorkers,         // worker threads: told to stop, then joined
    kDownloadEngine,  // the download engine, last
};

class ShutdownSteps {
public:
    void Add(ShutdownStage stage, std::string name, std::function<void()> step);
    // Runs every step, stage by stage, in the order each stage's steps were added; the
    // steps run only the first time.
    void Run();
    bool ran() const { return ran_; }
    // The registered steps' names in the order Run takes them.
    std::vector<std::string> Order() const;

private:
    struct Step {
        ShutdownStage stage;
        std::string name;
        std::function<void()> run;
    };
    std::vector<Step> SortedSteps() const;

    std::vector<Step> steps_;
    bool ran_ = false;
};

}  // namespace tessal::client
