// The question window over a lesson window, against the reference site: what is sent and
// when nothing is, the editor's placeholder, the result boxes, posting once, closing
// during a post, the modal opening, and a layout that cannot be loaded.

#include "client/catalogue/question_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/catalogue/question_form.h"
#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/toolkit_codes.h"
#include "site/server/reference_site.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

constexpr const char* kCourseId = "7";

struct RecordedBox {
    QWidget* owner;
    QString text;
    QString caption;
};

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget* owner, const QString& text, const QString& caption) override {
        shown.push_back({owner, text, caption});
    }
    std::vector<RecordedBox> shown;
};

class QuestionWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        site::SiteOptions options = site::DefaultSiteOptions();
        options.base_port = 0;
        site_ = std::make_unique<site::ReferenceSite>(options);
        std::string error;
        ASSERT_TRUE(site_->Start(error)) << error;
        settings_ = SiteSettings::Load(folder_.Write("Site.ini", site_->SiteIniText()));
        const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
        folder_.Write("Layout/AskWnd.xml", FileContents(data / "Layout" / "AskWnd.xml"));
        lesson_.setGeometry(120, 80, 960, 640);
        lesson_.show();
    }
    void TearDown() override {
        question_.reset();
        site_->Stop();
    }

    QuestionContext Context() {
        return {folder_.path(), settings_, kCourseId, &boxes_,
                [this](const std::string& line) { log_.push_back(line); }};
    }
    QWidget* OpenWindow() {
        question_ = std::make_unique<QuestionWindow>(&lesson_, Context());
        return question_->Open() ? question_->window() : nullptr;
    }
    QTextEdit* Editor() const {
        return gui::FindElementAs<QTextEdit>(question_->window(), kQuestionEditorId);
    }
    QWidget* Submit() const { return gui::FindElement(question_->window(), kQuestionSubmitId); }
    // Typed as an input method types: QTest's keys are ASCII only.
    void Type(const QString& text) const {
        Editor()->clear();
        Editor()->insertPlainText(text);
    }
    bool WaitUntilDone(int timeout_ms = 10000) const {
        return QTest::qWaitFor([this] { return question_->done(); }, timeout_ms);
    }
    std::vector<site::RecordedRequest> Posts() const {
        return site_->requests().To("ClientData", kQuestionPath);
    }
    void ReplyWith(std::optional<std::string> body, int delay_ms = 0) {
        site::FaultRule rule;
        rule.host = "ClientData";
        rule.path = kQuestionPath;
        rule.body = std::move(body);
        rule.delay_ms = delay_ms;
        site_->faults().Add(rule);
    }
    static void SaveShot(QWidget* window, const char* name) {
        const char* folder = std::getenv("TESSAL_SCREENSHOT_DIR");
        if (folder == nullptr)
            return;
        std::filesystem::create_directories(folder);
        QApplication::processEvents();
        window->grab().save(QString::fromStdString(
            (std::filesystem::path(folder) / (std::string(name) + ".png")).string()));
    }

    TempFolder folder_;
    std::unique_ptr<site::ReferenceSite> site_;
    SiteSettings settings_;
    RecordingBoxes boxes_;
    std::vector<std::string> log_;
    QWidget lesson_;
    std::unique_ptr<QuestionWindow> question_;
};

TEST_F(QuestionWindowTest, OpensModalOverTheMiddleOfTheLessonWindowWithItsElements) {
    QWidget* window = OpenWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(QApplication::activeModalWidget(), window);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_LE(
        (window->frameGeometry().center() - lesson_.frameGeometry().center()).manhattanLength(), 2);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->toPlainText().toStdString(), kQuestionPlaceholder);
    EXPECT_EQ(Editor()->lineWrapMode(), QTextEdit::WidgetWidth);
    // What a click at each element's middle reaches: nothing lies over them.
    const auto reached = [window](QWidget* element) {
        return window->childAt(element->mapTo(window, element->rect().center()));
    };
    EXPECT_EQ(reached(Editor()), Editor()->viewport());
    EXPECT_EQ(reached(Submit()), Submit());
    QWidget* close = gui::FindElement(window, kQuestionCloseId);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(reached(close), close);
    SaveShot(window, "question_window");
}

