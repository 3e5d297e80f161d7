// An update's install phase under SIGKILL: the real TessalUpdata and TessalUpdataCodes in
// a temporary installation are killed at random moments while they replace files. After
// each kill every file of the program folder is its old or its new self, programs keep
// their run bit and run, and the next run completes the update.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <thread>

#include "common/files/md5.h"
#include "tests/crash/crash_report.h"
#include "tests/crash/kill_loop.h"
#include "tests/updater/updater_installation.h"

namespace tessal::crash {
namespace {

namespace fs = std::filesystem;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kUpdaterRounds = 40;
// The updaters' fixed pauses (seconds) become milliseconds.
const std::vector<std::pair<std::string, std::string>> kShortWaits = {
    {"TESSAL_TEST_WAIT_DIVISOR", "1000"}};

std::string Script(const std::string& program, const std::string& version) {
    return "#!/bin/sh\necho " + version + " " + program + "\n";
}

// Bytes that take the digest a while, different for each version.
std::string Library(unsigned seed, std::size_t size) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

struct UpdateItem {
    std::string group;
    std::string local;
    std::optional<std::string> old_content;  // nothing: not installed before the update
    std::string new_content;
    unsigned old_mode;
    bool program;  // runs and says which version it is
    std::string staged() const { return fs::path(local).filename().string() + ".new"; }
    std::string truename() const { return fs::path(local).filename().string() + ".true"; }
};

std::vector<UpdateItem> UpdateItems() {
    return {
        {"Progarm", "TessalClient", Script("TessalClient", "old"), Script("TessalClient", "new"),
         0755, true},
        {"Progarm", "TessalPlayer", Script("TessalPlayer", "old"), Script("TessalPlayer", "new"),
         0750, true},
        {"Progarm", "TessalTool", std::nullopt, Script("TessalTool", "new"), 0, true},
        {"dll", "libAPlayerCaller.so", Library(1, 3 << 20), Library(2, 3 << 20), 0755, false},
        {"layout", "Layout/UpdateNote.xml", std::string("<old/>"), std::string("<new/>"), 0644,
         false},
        {"image", "IMAGE/update-badge.png", Library(3, 200000), Library(4, 200000), 0644, false},
    };
}

class UpdaterCrashTest : public updater::test::UpdaterTest {
protected:
    // The installed old version, the new one staged by a finished download phase, the
    // list's local copy, and no version recorded yet.
    void StageUpdate() {
        std::vector<updater::test::ListGroup> groups;
        for (const UpdateItem& item : items_) {
            fs::remove(Path(item.local));
            if (item.old_content) {
                installation().Write(item.local, *item.old_content);
                fs::permissions(Path(item.local), static_cast<fs::perms>(item.old_mode));
            }
            installation().Write("New/" + item.staged(), item.new_content);
            groups.push_back({item.group,
                              {{item.staged(), item.truename(), "http://127.0.0.1/unused",
                                item.local, TextMd5(item.new_content), ""}}});
        }
        WriteLocalList(updater::test::ListXml("2", groups));
        fs::remove(Path("New/Version.ini"));
    }

    std::string Installed(const UpdateItem& item) const {
        return fs::exists(Path(item.local)) ? FileContents(Path(item.local)) : "<missing>";
    }

    // A program the folder holds must run as the version its bytes are.
    void CheckProgram(const UpdateItem& item, const std::string& version, CrashTally& tally) {
        if ((PermissionBits(Path(item.local)) & 0111) == 0) {
            tally.Fail(item.local + " lost its run bit");
            return;
        }
        const auto run = installation().Run(item.local);
        if (run.output != version + " " + item.local + "\n")
            tally.Fail(item.local + " does not run as the " + version + " version: " + run.errors);
    }

    // Every file old or new, the new one never lost; the version recorded only when all is new.
    bool CheckAfterKill(CrashTally& tally) {
        bool all_new = true;
        for (const UpdateItem& item : items_) {
            const std::string installed = Installed(item);
            const bool is_new = installed == item.new_content;
            const bool is_old =
                item.old_content ? installed == *item.old_content : installed == "<missing>";
            all_new = all_new && is_new;
            if (!is_new && !is_old) {
                tally.Fail(item.local + " is neither its old nor its new version");
                continue;
            }
            if (!is_new && FileContents(Path("New/" + item.staged())) != item.new_content &&
                FileContents(Path("New/" + item.truename())) != item.new_content)
                tally.Fail(item.local + " is old and its staged new version is gone");
            if (item.program && installed != "<missing>")
                CheckProgram(item, is_new ? "new" : "old", tally);
            else if (is_new && item.old_content &&
                     PermissionBits(Path(item.local)) != item.old_mode)
                tally.Fail(item.local + " did not keep its mode");
        }
        if (fs::exists(Path("New/Version.ini")) && !all_new)
            tally.Fail("the version is recorded while old files remain");
        return all_new;
    }

    // The next run (the client's next shutdown) completes the update.
    void CheckNextRun(CrashTally& tally) {
        Program next(Path("TessalUpdata"), {"end##u##"}, installation().folder(), kShortWaits);
        if (const int status = next.Wait(milliseconds(30000)); status != 0) {
            tally.Fail("the next run ended with " + next.status());
            return;
        }
        for (const UpdateItem& item : items_) {
            if (Installed(item) != item.new_content)
                tally.Fail("the next run left " + item.local + " old");
        }
        if (InstalledVersionText() != "[GlobalVersion]\nGlobalVersion=2\n")
            tally.Fail("the next run did not record the version");
    }

    const std::vector<UpdateItem> items_ = UpdateItems();
};

TEST_F(UpdaterCrashTest, AKilledInstallPhaseLeavesOldOrNewFilesAndTheNextRunCompletesIt) {
    fs::create_directories(Path("New"));
    // One whole run tells how long a run takes; the kills fall anywhere in it.
    StageUpdate();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Program(Path("TessalUpdata"), {"end##u##"}, installation().folder(), kShortWaits)
                  .Wait(milliseconds(30000)),
              0);
    const auto whole =
        std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - started);
    KillClock clock("TessalUpdata");
    CrashTally tally("TessalUpdata install phase");
    int mid_update = 0;
    for (int round = 0; round < kUpdaterRounds * KillScale(); ++round) {
        StageUpdate();
        Program run(Path("TessalUpdata"), {"end##u##"}, installation().folder(), kShortWaits);
        std::this_thread::sleep_for(clock.Between(microseconds(0), whole));
        if (!run.Kill())
            continue;  // the whole run fitted in the pause
        ++tally.kills;
        const bool moved_any = std::any_of(items_.begin(), items_.end(), [&](const auto& item) {
            return Installed(item) == item.new_content;
        });
        const bool all_new = CheckAfterKill(tally);
        mid_update += moved_any && !all_new ? 1 : 0;
        CheckNextRun(tally);
    }
    std::cout << "whole run " << whole.count() / 1000 << " ms; " << mid_update
              << " kills fell between the first and the last file replaced" << std::endl;
    ExpectNoFaults(tally);
}

}  // namespace
}  // namespace tessal::crash
