// The lesson window on the demo installation against the reference site, with the built
// web engine: what it shows of a course, which lesson plays and how it was signed, the
// timestamp replies that load nothing, quick selections, download buttons, the panel,
// the caption buttons and the one-window rule.

#include "client/catalogue/lesson_window.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAbstractButton>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTreeView>
#include <QUrlQuery>

#include "client/catalogue/online_lesson_loader.h"
#include "client/shell/lesson_windows.h"
#include "common/files/md5.h"
#include "common/gui/elements.h"
#include "common/gui/toolkit_codes.h"
#include "tests/common/gui/web/web_probe.h"
#include "tests/support/installation/test_installation.h"

namespace tessal::client {
namespace {

using gui::FindElement;
using gui::kNoItem;

constexpr const char* kUid = "10001";

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back((caption + "|" + text).toStdString());
    }
    std::vector<std::string> shown;
};

void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::copy(from, to,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
}

class LessonWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.ok()) << installation_.error();
        const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
        for (const char* folder : {"Layout", "IMAGE"})
            CopyFolder(data / folder, installation_.folder() / folder);
    }
    void TearDown() override {
        if (window_)
            delete window_->window();
        loader_.Stop();
        database_.Close();
    }

    // Changes the installation's catalogue before the window reads it.
    void Change(const char* statement) {
        sqlite3* db = nullptr;
        const auto file = installation_.folder() / kCourseDatabaseFile;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, statement, nullptr, nullptr, &error), SQLITE_OK) << error;
        sqlite3_free(error);
        sqlite3_close(db);
    }

    LessonWindowContext Context(QSize screen = {1920, 1080}) {
        std::string error;
        if (!database_.is_open()) {
            EXPECT_TRUE(database_.Open(installation_.folder() / kCourseDatabaseFile, error))
                << error;
        }
        LessonWindowContext context;
        context.program_folder = installation_.folder();
        context.catalogue = &catalogue_;
        context.site = SiteSettings::Load(installation_.folder() / "Site.ini");
        context.uid = kUid;
        context.download_root = (installation_.folder() / "TessalDownload").string() + "/";
        context.web_engine = engine_;
        context.loader = &loader_;
        context.boxes = &boxes_;
        context.screen = screen;
        context.log = [this](const std::string& line) { log_.push_back(line); };
        context.queue_lesson = [this](int id) { queued_.push_back(id); };
        return context;
    }

    LessonWindow* Open(const std::string& course, QSize screen = {1920, 1080}) {
        window_ = LessonWindow::Open(course, Context(screen));
        return window_;
    }

    std::vector<site::RecordedRequest> Miniplayers() {
        return installation_.site().requests().To("Course", "/p/miniplayer");
    }
    std::vector<site::RecordedRequest> Timestamps() {
        return installation_.site().requests().To("AppApi", "/app_client_api_v2/timestamp");
    }
    bool WaitForTimestamps(std::size_t count) {
        return QTest::qWaitFor([&] { return Timestamps().size() >= count; }, 10000);
    }
    QString Text(int id) const { return gui::ElementText(FindElement(window_->window(), id)); }
    int ItemNamed(const QString& name) const {
        gui::TemplateTree& tree = *window_->tree();
        for (int chapter = tree.FirstChild(gui::kRootItem); chapter != kNoItem;
             chapter = tree.NextSibling(chapter))
            for (int item = tree.FirstChild(chapter); item != kNoItem;
                 item = tree.NextSibling(item))
                if (tree.Text(item, "name") == name)
                    return item;
        return kNoItem;
    }
    void SaveShot(const char* name) {
        const QString shots = qEnvironmentVariable("TESSAL_SCREENSHOT_DIR");
        if (shots.isEmpty())
            return;
        QDir().mkpath(shots);
        // On a real display the screen holds the page's frames, which a widget grab of
        // the engine's view leaves black.
        QWidget* window = window_->window();
        const QPixmap shot = QGuiApplication::platformName() == "xcb"
                                 ? window->screen()->grabWindow(0, window->x(), window->y(),
                                                                window->width(), window->height())
                                 : window->grab();
        shot.save(shots + "/" + name + "_" + QGuiApplication::platformName() + ".png");
    }

    test::TestInstallation installation_;
    CourseDatabase database_;
    RecordingBoxes boxes_;
    std::vector<std::string> log_;
    CatalogueQueries catalogue_{
        database_, [this](const std::string&, const std::string& line) { log_.push_back(line); }};
    std::vector<int> queued_;
    std::shared_ptr<gui::EweLibrary> engine_ =
        std::make_shared<gui::EweLibrary>(TESSAL_EWE_LIBRARY);
    OnlineLessonLoader loader_;
    QPointer<LessonWindow> window_;
};