TEST_F(QuestionWindowTest, AnUntouchedOrEmptyQuestionSendsNothingAndTheWindowStays) {
    for (const char* text : {"请输入您所遇到的问题", ""}) {
        ASSERT_NE(OpenWindow(), nullptr);
        Type(text);
        QTest::mouseClick(Submit(), Qt::LeftButton);
        QTest::qWait(300);
        EXPECT_NE(question_->window(), nullptr) << text;
        EXPECT_FALSE(question_->posting()) << text;
        EXPECT_TRUE(Submit()->isEnabled());
    }
    EXPECT_TRUE(Posts().empty());
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(QuestionWindowTest, ClickingIntoTheEditorEmptiesOnlyThePlaceholder) {
    ASSERT_NE(OpenWindow(), nullptr);
    QTest::mouseClick(Editor()->viewport(), Qt::LeftButton);
    EXPECT_EQ(Editor()->toPlainText(), "");
    Type("视频卡顿");
    QTest::mouseClick(Editor()->viewport(), Qt::LeftButton);
    EXPECT_EQ(Editor()->toPlainText(), "视频卡顿");
}

TEST_F(QuestionWindowTest, AChineseQuestionArrivesInTheSiteCodePage) {
    ASSERT_NE(OpenWindow(), nullptr);
    Type("视频无法播放怎么办");
    QTest::mouseClick(Submit(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntilDone());

    const auto posts = Posts();
    ASSERT_EQ(posts.size(), 1U);
    EXPECT_EQ(posts[0].method, "POST");
    EXPECT_EQ(posts[0].Header("Cookie"), "");
    const std::string& body = posts[0].body;
    const std::string con = "&con=%CA%D3%C6%B5%CE%DE%B7%A8%B2%A5%B7%C5%D4%F5%C3%B4%B0%EC&";
    EXPECT_NE(body.find(con), std::string::npos) << body;  // two escapes a character
    EXPECT_TRUE(body.ends_with("&course=7")) << body;
    const auto questions = site_->state().Questions();
    ASSERT_EQ(questions.size(), 1U);
    EXPECT_EQ(questions[0].content, "视频无法播放怎么办");
    EXPECT_EQ(questions[0].title, kQuestionTitle);
    EXPECT_EQ(questions[0].account, kQuestionAccount);
    EXPECT_EQ(questions[0].password, kQuestionPassword);
    EXPECT_EQ(questions[0].course, kCourseId);
}

// Success or not, the answer is shown over the lesson window and the window closes.
TEST_F(QuestionWindowTest, TheReplyIsShownAndTheWindowCloses) {
    const std::pair<std::optional<std::string>, QString> cases[] = {
        {std::nullopt, "提交成功"},  // the script's own "1"
        {"0", "0"},                  // refused
        {"", ""},                    // nothing came back
    };
    for (const auto& [reply, text] : cases) {
        boxes_.shown.clear();
        site_->faults().Clear();
        if (reply)
            ReplyWith(reply);
        ASSERT_NE(OpenWindow(), nullptr);
        Type("怎么下载课程");
        QTest::mouseClick(Submit(), Qt::LeftButton);
        ASSERT_TRUE(WaitUntilDone()) << text.toStdString();
        ASSERT_EQ(boxes_.shown.size(), 1U) << text.toStdString();
        EXPECT_EQ(boxes_.shown[0].text, text);
        EXPECT_EQ(boxes_.shown[0].caption, "");
        EXPECT_EQ(boxes_.shown[0].owner, &lesson_);
    }
}

TEST_F(QuestionWindowTest, ASecondClickWhileAPostRunsPostsOnce) {
    ReplyWith(std::nullopt, 600);
    ASSERT_NE(OpenWindow(), nullptr);
    Type("第二次点击");
    QTest::mouseClick(Submit(), Qt::LeftButton);
    EXPECT_TRUE(question_->posting());
    QTest::mouseClick(Submit(), Qt::LeftButton);
    gui::SendEvent(Submit(), gui::kEventButtonClick);  // past the disabled button
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_EQ(Posts().size(), 1U);
    EXPECT_EQ(boxes_.shown.size(), 1U);
}

TEST_F(QuestionWindowTest, AnOverlongQuestionIsRefusedInTheWindow) {
    ASSERT_NE(OpenWindow(), nullptr);
    Type(QString(1024, QChar(0x95EE)));  // 2048 bytes in GBK
    QTest::mouseClick(Submit(), Qt::LeftButton);
    QTest::qWait(300);
    ASSERT_EQ(boxes_.shown.size(), 1U);
    EXPECT_EQ(boxes_.shown[0].text, kQuestionTooLongText);
    EXPECT_EQ(boxes_.shown[0].owner, question_->window());
    EXPECT_FALSE(question_->posting());
    EXPECT_NE(question_->window(), nullptr);
    EXPECT_TRUE(Posts().empty());
}

// The member does not wait for an answer nobody will see, nor for the request's time-out.
TEST_F(QuestionWindowTest, ClosingDuringAPostAbandonsItWithoutABox) {
    ReplyWith(std::nullopt, 8000);
    ASSERT_NE(OpenWindow(), nullptr);
    Type("关闭窗口");
    QTest::mouseClick(Submit(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Posts().size() == 1; }, 5000));
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::mouseClick(gui::FindElement(question_->window(), kQuestionCloseId), Qt::LeftButton);
    ASSERT_TRUE(WaitUntilDone(5000));
    EXPECT_LT(elapsed.elapsed(), 3000);
    EXPECT_TRUE(boxes_.shown.empty());
}

// The window shown for the lesson window goes once it is closed (Escape) or has answered
// (submit), with its post ended; a stuck window is closed by the watchdog and fails.
TEST_F(QuestionWindowTest, AShownWindowIsDeletedOnceItIsDone) {
    enum class Ending { kEscape, kSubmit };
    for (const Ending ending : {Ending::kEscape, Ending::kSubmit}) {
        boxes_.shown.clear();
        bool stuck = false;
        QTimer::singleShot(0, [ending] {
            auto* editor =
                gui::FindElementAs<QTextEdit>(QApplication::activeModalWidget(), kQuestionEditorId);
            ASSERT_NE(editor, nullptr);
            if (ending == Ending::kEscape) {
                QTest::keyClick(editor, Qt::Key_Escape);
                return;
            }
            editor->setPlainText("模态提问");
            QTest::mouseClick(
                gui::FindElement(QApplication::activeModalWidget(), kQuestionSubmitId),
                Qt::LeftButton);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&stuck] {
            stuck = true;
            if (QWidget* window = QApplication::activeModalWidget())
                window->close();
        });
        watchdog.start(8000);
        QPointer<QuestionWindow> shown = ShowQuestionWindow(&lesson_, Context());
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(shown->parent(), &lesson_);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown.isNull(); }, 10000));
        EXPECT_FALSE(stuck);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        if (ending == Ending::kSubmit) {
            ASSERT_EQ(boxes_.shown.size(), 1U);
            EXPECT_EQ(boxes_.shown[0].text, kQuestionSentText);
        }
    }
    EXPECT_EQ(Posts().size(), 1U);
}

