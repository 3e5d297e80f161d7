// The web view element on the built web engine: an element that shows no page costs
// nothing; the first page starts the engine, whose view fills the element, follows its
// size, draws nothing while hidden and takes the member's input; an online lesson of the
// reference site plays as its page opens.

#include "common/gui/web/xweb.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "common/files/md5.h"
#include "site/server/reference_site.h"
#include "tests/common/gui/web/web_probe.h"
#include "tests/support/temp_folder.h"

namespace tessal::gui {
namespace {

using test::Evaluate;
using test::EvaluateNumber;
using test::WaitForPage;

std::shared_ptr<EweLibrary> BuiltEngine() {
    return std::make_shared<EweLibrary>(TESSAL_EWE_LIBRARY);
}

// Whether Qt WebEngine is mapped into this process.
bool WebEngineMapped() {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find("libQt6WebEngineCore") != std::string::npos;
}

// The processes this one started that are still there.
int ChildProcesses() {
    int children = 0;
    const QString self = QString::number(::getpid());
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        std::ifstream stat(("/proc/" + entry + "/stat").toStdString());
        std::string pid, name, state, parent;
        // The name is in brackets and may hold blanks, but these programs' do not.
        if (stat >> pid >> name >> state >> parent && parent == self.toStdString())
            ++children;
    }
    return children;
}

// For a person to look at: the window as drawn, in TESSAL_SCREENSHOT_DIR when it is set.
void SaveShot(QWidget& window, const char* name) {
    const QString shots = qEnvironmentVariable("TESSAL_SCREENSHOT_DIR");
    if (shots.isEmpty())
        return;
    QDir().mkpath(shots);
    window.grab().save(shots + "/xweb_" + name + "_" + QGuiApplication::platformName() + ".png");
}

// A window whose holder lays out one web view element the way the windows do: added to
// the holder's layout, filling it.
struct WebWindow {
    explicit WebWindow(std::shared_ptr<EweLibrary> engine, int width = 100) {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* title = new QLabel("标题");
        title->setFixedHeight(30);
        layout->addWidget(title);
        layout->addWidget(holder);
        auto* holder_layout = new QVBoxLayout(holder);
        holder_layout->setContentsMargins(6, 6, 6, 6);
        element = XWeb_Create(width, nullptr, std::move(engine));
        holder_layout->addWidget(element);
        window.resize(640, 480);
    }
    WebView* view() const { return XWeb_GetWebView(element); }
    QWidget* engine_view() const { return view()->engine_view(); }

    QWidget window;
    QWidget* holder = new QWidget;
    QWidget* element = nullptr;
};

class XWebTest : public ::testing::Test {
protected:
    // Loads `html` as a file page into the window's element and waits for it.
    void LoadPage(WebWindow& web, const std::string& html) {
        const std::string name = "page" + std::to_string(++pages_) + ".html";
        const auto page = folder_.Write(name, html);
        ASSERT_TRUE(web.view()->LoadURL(
            QUrl::fromLocalFile(QString::fromStdString(page.string())).toString()));
        ASSERT_NE(web.engine_view(), nullptr);
        ASSERT_TRUE(WaitForPage(web.engine_view(),
                                "document.readyState == 'complete' && "
                                "location.href.endsWith('/" +
                                    name + "')"));
    }

    TempFolder folder_;
    int pages_ = 0;
};

TEST_F(XWebTest, CreateMakesAnElementOfTheWidthAndHeight300) {
    const auto engine = BuiltEngine();
    QWidget window;
    std::unique_ptr<QWidget> orphan(XWeb_Create(100, nullptr, engine));
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(orphan->geometry(), QRect(0, 0, 100, 300));
    EXPECT_EQ(orphan->parentWidget(), nullptr);

    QWidget* child = XWeb_Create(500, &window, engine);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parentWidget(), &window);
    EXPECT_EQ(child->geometry(), QRect(0, 0, 500, 300));
    EXPECT_NE(XWeb_GetWebView(child), nullptr);
    EXPECT_NE(XWeb_GetWebView(child), XWeb_GetWebView(orphan.get()));