TEST_F(LessonWindowTest, ShowsTheCourseItsCountersAndItsLessonsByChapter) {
    struct Case {
        const char* course;
        const char* title;
        const char* likes;
        const char* views;
        bool question;
    };
    Change(
        "INSERT INTO t_course VALUES (900, '', '', '财会金融', '0', '初级', 7, 8);"
        "INSERT INTO t_lesson VALUES (90001, '无名课时', '', 900, 'http://x/a.tessal', '一', 1);");
    for (const Case& c : {Case{"101", "会计基础入门", "5", "23.5万", true},
                          Case{"102", "税务实务精讲", "100000", "10.0万", true},
                          Case{"900", "TessalClient", "7", "8", true}}) {
        ASSERT_NE(Open(c.course), nullptr);
        QWidget* window = window_->window();
        EXPECT_TRUE(window_->built());
        EXPECT_TRUE(window->isVisible());
        // Over the main window, which stays on top.
        EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(window->windowTitle(), c.title);
        EXPECT_EQ(Text(10), c.likes) << c.course;
        EXPECT_EQ(Text(12), c.views) << c.course;
        EXPECT_EQ(FindElement(window, 11)->isVisible(), c.question);
        delete window;
    }
    ASSERT_NE(Open("201"), nullptr);
    gui::TemplateTree& tree = *window_->tree();
    const int first = tree.FirstChild(gui::kRootItem);
    EXPECT_EQ(tree.Text(first, "name"), "第1章 环境搭建");
    EXPECT_EQ(tree.Text(tree.NextSibling(first), "name"), "第2章 基本语法");
    EXPECT_EQ(tree.Text(tree.FirstChild(first), "id"), "20101");
    EXPECT_EQ(window_->first_lesson(), tree.FirstChild(first));
    EXPECT_EQ(tree.Selected(), window_->first_lesson());
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_TRUE(log_.empty()) << log_.front();
}

// The name is bound: a quote in it is text. A course without a row keeps the layout's
// counters.
TEST_F(LessonWindowTest, ACourseWithoutChaptersIsNeverShown) {
    struct Case {
        const char* course;
        const char* likes;
        const char* name_in_log;
    };
    Change(
        "UPDATE t_course SET Fcoursename='它''s' WHERE FCourseid=201;"
        "DELETE FROM t_course WHERE FCourseid=202;");
    for (const Case& c : {Case{"201", "3021", "它's"}, Case{"202", "0", ""}}) {
        boxes_.shown.clear();
        log_.clear();
        ASSERT_NE(Open(c.course), nullptr);
        EXPECT_FALSE(window_->built());
        EXPECT_FALSE(window_->window()->isVisible());
        EXPECT_EQ(Text(10), c.likes);
        EXPECT_EQ(boxes_.shown, std::vector<std::string>{"lessonlistFial|lessonlistFial"});
        EXPECT_EQ(log_, std::vector<std::string>{
                            std::string("lessonlistFial:SELECT Fchapter from  t_lesson WHERE "
                                        "Fcoursename='") +
                            c.name_in_log + "' GROUP BY Fchapter ORDER BY Fsort"});
        delete window_->window();
    }
    EXPECT_TRUE(Timestamps().empty());
}

TEST_F(LessonWindowTest, AMissingLayoutShowsItsBoxAndNoWindow) {
    std::filesystem::remove(installation_.folder() / kLessonWindowLayout);
    EXPECT_EQ(Open("101"), nullptr);
    EXPECT_EQ(boxes_.shown, std::vector<std::string>{"CreateLessonWndFail|CreateLessonWndFail"});
    EXPECT_EQ(log_, std::vector<std::string>{"CreateLessonWndFail"});
}

// The chapters and lessons come in the catalogue's order, not the rows' order.
TEST_F(LessonWindowTest, TheFirstLessonInCatalogueOrderPlaysSignedForTheMember) {
    Change("UPDATE t_lesson SET Fsort = 100 - Fsort WHERE FCourseid=201;");
    ASSERT_NE(Open("201"), nullptr);
    const int first = window_->first_lesson();
    ASSERT_EQ(window_->tree()->Text(first, "id"), "20105");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Miniplayers().empty(); }, 10000));
    const auto query = QUrlQuery(QString::fromStdString(Miniplayers().front().query));
    const std::string time = query.queryItemValue("time").toStdString();
    EXPECT_EQ(query.queryItemValue("token").toStdString(), TextMd5(kUid + time + "qorvanel"));
    EXPECT_EQ(query.queryItemValue("uid"), kUid);
    EXPECT_EQ(query.queryItemValue("courseid"), "201");
    EXPECT_EQ(query.queryItemValue("lessonid"), "20105");

    QWidget* page = window_->web_view()->engine_view();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(gui::test::WaitForPage(page, "document.title == '函数'"));
    // The page tells the site once its video plays.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !installation_.site().requests().To("Course", "/p/playing").empty(); },
        20000));
    EXPECT_TRUE(gui::test::WaitForPage(
        page, "(v => v && !v.paused && v.currentTime > 0)(document.querySelector('video'))"));
    EXPECT_EQ(Text(8), "函数");
    QTest::qWait(1500);  // a few seconds of the lesson on the screenshot
    SaveShot("lesson_window_playing");
}

