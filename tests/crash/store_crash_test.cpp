// The stores under SIGKILL: writer processes repeat a program's writes through its own
// functions and are killed at random moments, many times. After each kill every file
// must read as a state the writes reach (never torn, mixed or lost, its permission bits
// kept), the programs' readers must read it, and the next writer must start on it
// (leftover temporaries and journals included) and write again.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "client/messages/message_store.h"
#include "player/core/play_progress.h"
#include "player/core/view_history.h"
#include "site/builders/cache_database_builder.h"
#include "tests/crash/crash_report.h"
#include "tests/crash/crash_stores.h"
#include "tests/crash/kill_loop.h"
#include "tests/support/temp_folder.h"

namespace tessal::crash {
namespace {

namespace fs = std::filesystem;
using std::chrono::microseconds;

// Kills per store in the default run; TESSAL_CRASH_SCALE multiplies them.
constexpr int kRoundsPerStore = 80;
// Writers run at most this long before their kill: many writes, the first ones included.
constexpr microseconds kLatestKill{30000};

class CrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The INI locks of these folders stay among the test's own processes.
        ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    }

    // Starts every writer of `store`, kills each at a random moment; counts the kills and
    // reports a writer that had ended by itself (a write failed, or it could not start).
    void KillRound(const std::string& store, std::size_t writers, KillClock& clock,
                   CrashTally& tally) {
        std::vector<std::unique_ptr<Program>> programs;
        std::vector<microseconds> kill_at;
        for (std::size_t n = 0; n < writers; ++n) {
            programs.push_back(std::make_unique<Program>(
                TESSAL_CRASH_WRITER, std::vector<std::string>{store, std::to_string(n)},
                folder_.path()));
            kill_at.push_back(clock.Between(microseconds(500), kLatestKill));
        }
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::size_t> order(writers);
        for (std::size_t n = 0; n < writers; ++n)
            order[n] = n;
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return kill_at[a] < kill_at[b]; });
        for (std::size_t n : order) {
            std::this_thread::sleep_until(start + kill_at[n]);
            if (programs[n]->Kill())
                ++tally.kills;
            else
                tally.Fail("writer " + std::to_string(n) + " of " + store +
                           " ended by itself: " + programs[n]->status());
        }
    }

    // Counts the round as one that left a temporary when `folder` holds more than before.
    void CountLeftovers(const fs::path& folder, int& before, CrashTally& tally) {
        const int now = CountTemporaries(folder);
        tally.temporaries += now > before ? 1 : 0;
        before = now;
    }

    TempFolder runtime_;
    TempFolder folder_;
};

// ---- Whole files -------------------------------------------------------------------

using Texts = std::vector<std::string>;

Texts ReadTexts(const fs::path& folder, const FileStore& store) {
    Texts texts;
    for (const fs::path& file : store.files)
        texts.push_back(fs::exists(folder / file) ? FileContents(folder / file) : "<missing>");
    return texts;
}

void WriteTexts(const TempFolder& folder, const FileStore& store, const Texts& texts) {
    for (std::size_t n = 0; n < store.files.size(); ++n) {
        if (texts[n] != "<missing>")
            folder.Write(store.files[n], texts[n]);
        else
            fs::remove(folder.path() / store.files[n]);
    }
}

// Every state the writes reach from the programs' first writes, each with what the
// readers make of it; worked out with the same functions in a folder of its own.
std::map<Texts, std::string> ReachableStates(const FileStore& store) {
    TempFolder scratch;
    if (store.prepare)
        store.prepare(scratch.path());
    for (const StoreWriter& writer : store.writers)
        writer.steps.front()(scratch.path());
    std::map<Texts, std::string> states;
    std::vector<Texts> pending = {ReadTexts(scratch.path(), store)};
    states[pending.front()] = store.read(scratch.path());
    while (!pending.empty()) {
        const Texts from = pending.back();
        pending.pop_back();
        for (const StoreWriter& writer : store.writers) {
            for (const auto& step : writer.steps) {
                WriteTexts(scratch, store, from);
                step(scratch.path());
                Texts reached = ReadTexts(scratch.path(), store);
                if (states.emplace(reached, store.read(scratch.path())).second)
                    pending.push_back(std::move(reached));
            }
        }
    }
    return states;
}

class FileStoreCrashTest : public CrashTest, public ::testing::WithParamInterface<std::string> {
protected:
    const FileStore& Store() const {
        for (const FileStore& store : FileStores()) {
            if (store.name == GetParam())
                return store;
        }
        throw std::logic_error("no store " + GetParam());
    }

    void Check(const FileStore& store, const std::map<Texts, std::string>& states,
               CrashTally& tally) {
        const Texts texts = ReadTexts(folder_.path(), store);
        const auto state = states.find(texts);
        if (state == states.end()) {
            std::string shown;
            for (const std::string& text : texts)
                shown += "[" + text.substr(0, 300) + "] ";
            tally.Fail("not a state the writes make: " + shown);
            return;
        }
        if (const std::string read = store.read(folder_.path()); read != state->second)
            tally.Fail("the reader makes " + read + " of it, not " + state->second);
        for (const fs::path& file : store.files) {
            if (store.mode != 0 && PermissionBits(folder_.path() / file) != store.mode)
                tally.Fail(file.string() + " has mode " +
                           std::to_string(PermissionBits(folder_.path() / file)));
        }
    }
};