    EXPECT_EQ(XWeb_Create(100, &window, nullptr), nullptr);
}

TEST_F(XWebTest, TheElementFillsItsLayoutCellAndFollowsItsSize) {
    WebWindow web(BuiltEngine());
    web.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web.window));
    EXPECT_EQ(web.element->parentWidget(), web.holder);
    EXPECT_EQ(web.element->geometry(), web.holder->rect().adjusted(6, 6, -6, -6));

    const QSize before = web.element->size();
    web.window.resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(web.element->geometry(), web.holder->rect().adjusted(6, 6, -6, -6));
    EXPECT_EQ(web.element->size(), before + QSize(900 - 640, 700 - 480));
}

// The main window's element never shows a page: it must not start the engine.
TEST_F(XWebTest, AnElementWithoutAPageStartsNoEngine) {
    if (WebEngineMapped())
        GTEST_SKIP() << "another test of this run started the engine already";
    const auto engine = BuiltEngine();
    WebWindow web(engine);
    web.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web.window));
    web.window.resize(800, 600);
    web.element->setFocus();
    QTest::qWait(500);

    EXPECT_FALSE(engine->loaded());
    EXPECT_EQ(web.engine_view(), nullptr);
    EXPECT_FALSE(WebEngineMapped());
    EXPECT_EQ(ChildProcesses(), 0);
    EXPECT_TRUE(web.element->findChildren<QWidget*>().isEmpty());
}

TEST_F(XWebTest, GetWebViewOfAnotherKindOfElementTracesTheToolkitMessage) {
    const auto engine = BuiltEngine();
    QLabel label;
    label.setProperty("id", 22);
    std::unique_ptr<QWidget> web(XWeb_Create(100, nullptr, engine));

    testing::internal::CaptureStderr();
    WebView* of_label = XWeb_GetWebView(&label);
    WebView* of_nothing = XWeb_GetWebView(nullptr);
    WebView* of_web = XWeb_GetWebView(web.get());
    const std::string traced = testing::internal::GetCapturedStderr();

    EXPECT_EQ(of_label, nullptr);
    EXPECT_EQ(of_nothing, nullptr);
    EXPECT_NE(of_web, nullptr);
    EXPECT_EQ(traced,
              "在API:XWeb_GetWebView()中, 输入句柄可能无效[22].\n"
              "在API:XWeb_GetWebView()中, 输入句柄可能无效[0].\n");
}

TEST_F(XWebTest, AnEngineThatCannotBeLoadedLeavesTheElementEmpty) {
    // A cut engine: its headers whole, its code gone (the loader would map past the end).
    std::ifstream built(TESSAL_EWE_LIBRARY, std::ios::binary);
    std::string head(4096, '\0');
    built.read(head.data(), static_cast<std::streamsize>(head.size()));
    const std::string cut = (std::filesystem::temp_directory_path() /
                             ("libewe-cut-" + std::to_string(::getpid()) + ".so"))
                                .string();
    std::ofstream(cut, std::ios::binary) << head;
    for (const std::string& library :
         {std::string("/nonexistent/libewe.so"), std::string(TESSAL_EWE_INCOMPLETE), cut}) {
        const auto engine = std::make_shared<EweLibrary>(library);
        WebWindow web(engine);
        web.window.show();
        EXPECT_FALSE(web.view()->LoadURL("about:blank")) << library;
        EXPECT_FALSE(engine->loaded()) << library;
        EXPECT_EQ(web.engine_view(), nullptr) << library;
        EXPECT_TRUE(web.element->findChildren<QWidget*>().isEmpty()) << library;
    }
    std::filesystem::remove(cut);
}

