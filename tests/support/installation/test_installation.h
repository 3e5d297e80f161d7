#pragma once

// A temporary installation folder that points at a reference site of its own: the
// site's Site.ini, the course and cache databases and the usual folders, into which a
// test copies the programs it runs. Integration tests run the real programs here.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "site/server/reference_site.h"
#include "tests/support/temp_folder.h"

namespace tessal::test {

struct ProcessResult {
    int exit_status = -1;  // -1: it did not start, was ended by a signal, or ran too long
    bool timed_out = false;
    std::string output;
    std::string errors;
};

struct RunOptions {
    std::vector<std::string> arguments;
    std::string input;  // standard input, closed after it
    std::chrono::milliseconds limit = std::chrono::seconds(60);
    std::vector<std::pair<std::string, std::string>> environment;  // added to this one's
};

// Runs `program` with `folder` as current directory and waits, at most `limit` (then
// the program is killed).
ProcessResult RunProcess(const std::filesystem::path& program, const std::filesystem::path& folder,
                         const RunOptions& options);

class TestInstallation {
public:
    // Starts the site (free ports) and fills the folder; check ok() before use.
    explicit TestInstallation(site::SiteOptions options = site::DefaultSiteOptions());

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::filesystem::path& folder() const { return folder_.path(); }
    site::ReferenceSite& site() { return *site_; }

    // Copies a built program into the installation under its own name.
    bool AddProgram(const std::filesystem::path& built);
    ProcessResult Run(const std::string& program, const RunOptions& options = {}) const {
        return RunProcess(folder() / program, folder(), options);
    }
    // Writes a file below the installation, creating its folders.
    std::filesystem::path Write(const std::filesystem::path& relative,
                                std::string_view bytes) const {
        return folder_.Write(relative, bytes);
    }

private:
    TempFolder folder_;
    // The installation's own desktop session: its programs' locks (the account held by a
    // login, INI writes) never meet those of another test running at the same time.
    TempFolder runtime_;
    std::unique_ptr<site::ReferenceSite> site_;
    std::string error_;
};

}  // namespace tessal::test
