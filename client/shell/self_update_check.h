#pragma once

// Once per start, on a thread of its own, the client brings its own files up to date
// from "TessalUpdata.xml" of the main site: every "Progarm" item whose installed file's
// digest differs from the list's is downloaded into "./New/" and renamed over the
// installed file. Then TessalUpdata is started without parameters to stage the rest.
// Every failure goes to the daily log and the check moves on; nothing is shown.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>

#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

inline constexpr const char* kClientUpdateListPath = "/video_ftp/TessalClient/TessalUpdata.xml";
// The copy of the last list received, relative to the program folder.
inline constexpr const char* kClientUpdateListFile = "cache/TessalUpdata.xml";
// A list names a few files; a longer reply is no list and is not kept.
inline constexpr std::size_t kMaxClientUpdateListBytes = 1024 * 1024;

struct SelfUpdateContext {
    std::filesystem::path program_folder;  // the current directory too
    SiteSettings site;
    // Required: without a log no failure could be recorded, and the check leaves every
    // file to TessalUpdata.
    DailyLog* log = nullptr;
    std::function<bool()> start_updater;  // starts TessalUpdata without parameters, does not wait
    // The client's stop signal: once raised, the request or download in progress ends, no
    // further file is touched and TessalUpdata is not started (the shutdown routine starts
    // it with the logout parameters).
    const std::atomic<bool>* abandon = nullptr;
};

// One run: fetch the list, bring "Progarm" files up to date, start TessalUpdata. Whatever
// fails on the way (no site, a broken list, a failed download), TessalUpdata is started,
// unless the client began to end.
void RunSelfUpdateCheck(const SelfUpdateContext& context);

}  // namespace tessal::client