TEST_F(LessonWindowTest, TimestampRepliesWithoutATimeLoadNothing) {
    struct Case {
        const char* body;
        bool logged;
    };
    const std::string huge = R"({"timestamp":"123","pad":")" + std::string(1 << 20, 'x') + "\"}";
    for (const Case& c : {Case{"{}", false}, Case{"<html>", false}, Case{"", true},
                          Case{R"({"timestamp":"1&uid=2"})", false},
                          Case{huge.c_str(), true}}) {  // no time: given up as failed
        installation_.site().faults().Clear();
        site::FaultRule rule;
        rule.host = "AppApi";
        rule.path = "/app_client_api_v2/timestamp";
        rule.body = c.body;
        installation_.site().faults().Add(rule);
        installation_.site().requests().Clear();
        log_.clear();
        ASSERT_NE(Open("101"), nullptr);
        ASSERT_TRUE(WaitForTimestamps(1));
        QTest::qWait(300);
        EXPECT_TRUE(Miniplayers().empty()) << std::string(c.body).substr(0, 40);
        EXPECT_EQ(window_->web_view()->engine_view(), nullptr) << c.body;
        const std::string url = installation_.site().urls().HostUrl(SiteHost::kAppApi) +
                                "/app_client_api_v2/timestamp  return is null";
        EXPECT_EQ(log_, c.logged ? std::vector<std::string>{url} : std::vector<std::string>{})
            << c.body;
        EXPECT_EQ(Text(8), "") << c.body;
        delete window_->window();
    }
}

// Slow replies: the member picks two lessons while the first is still asked about, then
// closes a window whose reply has not come.
TEST_F(LessonWindowTest, OnlyTheNewestSelectionOfAnOpenWindowLoads) {
    site::FaultRule slow;
    slow.host = "AppApi";
    slow.delay_ms = 400;
    installation_.site().faults().Add(slow);
    ASSERT_NE(Open("201"), nullptr);
    gui::TemplateTree& tree = *window_->tree();
    tree.Select(ItemNamed("第一个程序"));
    tree.Select(ItemNamed("变量与类型"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Miniplayers().empty(); }, 10000));
    QTest::qWait(1000);
    const auto loaded = Miniplayers();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_NE(loaded.front().query.find("lessonid=20103"), std::string::npos);
    EXPECT_EQ(Text(8), "变量与类型");

    installation_.site().requests().Clear();
    tree.Select(ItemNamed("函数"));
    ASSERT_TRUE(WaitForTimestamps(1));
    delete window_->window();
    QTest::qWait(800);
    EXPECT_TRUE(Miniplayers().empty());
}

// A request that hangs is cut short by the next selection, which is asked at once.
TEST_F(LessonWindowTest, AHangingTimeRequestDoesNotHoldUpTheNextSelection) {
    site::FaultRule hang;
    hang.host = "AppApi";
    hang.delay_ms = 30000;
    hang.times = 1;
    installation_.site().faults().Add(hang);
    ASSERT_NE(Open("201"), nullptr);
    ASSERT_TRUE(WaitForTimestamps(1));
    const auto begin = std::chrono::steady_clock::now();
    window_->tree()->Select(ItemNamed("变量与类型"));
    ASSERT_TRUE(WaitForTimestamps(2));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Miniplayers().empty(); }, 10000));
    EXPECT_NE(Miniplayers().front().query.find("lessonid=20103"), std::string::npos);
}

// Ids from the catalogue go into the page's address: one that is not a number is refused,
// and the lesson chosen before it does not load late either.
TEST_F(LessonWindowTest, ALessonWhoseIdIsNoNumberIsNotPlayed) {
    Change(
        "UPDATE t_lesson SET Fid='10101&uid=666#x' WHERE Fid=10101;"
        "UPDATE t_lesson SET Fid='20103x' WHERE Fid=20103;");
    ASSERT_NE(Open("101"), nullptr);
    QTest::qWait(500);
    EXPECT_TRUE(Timestamps().empty());
    EXPECT_EQ(log_, std::vector<std::string>{
                        "PlayLessonOnline id erro courseid:101 lessonid:10101&uid=666#x"});
    delete window_->window();

    site::FaultRule slow;
    slow.host = "AppApi";
    slow.delay_ms = 600;
    installation_.site().faults().Add(slow);
    ASSERT_NE(Open("201"), nullptr);
    ASSERT_TRUE(WaitForTimestamps(1));
    window_->tree()->Select(ItemNamed("变量与类型"));
    QTest::qWait(1500);
    EXPECT_TRUE(Miniplayers().empty());
    EXPECT_EQ(Text(8), "");
}

