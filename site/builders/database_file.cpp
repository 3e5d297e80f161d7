#include "site/builders/database_file.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace tessal::site {
namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

}  // namespace

DatabaseFile::DatabaseFile(const std::filesystem::path& target) : target_(target), file_(target) {
    if (!file_.is_open()) {
        Fail(std::string("cannot create a temporary file beside it: ") + std::strerror(errno));
        return;
    }
    if (sqlite3_open_v2(file_.temporary_path().c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        Fail(db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory");
        return;
    }
    // A failed build discards the whole temporary file, so a rollback journal would only
    // cost time; the rename makes the result durable after AtomicFile's fsync.
    Execute("PRAGMA journal_mode=OFF");
    Execute("PRAGMA synchronous=OFF");
    Execute("BEGIN");
}

DatabaseFile::~DatabaseFile() {
    sqlite3_close_v2(db_);
}

bool DatabaseFile::Fail(const std::string& what) {
    if (error_.empty()) {
        error_ = target_.string() + ": " + what;
    }
    return false;
}

bool DatabaseFile::Execute(const std::string& sql) {
    if (!error_.empty()) {
        return false;
    }
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        return Fail(text);
    }
    return true;
}

bool DatabaseFile::Bind(sqlite3_stmt* statement, const SqlRow& row) {
    int index = 0;
    for (const SqlValue& value : row) {
        ++index;
        int result = SQLITE_OK;
        if (const auto* number = std::get_if<std::int64_t>(&value)) {
            result = sqlite3_bind_int64(statement, index, *number);
        } else if (const auto* real = std::get_if<double>(&value)) {
            result = sqlite3_bind_double(statement, index, *real);
        } else {
            const std::string& text = std::get<std::string>(value);
            result = sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                                       SQLITE_TRANSIENT);
        }
        if (result != SQLITE_OK) {
            return Fail(sqlite3_errmsg(db_));
        }
    }
    return true;
}

bool DatabaseFile::InsertRows(const std::string& sql, const std::vector<SqlRow>& rows) {
    if (!error_.empty()) {
        return false;
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        return Fail(sqlite3_errmsg(db_));
    }
    const Statement statement(raw);
    const auto parameter_count = static_cast<std::size_t>(sqlite3_bind_parameter_count(raw));
    for (const SqlRow& row : rows) {
        if (row.size() != parameter_count) {
            return Fail("wrong number of values for: " + sql);
        }
        if (!Bind(raw, row)) {
            return false;
        }
        if (sqlite3_step(raw) != SQLITE_DONE) {
            return Fail(sqlite3_errmsg(db_));
        }
        sqlite3_reset(raw);
        sqlite3_clear_bindings(raw);
    }
    return true;
}

bool DatabaseFile::Commit() {
    if (!Execute("COMMIT")) {
        return false;
    }
    if (sqlite3_close(db_) != SQLITE_OK) {
        return Fail(sqlite3_errmsg(db_));
    }
    db_ = nullptr;
    if (!file_.Commit()) {
        return Fail(std::string("cannot replace it: ") + std::strerror(errno));
    }
    return true;
}

}  // namespace tessal::site
