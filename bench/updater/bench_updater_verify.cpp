// bench_updater_verify: the throughput of the install phase's verification pass, for
// comparison with md5sum over the same files (scripts/bench-updater-verify.sh).
//   bench_updater_verify make FOLDER [ITEMS] [TOTAL_MIB]   writes the files and Updata.xml
//   bench_updater_verify run FOLDER                        verifies them and prints MB/s

#include <tinyxml2.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/files/md5.h"
#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"
#include "updater/path_confinement.h"
#include "updater/update_list.h"
#include "updater/verification_pass.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kGroups[] = {"Progarm", "layout", "dll", "image"};
constexpr const char* kListName = "Updata.xml";

// Incompressible, reproducible bytes (xorshift64).
std::string Payload(std::size_t size_bytes, std::uint64_t seed) {
    std::string bytes(size_bytes, '\0');
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (std::size_t i = 0; i < size_bytes; i += sizeof state) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        bytes.replace(i, std::min(sizeof state, size_bytes - i),
                      reinterpret_cast<const char*>(&state),
                      std::min(sizeof state, size_bytes - i));
    }
    return bytes;
}

tinyxml2::XMLElement* AddItem(tinyxml2::XMLElement* group, const std::string& local,
                              const std::string& md5) {
    auto* item = group->InsertNewChildElement(group->Name());
    item->SetAttribute("name", (fs::path(local).filename().string() + ".new").c_str());
    item->SetAttribute("truename", fs::path(local).filename().c_str());
    item->SetAttribute("local", local.c_str());
    item->SetAttribute("md5", md5.c_str());
    return item;
}

int Make(const fs::path& folder, int items, std::int64_t total_bytes) {
    tinyxml2::XMLDocument list;
    auto* root = list.NewElement("Updata");
    list.InsertEndChild(root);
    root->InsertNewChildElement("version")->SetAttribute("id", 3);
    std::vector<tinyxml2::XMLElement*> groups;
    for (const char* group : kGroups) {
        groups.push_back(root->InsertNewChildElement(group));
        fs::create_directories(folder / "files" / group);
    }
    const std::int64_t each = total_bytes / items;
    for (int i = 0; i < items; ++i) {
        const std::size_t size =
            static_cast<std::size_t>(i + 1 == items ? total_bytes - each * (items - 1) : each);
        auto* group = groups[static_cast<std::size_t>(i) % groups.size()];
        const std::string local =
            "files/" + std::string(group->Name()) + "/f" + std::to_string(i) + ".bin";
        const std::string bytes = Payload(size, static_cast<std::uint64_t>(i));
        std::ofstream(folder / local, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        AddItem(group, local, tessal::TextMd5(bytes));
    }
    return list.SaveFile((folder / kListName).c_str()) == tinyxml2::XML_SUCCESS ? 0 : 1;
}

std::int64_t ListedBytes(const fs::path& folder) {
    std::int64_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder / "files")) {
        if (entry.is_regular_file()) {
            total += static_cast<std::int64_t>(entry.file_size());
        }
    }
    return total;
}

int Run(const fs::path& folder) {
    fs::current_path(folder);
    fs::create_directories("log");
    tessal::DailyLog log{fs::path("log")};
    const tessal::SiteSettings site;
    const tessal::updater::PathConfinement paths(fs::current_path());
    const tessal::updater::UpdaterContext context{site, log, paths, 1};
    tinyxml2::XMLDocument list;
    const tinyxml2::XMLElement* root = tessal::updater::LoadUpdateList(kListName, list, log);
    if (root == nullptr) {
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const bool verified = tessal::updater::VerifyInstalledFiles(context, *root);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double megabytes = static_cast<double>(ListedBytes(".")) / 1e6;
    std::printf("%s\n%.1f MB/s\n", verified ? "verified" : "NOT verified",
                megabytes / seconds.count());
    return verified ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc >= 3 ? argv[1] : "";
    if (mode == "make") {
        const int items = argc >= 4 ? std::stoi(argv[3]) : 500;
        const std::int64_t mib = argc >= 5 ? std::stoll(argv[4]) : 256;
        return items > 0 ? Make(argv[2], items, mib * 1024 * 1024) : 2;
    }
    if (mode == "run") {
        return Run(argv[2]);
    }
    std::fprintf(stderr,
                 "usage: bench_updater_verify make FOLDER [ITEMS] [TOTAL_MIB]\n"
                 "       bench_updater_verify run FOLDER\n");
    return 2;
}
