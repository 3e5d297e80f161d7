#include "client/download/download_queue.h"

#include "client/catalogue/catalogue_queries.h"
#include "client/download/lesson_address.h"
#include "client/download/lesson_files.h"
#include "common/base/text_helpers.h"

namespace tessal::client {
namespace {

constexpr int kStatusIdle = 0;
constexpr int kStatusFailed = 1;
constexpr int kStatusPaused = 2;
constexpr int kStatusComplete = 4;

}  // namespace

NextTaskChoice ChooseNextTask(bool running, int current_status,
                              const std::vector<std::string>& states) {
    if (running)
        return {NextTask::kRunning};
    if (current_status != kStatusIdle && current_status != kStatusFailed &&
        current_status != kStatusComplete)
        return {NextTask::kEngineBusy};
    if (states.empty())
        return {NextTask::kEmptyList};
    for (std::size_t k = 0; k < states.size(); ++k) {
        const int state = LeadingNumber(states[k]);  // empty: 0, waiting
        if (state != kStatusFailed && state != kStatusPaused)
            return {NextTask::kStart, k};
    }
    return {NextTask::kNoneWaiting};
}

const char* NextTaskTrace(NextTask what) {
    switch (what) {
        case NextTask::kRunning:
            return "jump this1";
        case NextTask::kEngineBusy:
            return "jump this2";
        case NextTask::kEmptyList:
            return "列表空";
        case NextTask::kNoneWaiting:
            return "列表全部下载完毕  这个逻辑应该不存在";
        case NextTask::kStart:
            break;
    }
    return "";
}

std::optional<LessonTask> PrepareLessonTask(const CatalogueQueries& catalogue,
                                            const TaskSettings& settings,
                                            const std::string& lesson_id) {
    const std::string name = catalogue.Lookup(CatalogueLookup::kLessonIdtoName, {lesson_id});
    const std::string url = catalogue.Lookup(CatalogueLookup::kLessonIdtoUrl, {lesson_id});
    if (name.empty() || url.empty())
        return std::nullopt;
    const std::string course =
        catalogue.Lookup(CatalogueLookup::kLessonNametoCourseName, {name, lesson_id});
    const std::string type = catalogue.Lookup(CatalogueLookup::kCoursNametoType, {course});
    const auto folder = CourseFolder(settings.download_root, type, course);
    const std::string encoded = EncodeLessonAddress(url);
    const std::string file_name = LastUrlSegment(encoded);
    if (!folder || file_name.empty() || file_name == "." || file_name == "..")
        return std::nullopt;
    std::error_code ignored;  // the engine reports a folder it cannot write to
    std::filesystem::create_directories(*folder, ignored);
    return LessonTask{*folder, AddressForChannel(encoded, settings.channel, settings.hosts),
                      file_name};
}

}  // namespace tessal::client
