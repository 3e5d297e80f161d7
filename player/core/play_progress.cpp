#include "player/core/play_progress.h"

#include <sqlite3.h>

#include <initializer_list>
#include <memory>

#include "common/base/text_helpers.h"

namespace tessal::player {
namespace {

// The client stores push messages in the same file; a short wait rides over its writes.
constexpr int kBusyTimeoutMs = 1000;

constexpr const char* kRead = "SELECT Ftime from t_PlayProgress WHERE FlessonName=?";
constexpr const char* kExists = "SELECT * FROM t_PlayProgress where FlessonName=?";
constexpr const char* kUpdate = "UPDATE t_PlayProgress SET Ftime=? where  FlessonName=?";
constexpr const char* kInsert = "INSERT INTO t_PlayProgress(FlessonName, Ftime) VALUES(?, ?)";

// The statements as they read with their values in place, for the "sqlfail:" lines.
std::string ReadText(const std::string& key) {
    return "SELECT Ftime from t_PlayProgress WHERE FlessonName='" + key + "'";
}
std::string ExistsText(const std::string& key) {
    return "SELECT * FROM t_PlayProgress where FlessonName='" + key + "'";
}
std::string UpdateText(const std::string& key, const std::string& position) {
    return "UPDATE t_PlayProgress SET Ftime='" + position + "' where  FlessonName='" + key + "'";
}
std::string InsertText(const std::string& key, const std::string& position) {
    return "INSERT INTO t_PlayProgress(FlessonName, Ftime) VALUES('" + key + "', '" + position +
           "')";
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// The statement with `values` bound in order; empty when it cannot be prepared or bound.
Statement Prepare(sqlite3* db, const char* sql, std::initializer_list<const std::string*> values) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    Statement statement(raw);
    int index = 1;
    for (const std::string* value : values) {
        if (sqlite3_bind_text(raw, index++, value->data(), static_cast<int>(value->size()),
                              SQLITE_TRANSIENT) != SQLITE_OK) {
            return nullptr;
        }
    }
    return statement;
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    if (text == nullptr) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

}  // namespace

PlayProgress::PlayProgress(std::filesystem::path database, Hooks hooks)
    : database_(std::move(database)), hooks_(std::move(hooks)) {}

PlayProgress::~PlayProgress() {
    Close();
}

bool PlayProgress::EnsureOpen() {
    std::string text;
    {
        const std::lock_guard lock(mutex_);
        if (db_ != nullptr) {
            return true;
        }
        sqlite3* db = nullptr;
        const int opened = sqlite3_open_v2(database_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (opened == SQLITE_OK) {
            sqlite3_busy_timeout(db, kBusyTimeoutMs);
            db_ = db;
            return true;
        }
        text = std::string("Open Keydatabase fail:") +
               (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(opened));
        sqlite3_close(db);
    }
    // Outside the lock: the hooks may take their time (a box shown through the GUI thread).
    if (hooks_.open_failed) {
        hooks_.open_failed(text);
    }
    if (hooks_.log) {
        hooks_.log(text);
    }
    return false;
}

bool PlayProgress::is_open() const {
    const std::lock_guard lock(mutex_);
    return db_ != nullptr;
}

std::optional<int> PlayProgress::Read(const std::string& key) {
    const std::lock_guard lock(mutex_);
    if (db_ == nullptr || key.empty()) {
        return std::nullopt;
    }
    Statement read = Prepare(db_, kRead, {&key});
    const int step = read ? sqlite3_step(read.get()) : SQLITE_ERROR;
    if (step == SQLITE_ROW) {
        return LeadingNumber(ColumnText(read.get(), 0));
    }
    if (step != SQLITE_DONE) {
        LogFailure(ReadText(key));
    }
    return std::nullopt;
}

bool PlayProgress::Save(const std::string& key, int position_ms) {
    const std::lock_guard lock(mutex_);
    if (db_ == nullptr || key.empty()) {
        return false;
    }
    bool exists = false;
    if (!RowExists(key, exists)) {
        LogFailure(ExistsText(key));
        return false;
    }
    return Store(key, std::to_string(position_ms), exists);
}

bool PlayProgress::RowExists(const std::string& key, bool& exists) {
    Statement test = Prepare(db_, kExists, {&key});
    const int step = test ? sqlite3_step(test.get()) : SQLITE_ERROR;
    exists = step == SQLITE_ROW;
    return step == SQLITE_ROW || step == SQLITE_DONE;
}

bool PlayProgress::Store(const std::string& key, const std::string& position, bool exists) {
    Statement store = exists ? Prepare(db_, kUpdate, {&position, &key})
                             : Prepare(db_, kInsert, {&key, &position});
    if (store && sqlite3_step(store.get()) == SQLITE_DONE) {
        return true;
    }
    LogFailure(exists ? UpdateText(key, position) : InsertText(key, position));
    return false;
}

void PlayProgress::LogFailure(const std::string& statement) const {
    if (hooks_.log) {
        hooks_.log("sqlfail:" + statement);
    }
}

void PlayProgress::Close() {
    const std::lock_guard lock(mutex_);
    sqlite3_close(db_);
    db_ = nullptr;
}

}  // namespace tessal::player
