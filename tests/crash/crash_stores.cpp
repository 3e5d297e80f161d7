#include "tests/crash/crash_stores.h"

#include <sqlite3.h>

#include <ctime>
#include <fstream>
#include <memory>

#include "client/download/load_list.h"
#include "client/messages/message_store.h"
#include "client/shell/user_info.h"
#include "common/settings/ini_file.h"
#include "player/core/hand_off.h"
#include "player/core/play_progress.h"
#include "player/core/player_list.h"
#include "player/core/view_history.h"

namespace tessal::crash {

const char* const kCacheStore = "cache.dll";
const char* const kHistoryStore = "History";

namespace {

namespace fs = std::filesystem;
using Step = std::function<bool(const fs::path&)>;

std::string Joined(const std::vector<std::string>& values) {
    std::string text;
    for (const std::string& value : values)
        text += value + ",";
    return text;
}

std::vector<std::string> Ids(int first, int count) {
    std::vector<std::string> ids;
    for (int n = 0; n < count; ++n)
        ids.push_back(std::to_string(first + n));
    return ids;
}

// UserInfo.ini: the client's login choices and uid, the player's render mode, written by
// two programs that must never lose each other's keys.
FileStore UserInfoStore() {
    const auto choices = [](bool automatic, std::string account, std::string password) -> Step {
        return [=](const fs::path& folder) {
            return client::WriteLoginChoices(folder / client::kUserInfoFileName, true, automatic,
                                             account, password);
        };
    };
    const auto uid = [](std::string value) -> Step {
        return [=](const fs::path& folder) {
            return client::WriteUserId(folder / client::kUserInfoFileName, value);
        };
    };
    const auto render = [](std::string value) -> Step {
        return [=](const fs::path& folder) {
            return WriteProfileString(folder / "UserInfo.ini", "PlayerSet", "Render", value);
        };
    };
    FileStore store;
    store.name = "UserInfo.ini";
    store.files = {"UserInfo.ini"};
    store.writers = {
        {"TessalClient",
         {choices(false, "member01", "first secret"), uid("10001"),
          choices(true, "另一位会员", "second secret, longer than the first"), uid("10002")}},
        {"TessalPlayer", {render("1"), render("2")}}};
    store.read = [](const fs::path& folder) {
        const fs::path file = folder / "UserInfo.ini";
        const client::RememberedLogin login = client::ReadRememberedLogin(file);
        return login.account + "|" + login.password + "|" + std::to_string(login.auto_login) +
               std::to_string(login.remember_password) + "|" +
               ReadProfileString(file, "Login", "userid", "") + "|" +
               ReadProfileString(file, "PlayerSet", "Render", "");
    };
    store.mode = 0600;  // it holds the password
    return store;
}

// LoadList.ini: the download center rewrites a whole section whenever a list changes.
FileStore LoadListStore() {
    const auto ids = [](const char* section, int first, int count) -> Step {
        return [=](const fs::path& folder) {
            return client::WriteSavedIds(folder / client::kLoadListFile, section,
                                         Ids(first, count));
        };
    };
    FileStore store;
    store.name = "LoadList.ini";
    store.files = {client::kLoadListFile};
    store.writers = {
        {"TessalClient",
         {ids(client::kLoadingSection, 5001, 40), ids(client::kFinishedSection, 301, 12),
          ids(client::kLoadingSection, 5020, 3), ids(client::kFinishedSection, 300, 25)}}};
    store.read = [](const fs::path& folder) {
        const client::SavedLists lists = client::ReadSavedLists(folder / client::kLoadListFile);
        return Joined(lists.loading) + "|" + Joined(lists.finished);
    };
    return store;
}

// Lessons that exist, so that the playlist's reader keeps them.
fs::path LessonFile(int course, int lesson) {
    return fs::path("TessalDownload") / ("课程" + std::to_string(course)) /
           ("第" + std::to_string(lesson) + "讲.tessal");
}

player::PlaylistCourses Playlist(int courses, int lessons) {
    player::PlaylistCourses list;
    for (int c = 0; c < courses; ++c) {
        player::PlaylistCourse course{"课程" + std::to_string(c), {}};
        for (int l = 0; l < lessons; ++l) {
            const fs::path path = LessonFile(c, l);
            course.lessons.push_back({path.filename().string(), path.string()});
        }
        list.push_back(std::move(course));
    }
    return list;
}

// PlayerList.ini: the player writes its whole playlist at once; a long one takes a while.
FileStore PlayerListStore() {
    const auto save = [](int courses, int lessons) -> Step {
        return [=](const fs::path& folder) {
            return player::SavePlayerList(folder / player::kPlayerListFile,
                                          Playlist(courses, lessons));
        };
    };
    FileStore store;
    store.name = "PlayerList.ini";
    store.files = {player::kPlayerListFile};
    store.writers = {{"TessalPlayer", {save(30, 40), save(6, 10)}}};
    // The playlist names its lessons relative to the program folder, as the reader sees
    // them from there.
    store.read = [](const fs::path& folder) {
        const fs::path before = fs::current_path();
        fs::current_path(folder);
        std::string text;
        for (const auto& course : player::LoadPlayerList(player::kPlayerListFile)) {
            text += course.name + ":";
            for (const auto& lesson : course.lessons)
                text += lesson.name + "=" + lesson.path + ",";
        }
        fs::current_path(before);
        return text;
    };
    store.prepare = [](const fs::path& folder) {
        for (int c = 0; c < 30; ++c) {
            for (int l = 0; l < 40; ++l) {
                fs::create_directories((folder / LessonFile(c, l)).parent_path());
                std::ofstream(folder / LessonFile(c, l)) << "lesson";
            }
        }
    };
    return store;
}

// codecs/Handle.dll: the running player names its socket, takes what a second start
// hands over and clears both at its end; a second start writes its lesson's path.
FileStore HandOffStore() {
    FileStore store;
    store.name = "Handle.dll";
    store.files = {player::kHandOffFile};
    const auto file = [](const fs::path& folder) { return folder / player::kHandOffFile; };
    store.writers = {{"TessalPlayer",
                      {[=](const fs::path& folder) {
                           return player::WriteHandOffName(file(folder),
                                                           "/run/user/1000/tessal-player");
                       },
                       [=](const fs::path& folder) {
                           player::TakeHandOffData(file(folder));
                           return true;
                       },
                       [=](const fs::path& folder) { return player::ClearHandOff(file(folder)); }}},
                     {"TessalPlayer (second start)", {[=](const fs::path& folder) {
                          return player::WriteHandOffData(
                              file(folder), " TessalDownload/课程 1/第1讲 [上].tessal");
                      }}}};
    store.read = [=](const fs::path& folder) {
        return player::ReadHandOffName(file(folder)) + "|" +
               ReadProfileString(file(folder), "p", "data", "");
    };
    store.prepare = [](const fs::path& folder) { fs::create_directories(folder / "codecs"); };
    return store;
}

struct ProgressConnection {
    explicit ProgressConnection(const fs::path& folder)
        : progress(folder / player::kCacheDatabaseFile, {}) {}
    player::PlayProgress progress;
};

struct MessageConnection {
    explicit MessageConnection(const fs::path& folder)
        : store(folder / client::kCacheDatabaseFile) {}
    client::MessageStore store;
};

}  // namespace

const std::vector<FileStore>& FileStores() {
    static const std::vector<FileStore> stores = {UserInfoStore(), LoadListStore(),
                                                  PlayerListStore(), HandOffStore()};
    return stores;
}

// Each program keeps one connection for its life, as the real ones do.
std::vector<StoreWriter> CacheWriters() {
    auto progress = std::make_shared<std::unique_ptr<ProgressConnection>>();
    const auto save = [progress](int position) -> Step {
        return [progress, position](const fs::path& folder) {
            if (!*progress)
                *progress = std::make_unique<ProgressConnection>(folder);
            return (*progress)->progress.EnsureOpen() &&
                   (*progress)->progress.Save(kProgressLesson, position);
        };
    };
    auto messages = std::make_shared<std::unique_ptr<MessageConnection>>();
    const auto open = [messages](const fs::path& folder) -> client::MessageStore& {
        if (!*messages)
            *messages = std::make_unique<MessageConnection>(folder);
        return (*messages)->store;
    };
    const Step insert = [open](const fs::path& folder) {
        client::MessageStore& store = open(folder);
        std::string error;
        return store.Open(error) && store.Insert(kMessageAccount, "rotating message",
                                                 "http://127.0.0.1/m", kRotatingMessageTime, error);
    };
    const Step remove = [open](const fs::path& folder) {
        client::MessageStore& store = open(folder);
        std::string error;
        return store.Open(error) && store.Delete(kRotatingMessageTime, 1, kMessageAccount, error);
    };
    return {{"TessalPlayer", {save(kProgressNew), save(kProgressOld)}},
            // A restarted writer removes first: the client stores each message once.
            {"TessalClient", {remove, insert}}};
}

std::vector<StoreWriter> HistoryWriters() {
    // Every record its own second, as viewings end one after another.
    auto second = std::make_shared<std::time_t>(std::time(nullptr));
    const Step record = [second](const fs::path& folder) {
        std::tm now{};
        const std::time_t at = (*second)++;
        localtime_r(&at, &now);
        return !player::WriteViewRecord(folder / player::kHistoryFolder,
                                        {kHistoryUid, "", "2026-12-8 9:0:0", "2026-12-8 9:45:0"},
                                        now)
                    .empty();
    };
    return {{"TessalPlayer", {record}}};
}

std::string DatabaseIntegrity(const fs::path& database) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
        result = sqlite3_step(statement) == SQLITE_ROW
                     ? reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))
                     : sqlite3_errmsg(db);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

std::vector<StoreWriter> WritersOf(const std::string& name) {
    if (name == kCacheStore)
        return CacheWriters();
    if (name == kHistoryStore)
        return HistoryWriters();
    for (const FileStore& store : FileStores()) {
        if (store.name == name)
            return store.writers;
    }
    return {};
}

}  // namespace tessal::crash