TEST_P(FileStoreCrashTest, EveryKillLeavesAStateTheWritesMakeAndTheNextWriterGoesOn) {
    const FileStore& store = Store();
    const auto states = ReachableStates(store);
    ASSERT_GE(states.size(), 2u);
    if (store.prepare)
        store.prepare(folder_.path());
    for (const StoreWriter& writer : store.writers)
        ASSERT_TRUE(writer.steps.front()(folder_.path()));

    KillClock clock(store.name);
    CrashTally tally(store.name);
    int leftovers = CountTemporaries((folder_.path() / store.files.front()).parent_path());
    for (int round = 0; round < kRoundsPerStore * KillScale(); ++round) {
        KillRound(store.name, store.writers.size(), clock, tally);
        CountLeftovers((folder_.path() / store.files.front()).parent_path(), leftovers, tally);
        Check(store, states, tally);
    }
    ExpectNoFaults(tally);
}

std::string StoreTestName(const ::testing::TestParamInfo<std::string>& store) {
    std::string name = store.param;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Stores, FileStoreCrashTest,
                         ::testing::Values("UserInfo.ini", "LoadList.ini", "PlayerList.ini",
                                           "Handle.dll"),
                         StoreTestName);

// ---- The cache database ------------------------------------------------------------

constexpr int kKeptMessages = 12;

std::string KeptMessage(int n) {
    return "保留的消息 " + std::to_string(n);
}

class CacheCrashTest : public CrashTest {
protected:
    fs::path Database() const { return folder_.path() / "cache" / "cache.dll"; }

    void Prepare() {
        std::string error;
        fs::create_directories(Database().parent_path());
        ASSERT_TRUE(site::BuildCacheDatabase(Database(), error)) << error;
        client::MessageStore messages(Database());
        ASSERT_TRUE(messages.Open(error)) << error;
        for (int n = 0; n < kKeptMessages; ++n) {
            const std::string time = "2026-12-" + std::to_string(n + 1) + "    8:0:0";
            ASSERT_TRUE(messages.Insert(kMessageAccount, KeptMessage(n), "", time, error));
        }
        player::PlayProgress progress(Database(), {});
        ASSERT_TRUE(progress.EnsureOpen());
        ASSERT_TRUE(progress.Save(kProgressLesson, kProgressOld));
    }

    void CheckProgress(CrashTally& tally) const {
        player::PlayProgress progress(Database(), {});
        if (!progress.EnsureOpen()) {
            tally.Fail("the player cannot open the cache database");
            return;
        }
        const auto position = progress.Read(kProgressLesson);
        if (position != kProgressOld && position != kProgressNew)
            tally.Fail("the lesson's position reads " +
                       (position ? std::to_string(*position) : std::string("nothing")));
    }

    void CheckMessages(CrashTally& tally) const {
        client::MessageStore messages(Database());
        std::string error;
        std::vector<client::StoredMessage> rows;
        if (!messages.Open(error) || !messages.Page(kMessageAccount, 1, 0, rows, error)) {
            tally.Fail("the client cannot read the messages: " + error);
            return;
        }
        std::multiset<std::string> contents;
        for (const auto& row : rows)
            contents.insert(row.content);
        const std::size_t rotating = contents.count("rotating message");
        bool kept = true;
        for (int n = 0; n < kKeptMessages; ++n)
            kept = kept && contents.count(KeptMessage(n)) == 1;
        if (!kept || rotating > 1 || rows.size() != kKeptMessages + rotating)
            tally.Fail("the messages are not the kept ones and at most one new one: " +
                       std::to_string(rows.size()) + " rows");
        if (messages.Count(kMessageAccount, 1, error) != static_cast<int>(rows.size()))
            tally.Fail("the message count disagrees with the page: " + error);
    }
};

TEST_F(CacheCrashTest, EveryKillLeavesTheOldOrNewRowsAndBothProgramsOpenTheDatabase) {
    ASSERT_NO_FATAL_FAILURE(Prepare());
    KillClock clock(kCacheStore);
    CrashTally tally(kCacheStore);
    const std::size_t writers = CacheWriters().size();
    for (int round = 0; round < kRoundsPerStore * KillScale(); ++round) {
        KillRound(kCacheStore, writers, clock, tally);
        tally.temporaries += fs::exists(fs::path(Database().string() + "-journal")) ? 1 : 0;
        if (const std::string integrity = DatabaseIntegrity(Database()); integrity != "ok")
            tally.Fail("integrity check: " + integrity);
        CheckProgress(tally);
        CheckMessages(tally);
    }
    ExpectNoFaults(tally);
}

// ---- The viewing history -----------------------------------------------------------

TEST_F(CrashTest, EveryKillKeepsEveryViewingRecordWholeAndNoneIsLost) {
    const fs::path history = folder_.path() / player::kHistoryFolder;
    fs::create_directories(history);
    TempFolder sample;
    const fs::path written = player::WriteViewRecord(
        sample.path(), {kHistoryUid, "", "2026-12-8 9:0:0", "2026-12-8 9:45:0"}, std::tm{});
    ASSERT_FALSE(written.empty());
    const std::string record = FileContents(written);
    const std::regex name("[0-9]{14}(-[0-9]+)?\\.xml");

    KillClock clock(kHistoryStore);
    CrashTally tally(kHistoryStore);
    std::size_t records = 0;
    int leftovers = 0;
    for (int round = 0; round < kRoundsPerStore * KillScale(); ++round) {
        KillRound(kHistoryStore, 1, clock, tally);
        CountLeftovers(history, leftovers, tally);
        std::size_t now = 0;
        for (const auto& entry : fs::directory_iterator(history)) {
            const std::string file = entry.path().filename().string();
            if (file.starts_with("."))
                continue;
            ++now;
            if (!std::regex_match(file, name) || FileContents(entry.path()) != record)
                tally.Fail("a torn or foreign record: " + file);
        }
        if (now < records)
            tally.Fail(std::to_string(records - now) + " records lost");
        records = now;
    }
    std::cout << records << " viewing records written" << std::endl;
    ExpectNoFaults(tally);
}

}  // namespace
}  // namespace tessal::crash
