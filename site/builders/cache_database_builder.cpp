#include "site/builders/cache_database_builder.h"

#include "site/builders/database_file.h"

namespace tessal::site {
namespace {

// Ftype is INTEGER so that a type stored as the text '1' still equals 1 in the client's
// queries. The index is the one the message manager's count and pages use; the client
// makes it when missing, a shipped file has it already.
constexpr const char* kSchema =
    "CREATE TABLE t_Message (FAccount TEXT, FContent TEXT, Furl TEXT, Ftype INTEGER, "
    "Ftime TEXT);"
    "CREATE INDEX t_Message_account_type_time ON t_Message (FAccount, Ftype, Ftime);"
    "CREATE TABLE t_PlayProgress (FlessonName TEXT, Ftime TEXT);";

}  // namespace

bool BuildCacheDatabase(const std::filesystem::path& file, std::string& error) {
    DatabaseFile database(file);
    const bool built = database.Execute(kSchema) && database.Commit();
    if (!built) {
        error = database.error();
    }
    return built;
}

}  // namespace tessal::site
