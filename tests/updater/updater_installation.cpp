#include "tests/updater/updater_installation.h"

#include <tinyxml2.h>

#include <algorithm>

#include "common/files/md5.h"
#include "site/model/site_addresses.h"

namespace tessal::updater::test {

namespace fs = std::filesystem;

namespace {

void SetIfNotEmpty(tinyxml2::XMLElement* element, const char* name, const std::string& value) {
    if (!value.empty()) {
        element->SetAttribute(name, value.c_str());
    }
}

tessal::test::RunOptions WithShortWaits(std::vector<std::string> arguments) {
    tessal::test::RunOptions options;
    options.arguments = std::move(arguments);
    options.environment = {{"TESSAL_TEST_WAIT_DIVISOR", "100"}};
    return options;
}

}  // namespace

std::string ListXml(std::optional<std::string> id, const std::vector<ListGroup>& groups) {
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration());
    auto* root = document.NewElement("Updata");
    document.InsertEndChild(root);
    if (id) {
        SetIfNotEmpty(root->InsertNewChildElement("version"), "id", *id);
    }
    for (const ListGroup& group : groups) {
        auto* element = root->InsertNewChildElement(group.group.c_str());
        for (const ListItem& item : group.items) {
            auto* child = element->InsertNewChildElement(group.group.c_str());
            SetIfNotEmpty(child, "name", item.name);
            SetIfNotEmpty(child, "truename", item.truename);
            SetIfNotEmpty(child, "url", item.url);
            SetIfNotEmpty(child, "local", item.local);
            SetIfNotEmpty(child, "md5", item.md5);
            SetIfNotEmpty(child, "priority", item.priority);
        }
    }
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

void UpdaterTest::SetUp() {
    ASSERT_TRUE(installation_.ok()) << installation_.error();
    ASSERT_TRUE(installation_.AddProgram(TESSAL_UPDATER_PROGRAM));
    // A real installation has these; the demo list installs into them.
    fs::create_directories(Path("Layout"));
    fs::create_directories(Path("IMAGE"));
}

tessal::test::ProcessResult UpdaterTest::RunDownload() {
    auto result = installation_.Run("TessalUpdata", WithShortWaits({}));
    EXPECT_EQ(result.exit_status, 0) << result.errors;
    return result;
}

tessal::test::ProcessResult UpdaterTest::RunInstall(const std::string& argument) {
    auto result = installation_.Run("TessalUpdata", WithShortWaits({argument}));
    EXPECT_EQ(result.exit_status, 0) << result.errors;
    return result;
}

void UpdaterTest::ServeList(const std::string& xml) {
    site::FaultRule rule;
    rule.host = "MainSite";
    rule.path = "/video_ftp/TessalClient/Updata.xml";
    rule.body = xml;
    site().faults().Add(rule);
}

std::string UpdaterTest::ServeUpdateFile(const std::string& file, const std::string& bytes) {
    site::FaultRule rule;
    rule.host = "MainSite";
    rule.path = site::kUpdateFilePathPrefix + file;
    rule.body = bytes;
    site().faults().Add(rule);
    return DemoUrl(file);
}

void UpdaterTest::WriteLocalList(const std::string& xml) {
    installation_.Write("cache/Updata.xml", xml);
}

void UpdaterTest::WriteInstalledVersion(const std::string& version) {
    installation_.Write("New/Version.ini", "[GlobalVersion]\nGlobalVersion=" + version + "\n");
}

std::string UpdaterTest::InstalledVersionText() const {
    if (!fs::exists(Path("New/Version.ini"))) {
        return "<missing>";
    }
    return Contents("New/Version.ini");
}

std::string UpdaterTest::DemoFile(const std::string& file) {
    return FileContents(fs::path(installation_.site().data().folder) / "updates" / file);
}

std::string UpdaterTest::DemoUrl(const std::string& file) {
    return site().urls().UpdateFileUrl(file);
}

std::string UpdaterTest::DemoMd5(const std::string& file) {
    return TextMd5(DemoFile(file));
}

std::string UpdaterTest::Contents(const fs::path& relative) const {
    return FileContents(Path(relative));
}

std::string UpdaterTest::Md5Of(const fs::path& relative) const {
    return FileMd5(Path(relative));
}

std::vector<std::string> UpdaterTest::StagedNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path("New"))) {
        if (entry.path().filename() != "Version.ini") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string UpdaterTest::LogText() const {
    std::string text;
    std::error_code failure;
    for (const auto& entry : fs::directory_iterator(Path("cache/Updatatechnology"), failure)) {
        text += FileContents(entry.path());
    }
    return text;
}

std::vector<std::string> UpdaterTest::FetchedUpdateFiles() {
    const std::string prefix = site::kUpdateFilePathPrefix;
    std::vector<std::string> files;
    for (const auto& request : site().requests().All()) {
        if (request.host == "MainSite" && request.path.starts_with(prefix)) {
            files.push_back(request.path.substr(prefix.size()));
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace tessal::updater::test
