// A client that only downloads, for the test that kills it: it opens the download center
// of the installation in its current folder, queues the lesson named on its command
// line, says "running" once data flows, and waits to be killed.
//
//   download_center_child ENGINE_FOLDER DOWNLOAD_ROOT LESSON_ID

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "client/catalogue/catalogue_queries.h"
#include "client/catalogue/course_database.h"
#include "client/download/download_center.h"
#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"

using namespace tessal;
using namespace tessal::client;

namespace {

class NoBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "box: %s\n", text.toUtf8().constData());
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::filesystem::path folder = std::filesystem::current_path();
    CourseDatabase database;
    std::string error;
    if (!database.Open(folder / kCourseDatabaseFile, error))
        return 3;
    CatalogueQueries catalogue(database, [](const std::string&, const std::string&) {});
    DownloadEngine engine(argv[1]);
    DailyLog log(folder / "cache/technology");
    StopSignal stop;
    NoBoxes boxes;
    const SiteSettings site = SiteSettings::Load(folder / "Site.ini");
    const std::string root = argv[2];
    DownloadCenterContext context;
    context.program_folder = folder;
    context.catalogue = &catalogue;
    context.engine = &engine;
    context.daily_log = &log;
    context.stop = &stop;
    context.boxes = &boxes;
    context.task_settings = [&] {
        return TaskSettings{
            root,
            1,
            {site.HostName(SiteHost::kDownload1), site.HostName(SiteHost::kDownload2),
             site.HostName(SiteHost::kDownload3)}};
    };
    context.log = [](const std::string&) {};
    DownloadCenter center(std::move(context));
    center.Open(DownloadKind::kLesson, std::atoi(argv[3]));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        gui::TemplateTree* tree = center.loading_tree();
        const int item = tree ? tree->FirstChild(gui::kRootItem) : gui::kNoItem;
        if (item != gui::kNoItem && tree->Text(item, "state") == "3" &&
            tree->Text(item, "pos").toInt() > 0) {
            std::fprintf(stdout, "running\n");
            std::fflush(stdout);
            poll.stop();
        }
    });
    poll.start(100);
    return application.exec();
}
