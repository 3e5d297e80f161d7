#include "client/shell/shutdown_steps.h"

#include <algorithm>

namespace tessal::client {

void ShutdownSteps::Add(ShutdownStage stage, std::string name, std::function<void()> step) {
    steps_.push_back({stage, std::move(name), std::move(step)});
}

std::vector<ShutdownSteps::Step> ShutdownSteps::SortedSteps() const {
    std::vector<Step> sorted = steps_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Step& a, const Step& b) { return a.stage < b.stage; });
    return sorted;
}

void ShutdownSteps::Run() {
    if (ran_)
        return;
    ran_ = true;  // a step that ends in another call of the routine starts nothing again
    for (const Step& step : SortedSteps()) {
        if (step.run)
            step.run();
    }
}

std::vector<std::string> ShutdownSteps::Order() const {
    std::vector<std::string> names;
    for (const Step& step : SortedSteps())
        names.push_back(step.name);
    return names;
}

}  // namespace tessal::client