// The shutdown routine destroys the lesson window from inside a box's event loop (a
// signal arrives while the member reads the box): the box goes with it, and neither it
// nor the question window is freed twice.
TEST_F(QuestionWindowTest, TheLessonWindowMayGoWhileAResultBoxShows) {
    for (const bool too_long : {false, true}) {
        auto lesson = std::make_unique<QWidget>();
        lesson->show();
        gui::ModalMessageBoxes boxes;
        QuestionContext context = Context();
        context.boxes = &boxes;
        QPointer<QuestionWindow> question = ShowQuestionWindow(lesson.get(), context);
        ASSERT_FALSE(question.isNull());
        auto* editor = gui::FindElementAs<QTextEdit>(question->window(), kQuestionEditorId);
        editor->setPlainText(too_long ? QString(2048, 'a') : QString("问题"));
        bool box_seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) == nullptr)
                return;
            box_seen = true;
            lesson.reset();
        });
        poll.start(20);
        QTest::mouseClick(gui::FindElement(question->window(), kQuestionSubmitId), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return lesson == nullptr; }, 10000)) << too_long;
        EXPECT_TRUE(box_seen);
        EXPECT_TRUE(question.isNull());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(QuestionWindowTest, ALayoutThatCannotBeLoadedShowsTheFailureBoxAndLogs) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"missing", std::nullopt},
        {"not a layout", "<html>not found</html>"},
        {"no editor", "<ui version=\"4.0\"><widget class=\"QWidget\" name=\"AskWnd\"/></ui>"},
    };
    const auto layout = folder_.path() / "Layout" / "AskWnd.xml";
    for (const auto& [name, contents] : cases) {
        boxes_.shown.clear();
        log_.clear();
        std::filesystem::remove(layout);
        if (contents)
            folder_.Write("Layout/AskWnd.xml", *contents);
        EXPECT_EQ(ShowQuestionWindow(&lesson_, Context()), nullptr);
        ASSERT_EQ(boxes_.shown.size(), 1U) << name;
        EXPECT_EQ(boxes_.shown[0].text, kQuestionWindowFail);
        EXPECT_EQ(boxes_.shown[0].caption, kQuestionWindowFail);
        EXPECT_EQ(boxes_.shown[0].owner, nullptr);
        EXPECT_EQ(log_, std::vector<std::string>{kQuestionWindowFail}) << name;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

}  // namespace
}  // namespace tessal::client
