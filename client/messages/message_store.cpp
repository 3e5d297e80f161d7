#include "client/messages/message_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tessal::client {
namespace {

// The player writes play progress into the same file; a short wait rides over its write
// without holding up the GUI thread for long.
constexpr int kBusyTimeoutMs = 1000;

// Ftype is INTEGER so that a class stored as text '1' still equals 1; shipped files
// have the table already.
constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS t_Message (FAccount TEXT, FContent TEXT, Furl TEXT, "
    "Ftype INTEGER, Ftime TEXT)";
// Serves the count (covering) and the page (search and order) of one account and class.
constexpr const char* kCreateIndex =
    "CREATE INDEX IF NOT EXISTS t_Message_account_type_time ON t_Message "
    "(FAccount, Ftype, Ftime)";

constexpr const char* kInsert =
    "INSERT INTO t_Message (FAccount,FContent,Furl,Ftype,Ftime) VALUES (?,?,?,1,?)";
constexpr const char* kCount = "SELECT count(*) FROM t_Message WHERE Ftype = ? AND FAccount =?";
constexpr const char* kPage =
    "SELECT FContent,Furl,Ftime FROM t_Message  where FAccount=? AND Ftype=? "
    "ORDER BY Ftime DESC LIMIT ?,30";
static_assert(kMessagePageRows == 30, "the page query's limit");
constexpr const char* kDelete = "DELETE FROM t_Message WHERE Ftime=? AND ftype=? and faccount=?";

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

Statement Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    return Statement(statement);
}

bool BindText(sqlite3_stmt* statement, int index, const std::string& value) {
    return sqlite3_bind_text(statement, index, value.data(), static_cast<int>(value.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    if (text == nullptr)
        return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The insert as it reads with its values in place, for the "sqlfail:" log line.
std::string InsertText(const std::string& account, const std::string& text, const std::string& link,
                       const std::string& time) {
    return "INSERT INTO t_Message (FAccount,FContent,Furl,Ftype,Ftime) VALUES ('" + account +
           "','" + text + "','" + link + "','1','" + time + "')";
}

constexpr const char* kNotOpen = "the cache database is not open";

}  // namespace

std::string MessageTime(const std::tm& local) {
    char text[96];
    std::snprintf(text, sizeof text, "%i-%i-%i    %i:%i:%i", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

MessageStore::MessageStore(std::filesystem::path file) : file_(std::move(file)) {}

MessageStore::~MessageStore() {
    Close();
}

bool MessageStore::Open(std::string& error) {
    const std::lock_guard lock(mutex_);
    if (closed_) {
        error = "the cache database is closed";
        return false;
    }
    return db_ != nullptr || OpenLocked(error);
}

// The file ships with the installation: a missing one is an error, never made here. The
// table is made in a file that lacks it; the index only speeds things up, so a file that
// cannot take it (read-only) still serves.
bool MessageStore::OpenLocked(std::string& error) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (opened == SQLITE_OK) {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        if (sqlite3_exec(db, kCreateTable, nullptr, nullptr, nullptr) == SQLITE_OK) {
            sqlite3_exec(db, kCreateIndex, nullptr, nullptr, nullptr);
            db_ = db;
            return true;
        }
    }
    error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(opened);
    sqlite3_close(db);
    return false;
}

bool MessageStore::is_open() const {
    const std::lock_guard lock(mutex_);
    return db_ != nullptr;
}

bool MessageStore::closed() const {
    const std::lock_guard lock(mutex_);
    return closed_;
}

void MessageStore::Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    sqlite3_close(db_);
    db_ = nullptr;
}

bool MessageStore::Insert(const std::string& account, const std::string& text,
                          const std::string& link, const std::string& time,
                          std::string& statement) {
    const std::lock_guard lock(mutex_);
    if (db_ != nullptr) {
        Statement insert = Prepare(db_, kInsert);
        if (insert && BindText(insert.get(), 1, account) && BindText(insert.get(), 2, text) &&
            BindText(insert.get(), 3, link) && BindText(insert.get(), 4, time) &&
            sqlite3_step(insert.get()) == SQLITE_DONE)
            return true;
    }
    statement = InsertText(account, text, link, time);
    return false;
}

int MessageStore::Count(const std::string& account, int type, std::string& error) {
    const std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        error = kNotOpen;
        return -1;
    }
    Statement count = Prepare(db_, kCount);
    if (count && sqlite3_bind_int(count.get(), 1, type) == SQLITE_OK &&
        BindText(count.get(), 2, account) && sqlite3_step(count.get()) == SQLITE_ROW)
        return sqlite3_column_int(count.get(), 0);
    error = sqlite3_errmsg(db_);
    return -1;
}

bool MessageStore::Page(const std::string& account, int type, int offset,
                        std::vector<StoredMessage>& rows, std::string& error) {
    const std::lock_guard lock(mutex_);
    rows.clear();
    if (db_ == nullptr) {
        error = kNotOpen;
        return false;
    }
    Statement page = Prepare(db_, kPage);
    if (!page || !BindText(page.get(), 1, account) ||
        sqlite3_bind_int(page.get(), 2, type) != SQLITE_OK ||
        sqlite3_bind_int(page.get(), 3, std::max(offset, 0)) != SQLITE_OK) {
        error = sqlite3_errmsg(db_);
        return false;
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(page.get())) == SQLITE_ROW)
        rows.push_back(
            {ColumnText(page.get(), 2), ColumnText(page.get(), 0), ColumnText(page.get(), 1)});
    if (step == SQLITE_DONE)
        return true;
    error = sqlite3_errmsg(db_);
    rows.clear();
    return false;
}

bool MessageStore::Delete(const std::string& time, int type, const std::string& account,
                          std::string& error) {
    const std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        error = kNotOpen;
        return false;
    }
    Statement remove = Prepare(db_, kDelete);
    if (remove && BindText(remove.get(), 1, time) &&
        sqlite3_bind_int(remove.get(), 2, type) == SQLITE_OK &&
        BindText(remove.get(), 3, account) && sqlite3_step(remove.get()) == SQLITE_DONE)
        return true;
    error = sqlite3_errmsg(db_);
    return false;
}

}  // namespace tessal::client