TEST_F(XWebTest, TheFirstPageStartsTheEngineAndItsViewFillsTheElement) {
    const auto engine = BuiltEngine();
    WebWindow web(engine);
    web.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web.window));
    LoadPage(web, "<!DOCTYPE html><body>第一课</body>");

    EXPECT_TRUE(engine->loaded());
    EXPECT_TRUE(WebEngineMapped());
    EXPECT_GT(ChildProcesses(), 0);
    EXPECT_EQ(web.engine_view()->parentWidget(), web.element);
    EXPECT_EQ(web.engine_view()->geometry(), web.element->rect());
    EXPECT_TRUE(test::OffTheRecord(web.engine_view()));
    const auto page_size = [&] {
        return Evaluate(web.engine_view(), "window.innerWidth + 'x' + window.innerHeight");
    };
    const auto element_size = [&] {
        return "\"" + std::to_string(web.element->width()) + "x" +
               std::to_string(web.element->height()) + "\"";
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return page_size() == element_size(); }, 5000))
        << page_size().value_or("-") << " against " << element_size();

    web.window.resize(1000, 300);
    QApplication::processEvents();
    EXPECT_EQ(web.engine_view()->geometry(), web.element->rect());
    EXPECT_TRUE(QTest::qWaitFor([&] { return page_size() == element_size(); }, 5000))
        << page_size().value_or("-") << " against " << element_size();

    // A second page goes into the same view.
    QWidget* first_view = web.engine_view();
    LoadPage(web, "<!DOCTYPE html><body>第二课</body>");
    EXPECT_EQ(web.engine_view(), first_view);
    EXPECT_EQ(Evaluate(web.engine_view(), "document.body.textContent"), "\"第二课\"");
}

// What the member sees: the page's own pixels in the element's place in the window.
TEST_F(XWebTest, ThePageIsDrawnInTheElement) {
    WebWindow web(BuiltEngine(), 500);
    web.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web.window));
    LoadPage(web,
             "<!DOCTYPE html><style>body{margin:0;background:#33aa66}</style>"
             "<body><h1>第一章 安全生产</h1></body>");
    const auto green = [&] {
        const QImage shot = web.window.grab().toImage();
        const QColor colour = shot.pixelColor(web.element->mapTo(&web.window, QPoint()) +
                                              QPoint(20, web.element->height() - 20));
        return colour == QColor(0x33, 0xaa, 0x66);
    };
    EXPECT_TRUE(QTest::qWaitFor(green, 10000));
    SaveShot(web.window, "page");
}

// The page counts the frames it is asked to draw.
constexpr const char* kFramePage =
    "<!DOCTYPE html><script>var frames = 0;"
    "function frame() { ++frames; requestAnimationFrame(frame); }"
    "requestAnimationFrame(frame);</script><body>动画</body>";

TEST_F(XWebTest, AHiddenElementDrawsNoFrames) {
    WebWindow web(BuiltEngine());
    web.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web.window));
    LoadPage(web, kFramePage);
    const auto frames = [&] { return EvaluateNumber(web.engine_view(), "frames").value_or(-1); };
    ASSERT_TRUE(WaitForPage(web.engine_view(), "frames > 5"));

    web.element->hide();
    ASSERT_TRUE(WaitForPage(web.engine_view(), "document.visibilityState == 'hidden'"));
    const double hidden_at = frames();
    QTest::qWait(500);
    EXPECT_LE(frames(), hidden_at + 1) << "frames drawn while hidden";

    web.element->show();
    EXPECT_TRUE(WaitForPage(web.engine_view(), "document.visibilityState == 'visible'"));
    EXPECT_TRUE(WaitForPage(web.engine_view(), "frames > " + std::to_string(hidden_at + 5)));
}

// What the page saw of the member's input.
constexpr const char* kInputPage =
    "<!DOCTYPE html><style>body{margin:0;height:3000px}"
    "input{position:absolute;left:40px;top:60px;width:200px;height:30px}</style>"
    "<script>var seen = [];"
    "['mousedown','mouseup','contextmenu'].forEach(function(type) {"
    "  document.addEventListener(type, function(e) {"
    "    seen.push(type + ' ' + e.button + ' ' + e.clientX + ',' + e.clientY); }); });"
    "</script><body><input id=\"answer\"></body>";

