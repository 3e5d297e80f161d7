#include "client/catalogue/course_pictures.h"

#include "client/catalogue/picture_cache.h"
#include "client/catalogue/picture_list.h"
#include "common/base/system_waits.h"
#include "common/net/file_download.h"

namespace tessal::client {
namespace {

constexpr auto kPauseBetweenCourses = std::chrono::milliseconds(500);
// A course picture is small: one that takes longer or grows larger is no picture, and
// the next course's turn must come.
constexpr long kPictureTotalMs = 60000;
constexpr long long kLargestPictureBytes = 16LL * 1024 * 1024;
constexpr const char* kPictureUrlStatement =
    "SELECT Fcourseimg FROM t_course WHERE Fcoursename='?'";

// A download cut short by a crash leaves its temporary file (".<name>.XXXXXX"); one
// older than any download may last is such a leftover, not another client's transfer.
void RemoveStaleTemporaries(const std::filesystem::path& folder) {
    const auto stale_before =
        std::filesystem::file_time_type::clock::now() - std::chrono::minutes(10);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const bool temporary =
            name.size() > 8 && name[0] == '.' && name.rfind('.') == name.size() - 7;
        if (temporary && entry.is_regular_file(error) &&
            entry.last_write_time(error) < stale_before)
            std::filesystem::remove(entry.path(), error);
    }
}

}  // namespace

CoursePictures::CoursePictures(CoursePicturesContext context) : context_(std::move(context)) {}

CoursePictures::~CoursePictures() {
    Stop();
}

void CoursePictures::Start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void CoursePictures::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void CoursePictures::Run() {
    RemoveStaleTemporaries(context_.program_folder / kPictureFolder);
    const auto list = ReadPictureList(context_.program_folder / kPictureListFile);
    for (const PictureListEntry& entry : list) {
        if (stopping())
            break;
        Fetch(entry.name, entry.item);
        if (!Pause())
            break;
    }
    finished_ = true;
}

void CoursePictures::Fetch(const std::string& course, std::optional<int> item) {
    const auto urls = context_.catalogue->Column(kPictureUrlStatement, {{course, true}});
    if (!urls || urls->empty())
        return;
    const std::string& url = urls->front();
    const auto target = PictureCachePath(context_.program_folder, url);
    DownloadOptions options;
    options.abandon = &stop_;
    options.total_timeout_ms = kPictureTotalMs;
    options.max_bytes = kLargestPictureBytes;
    if (target) {
        std::error_code ignored;
        std::filesystem::create_directories(target->parent_path(), ignored);
    }
    if (!target || !DownloadToFile(url, *target, options)) {
        // A download given up because the thread was told to stop is no failure.
        if (!stopping() && context_.log)
            context_.log("UpdateImg fail:URLDownloadToFileA " + url);
        return;
    }
    if (item && context_.on_picture)
        context_.on_picture(*item, *target);
}

bool CoursePictures::stopping() const {
    return stop_ || (context_.client_stop != nullptr && context_.client_stop->raised());
}

bool CoursePictures::Pause() {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, SystemWait(kPauseBetweenCourses), [this] { return stop_.load(); });
}

}  // namespace tessal::client