// Course 101 is on disk but for the lesson whose file is taken away.
TEST_F(LessonWindowTest, DownloadButtonsShowForLessonsNotOnDiskAndQueueThem) {
    std::filesystem::remove(installation_.folder() /
                            "TessalDownload/财会金融/会计基础入门/kj101-02.tessal");
    Change(
        "INSERT INTO t_lesson VALUES (0, '编号为零', '会计基础入门', 101, 'http://x/z.tessal', "
        "'第二章 会计科目', 99);");
    ASSERT_NE(Open("101"), nullptr);
    gui::TemplateTree& tree = *window_->tree();
    tree.RefreshNow();
    const auto button = [&](const char* lesson) {
        QWidget* row = tree.RowWidget(ItemNamed(lesson));
        return row ? qobject_cast<QAbstractButton*>(FindElement(row, 4)) : nullptr;
    };
    for (const char* on_disk : {"1.1 什么是会计", "2.1 科目分类", "2.2 借贷记账法"}) {
        ASSERT_NE(button(on_disk), nullptr) << on_disk;
        EXPECT_TRUE(button(on_disk)->isHidden()) << on_disk;
    }
    ASSERT_NE(button("1.2 会计要素"), nullptr);
    EXPECT_FALSE(button("1.2 会计要素")->isHidden());
    button("1.2 会计要素")->click();
    EXPECT_EQ(queued_, std::vector<int>{10102});
    log_.clear();
    button("编号为零")->click();
    EXPECT_EQ(queued_.size(), 1u);
    EXPECT_EQ(log_, std::vector<std::string>{"OnLessonDownLoadBtnClick id is null"});
}

TEST_F(LessonWindowTest, ACollapsedPanelStaysCollapsedAcrossResizes) {
    ASSERT_NE(Open("101"), nullptr);
    QWidget* window = window_->window();
    auto* toggle = qobject_cast<QAbstractButton*>(FindElement(window, 13));
    QWidget* panel = FindElement(window, 9);
    EXPECT_EQ(panel->width(), window->width() / 4);
    toggle->click();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(panel->maximumWidth(), 0);
    window->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(panel->maximumWidth(), 0);
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(panel->maximumWidth(), window->width() / 4);
}

TEST_F(LessonWindowTest, SmallScreensGetAWindowInTheGoldenRatio) {
    const std::pair<QSize, QRect> cases[] = {{{1920, 1080}, QRect()},
                                             {{1366, 768}, QRect(0, 0, 844, 521)},
                                             {{1280, 1024}, QRect(0, 0, 791, 488)}};
    for (const auto& [screen, expected] : cases) {
        ASSERT_NE(Open("101", screen), nullptr);
        QWidget* window = window_->window();
        if (expected.isNull())
            EXPECT_EQ(window->geometry(), QRect(QPoint(355, 164), QSize(1210, 751)));
        else
            EXPECT_EQ(window->geometry(), expected);
        delete window;
    }
}

TEST_F(LessonWindowTest, CaptionButtonsMaximiseAndClose) {
    ASSERT_NE(Open("101"), nullptr);
    QWidget* window = window_->window();
    qobject_cast<QAbstractButton*>(FindElement(window, 4))->click();
    EXPECT_TRUE(window->isMaximized());
    qobject_cast<QAbstractButton*>(FindElement(window, 4))->click();
    EXPECT_FALSE(window->isMaximized());
    qobject_cast<QAbstractButton*>(FindElement(window, 5))->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_.isNull(); }, 2000));
}

TEST_F(LessonWindowTest, OpeningAnotherCourseClosesTheOpenWindow) {
    LessonWindows windows([this] { return Context(); });
    windows.Open("101");
    QPointer<LessonWindow> first = windows.current();
    ASSERT_FALSE(first.isNull());
    windows.Open("201");
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(windows.current(), nullptr);
    EXPECT_EQ(windows.current()->course_id(), "201");
    EXPECT_TRUE(windows.current()->window()->isVisible());
    windows.Close();
    EXPECT_EQ(windows.current(), nullptr);
}

}  // namespace
}  // namespace tessal::client