TEST_F(XWebTest, MouseKeysAndWheelReachThePage) {
    WebWindow web(BuiltEngine());
    web.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web.window));
    LoadPage(web, kInputPage);
    // On X11 the window is made anew for the engine's view as it comes: activate that one.
    web.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&web.window));
    QWindow* native = web.window.windowHandle();
    const QPoint origin = web.element->mapTo(&web.window, QPoint(0, 0));

    // Through the window, as the platform delivers them, at element coordinates (50, 70).
    QTest::mouseClick(native, Qt::LeftButton, {}, origin + QPoint(50, 70));
    ASSERT_TRUE(WaitForPage(web.engine_view(), "seen.length >= 2"));
    EXPECT_EQ(Evaluate(web.engine_view(), "seen.join('|')"),
              "\"mousedown 0 50,70|mouseup 0 50,70\"");
    EXPECT_TRUE(WaitForPage(web.engine_view(),
                            "document.hasFocus() && document.activeElement.id == 'answer'"));

    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(web.element->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClicks(QApplication::focusWidget(), "lesson 7");
    EXPECT_TRUE(
        WaitForPage(web.engine_view(), "document.getElementById('answer').value == 'lesson 7'"));

    // The right button goes to the page; no browser menu opens.
    QTest::mouseClick(native, Qt::RightButton, {}, origin + QPoint(300, 200));
    EXPECT_TRUE(WaitForPage(web.engine_view(), "seen.indexOf('contextmenu 2 300,200') >= 0"))
        << Evaluate(web.engine_view(), "seen.join('|')").value_or("-");
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMenu*>(top) && top->isVisible());

    // Three notches down over the page scroll it.
    QWidget* target = web.window.childAt(origin + QPoint(300, 200));
    ASSERT_NE(target, nullptr);
    const QPoint at = target->mapFrom(&web.window, origin + QPoint(300, 200));
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -360), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
    EXPECT_TRUE(WaitForPage(web.engine_view(), "window.scrollY > 0"));
}

TEST_F(XWebTest, AWindowClosedWithItsPageTakesTheViewAlong) {
    auto web = std::make_unique<WebWindow>(BuiltEngine());
    web->window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web->window));
    LoadPage(*web, kFramePage);
    const QPointer<QWidget> engine_view = web->engine_view();

    web.reset();
    QTest::qWait(200);
    EXPECT_TRUE(engine_view.isNull());
}

// The online lesson of the reference site: its video starts as the page opens, as it
// did in the system's own view, with no click.
TEST_F(XWebTest, AnOnlineLessonPlaysAsItsPageOpens) {
    site::SiteOptions options = site::DefaultSiteOptions();
    options.base_port = 0;
    site::ReferenceSite site(options);
    std::string error;
    ASSERT_TRUE(site.Start(error)) << error;
    const site::Course& course = site.data().courses.front();
    const site::Lesson& lesson = course.lessons.front();
    const std::string uid = "10001", time = "1700000000";
    const std::string url = site.urls().HostUrl(SiteHost::kCourse) +
                            "/p/miniplayer?token=" + TextMd5(uid + time + "qorvanel") +
                            "&uid=" + uid + "&courseid=" + std::to_string(course.id) +
                            "&lessonid=" + std::to_string(lesson.id) + "&time=" + time;

    WebWindow web(BuiltEngine(), 500);
    web.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&web.window));
    ASSERT_TRUE(web.view()->LoadURL(QString::fromStdString(url)));
    ASSERT_NE(web.engine_view(), nullptr);
    EXPECT_TRUE(WaitForPage(web.engine_view(),
                            "document.getElementById('lesson') && "
                            "!document.getElementById('lesson').paused && "
                            "document.getElementById('lesson').currentTime > 0.5"))
        << Evaluate(web.engine_view(),
                    "var v = document.getElementById('lesson'); v ? [v.paused, v.currentTime, "
                    "v.error && v.error.message].join() : document.title")
               .value_or("-");
    SaveShot(web.window, "lesson");
    site.Stop();
}

}  // namespace
}  // namespace tessal::gui
