#include "site/builders/shipped_files.h"

#include "site/builders/cache_database_builder.h"
#include "site/builders/course_database_builder.h"

namespace tessal::site {

bool CreateShippedFolders(const std::filesystem::path& folder, std::string& error) {
    for (const char* relative : kShippedFolders) {
        std::error_code failure;
        std::filesystem::create_directories(folder / relative, failure);
        if (failure) {
            error = (folder / relative).string() + ": cannot be created: " + failure.message();
            return false;
        }
    }
    return true;
}

bool BuildShippedFiles(const std::filesystem::path& folder, std::string& error) {
    return CreateShippedFolders(folder, error) &&
           BuildCacheDatabase(folder / kCacheDatabaseFile, error) &&
           BuildEmptyCourseDatabase(folder / kCourseDatabaseFile, error);
}

}  // namespace tessal::site
