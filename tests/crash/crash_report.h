#pragma once

// The end of every crash check: its tally printed ("N kills, M failures") and recorded,
// and the check failed with the first faults when there were any.

#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "tests/crash/kill_loop.h"

namespace tessal::crash {

inline void ExpectNoFaults(const CrashTally& tally) {
    std::cout << "crash consistency " << tally.Summary() << std::endl;
    ::testing::Test::RecordProperty("kills", tally.kills);
    ::testing::Test::RecordProperty("failures", tally.failures);
    std::string faults;
    for (const std::string& fault : tally.faults)
        faults += "\n  " + fault;
    EXPECT_EQ(tally.failures, 0) << faults;
    EXPECT_GT(tally.kills, 0) << "no kill fell while the program ran";
}

}  // namespace tessal::crash
