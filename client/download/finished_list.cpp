// The finished list: one entry per course of which lessons were downloaded, with its
// picture, its lesson count and size on disk, and the day the entry was last counted.

#include <QTreeView>
#include <ctime>

#include "client/catalogue/picture_cache.h"
#include "client/download/download_center.h"
#include "client/download/finished_course.h"
#include "client/download/lesson_files.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kFrameImage = "data/lesson/img/20150521161417781.jpg";
constexpr const char* kPlaceholder = "IMAGE/MainW/lessonpicIsloading.png";
constexpr const char* kRowBound = "finishedRowBound";

std::tm Today() {
    const std::time_t now = std::time(nullptr);
    std::tm day{};
    localtime_r(&now, &day);
    return day;
}

}  // namespace

void DownloadCenter::SetUpFinishedTree() {
    auto* view = qobject_cast<QTreeView*>(Element(8));
    if (view == nullptr)
        return;
    view->setRootIsDecorated(false);
    finished_ = new TemplateTree(view);
    finished_->SetItemHeights(60, 60);
    finished_->SetItemTemplate(Path("Layout/DownLoad/DownLoad_Finish.xml"));
    for (const char* column : {"name", "name2", "name3", "name4", "name5", "id"})
        finished_->AddColumn(column);
    RegisterEvent(view, kEventTreeTemplateCreated, [this](EventArgs& args) {
        args.handled = true;
        BindFinishedButtons(args.object);
    });
}

// The entry of the course `id` (or of lesson `id`'s course), added or counted again.
// `renaming` is a lesson file whose rename to its stored name is still to come.
void DownloadCenter::AddFinished(const std::string& id, bool is_course,
                                 const std::filesystem::path& renaming) {
    if (finished_ == nullptr)
        return;
    const CatalogueQueries& catalogue = *context_.catalogue;
    const std::string course_name = catalogue.Lookup(
        is_course ? CatalogueLookup::kCoruseIDtoName : CatalogueLookup::kLessonIdtoCourseName,
        {id});
    if (course_name.empty())
        return;
    const std::string course_id = catalogue.Lookup(CatalogueLookup::kCourseNametoID, {course_name});
    if (course_id.empty())
        return;
    int item = FindItem(*finished_, course_id);
    if (item == kNoItem) {
        item = finished_->InsertItem(kRootItem);
        finished_->SetImageFile(item, "name", CoursePicture(id, is_course));
        finished_->SetCells(item, {{"name2", QString::fromStdString(course_name).left(kTextLimit)},
                                   {"id", QString::fromStdString(course_id)}});
    }
    Count(item, course_name, renaming);
}

void DownloadCenter::Count(int item, const std::string& course_name,
                           const std::filesystem::path& renaming) {
    const std::string type =
        context_.catalogue->Lookup(CatalogueLookup::kCoursNametoType, {course_name});
    const auto folder = CourseFolder(context_.task_settings().download_root, type, course_name);
    const CourseOnDisk course = folder ? CountCourseOnDisk(*folder, renaming) : CourseOnDisk{};
    const FinishedTexts texts = FinishedEntryTexts(course, Today());
    finished_->SetCells(item, {{"name3", QString::fromStdString(texts.lessons)},
                               {"name4", QString::fromStdString(texts.size)},
                               {"name5", QString::fromStdString(texts.date)}});
}

// The course's picture from the picture cache, or the placeholder while it is not there.
QString DownloadCenter::CoursePicture(const std::string& id, bool is_course) const {
    const std::string url = context_.catalogue->Lookup(
        is_course ? CatalogueLookup::kCourseIdToImgUrl : CatalogueLookup::kLessonidtoImg, {id});
    const auto cached = PictureCachePath(context_.program_folder, url);
    std::error_code error;
    if (cached && std::filesystem::is_regular_file(*cached, error))
        return QString::fromStdString(cached->string());
    return Path(kPlaceholder);
}

void DownloadCenter::BindFinishedButtons(QWidget* row) {
    if (QWidget* frame = FindElement(row, 1)) {
        AddStateImage(frame, kStateChecked, Path(kFrameImage));
        AddStateImage(frame, kStateUnchecked, Path(kFrameImage));
    }
    if (row->property(kRowBound).toBool())
        return;
    row->setProperty(kRowBound, true);
    if (QWidget* play = FindElement(row, 6)) {
        RegisterEvent(play, kEventButtonClick, [this](EventArgs&) {
            if (context_.start_player)
                context_.start_player();
        });
    }
    if (QWidget* remove = FindElement(row, 7)) {
        // The files stay on disk; only the entry goes.
        RegisterEvent(remove, kEventButtonClick, [this, row](EventArgs&) {
            finished_->RemoveItem(row->property(kRowItemProperty).toInt());
            SaveFinished();
        });
    }
}

}  // namespace tessal::client
