// The push popups on a demo installation: one of a kind, stacked in the corner, the
// picture from the cache or the stand-in, links and pages only when they are web pages,
// texts shown as they are, a missing layout.

#include "client/messages/push_windows.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <memory>

#include "common/gui/web/xweb.h"
#include "tests/client/messages/message_windows_fixture.h"

namespace tessal::client::test {
namespace {

using gui::FindElement;

PopupData Text(const std::string& title, const std::string& link = "http://site.test/a") {
    PopupData data;
    data.title = title;
    data.content = "内容 " + title;
    data.link = link;
    return data;
}

PopupData Picture(bool downloaded) {
    PopupData data = Text("图片消息");
    data.picture_url = "http://site.test/p.png";
    data.picture_downloaded = downloaded;
    return data;
}

PopupData Custom(const std::string& url, const std::string& link = "http://site.test/c") {
    PopupData data;
    data.custom_url = url;
    data.link = link;
    return data;
}

class PushWindowsTest : public MessageWindowsTest {
protected:
    void SetUp() override {
        MessageWindowsTest::SetUp();
        engine_ = std::make_shared<gui::EweLibrary>(TESSAL_RECORDING_EWE);
        popups_ = std::make_unique<PushWindows>(
            PushWindowsContext{folder(), &boxes_, Log(), Browser(), engine_, QIcon()});
    }
    void TearDown() override {
        popups_.reset();
        Settle();
        MessageWindowsTest::TearDown();
    }

    QWidget* Window(PopupKind kind) const { return popups_->window(kind); }
    // Popup heights between the popup and the bottom of the work area; -1 when none.
    int Slot(PopupKind kind) const {
        const QWidget* window = Window(kind);
        if (window == nullptr)
            return -1;
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(window->x() + window->width(), area.x() + area.width());
        const int from_bottom = area.y() + area.height() - window->y();
        EXPECT_EQ(from_bottom % window->height(), 0);
        return from_bottom / window->height() - 1;
    }
    static QString Label(QWidget* window, int id) {
        auto* label = qobject_cast<QLabel*>(FindElement(window, id));
        return label ? label->text() : QString("(none)");
    }
    static QColor PictureCentre(QWidget* window) {
        auto* label = qobject_cast<QLabel*>(FindElement(window, 4));
        if (label == nullptr || label->pixmap().isNull())
            return {};
        const QImage image = label->pixmap().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }
    void WritePicture(const QColor& colour) const {
        QImage image(64, 32, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString((folder() / kPushPicture).string())));
    }

    std::shared_ptr<gui::EweLibrary> engine_;
    std::unique_ptr<PushWindows> popups_;
};

int TopLevelPopups(const char* class_name) {
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        count += window->isVisible() && window->objectName() == class_name ? 1 : 0;
    return count;
}

TEST_F(PushWindowsTest, PopupsStackOneHeightApartInTheLowerRightCorner) {
    using enum PopupKind;
    struct Case {
        std::vector<PopupKind> shown;
        std::vector<std::pair<PopupKind, int>> places;
    };
    const Case cases[] = {
        {{kText, kText}, {{kText, 0}}},
        {{kPicture, kText}, {{kPicture, 0}, {kText, 1}}},
        {{kText, kPicture}, {{kText, 0}, {kPicture, 1}}},
    };
    for (const Case& test : cases) {
        popups_->CloseAll();
        for (const PopupKind kind : test.shown)
            popups_->Show(kind, kind == kPicture ? Picture(false) : Text("t"));
        for (const auto& [kind, slot] : test.places)
            EXPECT_EQ(Slot(kind), slot) << static_cast<int>(kind);
    }
}

TEST_F(PushWindowsTest, TwoTextMessagesLeaveOneTextPopupShowingTheSecond) {
    popups_->Show(PopupKind::kText, Text("第一条"));
    popups_->Show(PopupKind::kText, Text("第二条"));
    Settle();
    EXPECT_EQ(TopLevelPopups("PushWindow1"), 1);
    ASSERT_NE(Window(PopupKind::kText), nullptr);
    EXPECT_EQ(Label(Window(PopupKind::kText), 1), QStringLiteral("第二条"));
    EXPECT_EQ(Label(Window(PopupKind::kText), 2), QStringLiteral("内容 第二条"));
    EXPECT_EQ(Slot(PopupKind::kText), 0);
}

TEST_F(PushWindowsTest, PopupsAreFramelessTopmostToolWindowsWithAShadow) {
    popups_->Show(PopupKind::kText, Text("t"));
    QWidget* window = Window(PopupKind::kText);
    ASSERT_NE(window, nullptr);
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->size(), QSize(360 + 10, 270 + 10));
}

TEST_F(PushWindowsTest, PictureComesFromTheCacheOnlyWhenItWasDownloadedAndIsAnImage) {
    QImage stand_in(QString::fromStdString((folder() / kDefaultPushPicture).string()));
    ASSERT_FALSE(stand_in.isNull());
    stand_in = stand_in.scaled(340, 100);
    const QColor stand_in_centre = stand_in.pixelColor(170, 50);
    struct Case {
        const char* name;
        bool downloaded;
        bool cached_is_image;
        QColor expected;
    };
    const Case cases[] = {
        {"downloaded", true, true, Qt::red},
        {"download failed", false, true, stand_in_centre},
        {"not an image", true, false, stand_in_centre},
        {"too many pixels to decode", true, true, stand_in_centre},
    };
    for (const Case& test : cases) {
        if (test.cached_is_image && test.expected == QColor(Qt::red)) {
            WritePicture(Qt::red);
        } else if (test.cached_is_image) {
            QImage huge(6000, 6000, QImage::Format_Mono);
            huge.fill(0);
            ASSERT_TRUE(huge.save(QString::fromStdString((folder() / kPushPicture).string())));
        } else {
            installation_.Write(kPushPicture, "<html>not found</html>");
        }
        popups_->Show(PopupKind::kPicture, Picture(test.downloaded));
        ASSERT_NE(Window(PopupKind::kPicture), nullptr) << test.name;
        EXPECT_EQ(PictureCentre(Window(PopupKind::kPicture)), test.expected) << test.name;
    }
}

// A popup closed below another leaves a gap the next popup fills, rather than opening
// over one still showing; where the work area is too low for another, a column starts
// to its left.
TEST_F(PushWindowsTest, ANewPopupTakesTheLowestFreePlaceWithinTheWorkArea) {
    using enum PopupKind;
    popups_->Show(kPicture, Picture(false));
    popups_->Show(kText, Text("t"));
    Window(kPicture)->close();
    Settle();
    popups_->Show(kCustom, Text("c"));
    EXPECT_EQ(Slot(kCustom), 0);
    EXPECT_EQ(Slot(kText), 1);
    popups_->Show(kPicture, Picture(false));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QWidget* third = Window(kPicture);
    ASSERT_NE(third, nullptr);
    ASSERT_GE(area.height(), third->height());
    const bool fits = area.height() >= 3 * third->height();
    EXPECT_EQ(third->x() + (fits ? 1 : 2) * third->width(), area.x() + area.width());
    EXPECT_EQ(third->y(), area.y() + area.height() - (fits ? 3 : 1) * third->height());
    for (const PopupKind other : {kText, kCustom})
        EXPECT_FALSE(third->geometry().intersects(Window(other)->geometry()));
}

// Every popup's open button: a web page goes to the browser, anything else only to the
// daily log; the popup closes either way.
TEST_F(PushWindowsTest, OpenButtonOpensOnlyWebLinksAndClosesThePopup) {
    struct Case {
        PopupKind kind;
        std::string link;
        bool opened;
        const char* refusal;
    };
    const Case cases[] = {
        {PopupKind::kText, "http://site.test/news?uid=7&from=client", true, ""},
        {PopupKind::kText, "file:///etc/passwd?uid=7&from=client", false, "PushWndBtnClick"},
        {PopupKind::kPicture, "HTTPS://site.test/p", true, ""},
        {PopupKind::kPicture, "javascript:alert(1)", false, "PushWndBtnClick2"},
        {PopupKind::kCustom, "https://site.test/c", true, ""},
        {PopupKind::kCustom, "smb://host/share", false, "PushWndBtnClick3"},
    };
    for (const Case& test : cases) {
        opened_.clear();
        log_.clear();
        PopupData data = test.kind == PopupKind::kCustom
                             ? Custom("https://site.test/page", test.link)
                             : Text("t", test.link);
        popups_->Show(test.kind, data);
        ASSERT_NE(Window(test.kind), nullptr) << test.link;
        Click(Window(test.kind), 3);
        Settle();
        EXPECT_EQ(Window(test.kind), nullptr) << test.link;
        EXPECT_EQ(opened_, test.opened ? std::vector{test.link} : std::vector<std::string>{})
            << test.link;
        const std::vector<std::string> expected_log =
            test.opened
                ? std::vector<std::string>{}
                : std::vector{std::string(test.refusal) + " link is not a web page:" + test.link};
        EXPECT_EQ(log_, expected_log) << test.link;
    }
}

TEST_F(PushWindowsTest, TheCloseControlClosesAndFreesTheLowestPlace) {
    popups_->Show(PopupKind::kText, Text("t"));
    QWidget* window = Window(PopupKind::kText);
    ASSERT_NE(window, nullptr);
    QAbstractButton* close = nullptr;
    for (auto* button : window->findChildren<QAbstractButton*>())
        close = button->property("role").toString() == "close" ? button : close;
    ASSERT_NE(close, nullptr);
    close->click();
    Settle();
    EXPECT_EQ(Window(PopupKind::kText), nullptr);
    EXPECT_TRUE(opened_.empty());
    popups_->Show(PopupKind::kPicture, Picture(false));
    EXPECT_EQ(Slot(PopupKind::kPicture), 0);
}

TEST_F(PushWindowsTest, TextsAreShownAsTheyAreNeverAsMarkup) {
    PopupData data = Text("<b>x</b>");
    data.content = "<img src=\"file:///etc/x.png\"> &amp; <a href='http://e'>e</a>";
    for (const PopupKind kind : {PopupKind::kText, PopupKind::kPicture}) {
        popups_->Show(kind, data);
        QWidget* window = Window(kind);
        ASSERT_NE(window, nullptr);
        for (const auto& [id, text] : {std::pair{1, data.title}, std::pair{2, data.content}}) {
            auto* label = qobject_cast<QLabel*>(FindElement(window, id));
            ASSERT_NE(label, nullptr) << id;
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << id;
            EXPECT_EQ(label->text().toStdString(), text) << id;
        }
    }
}

TEST_F(PushWindowsTest, TheCustomPopupLoadsItsPageOnlyWhenItIsAWebPage) {
    // An earlier picture message leaves nothing in the custom popup.
    popups_->Show(PopupKind::kPicture, Picture(false));
    popups_->CloseAll();
    struct Case {
        std::string url;
        bool loaded;
    };
    const Case cases[] = {
        {"https://site.test/diy?id=1", true},
        {"http://site.test/diy", true},
        {"file:///home/member/.ssh/id_rsa", false},
        {"", false},
    };
    for (const Case& test : cases) {
        log_.clear();
        popups_->Show(PopupKind::kCustom, Custom(test.url));
        QWidget* window = Window(PopupKind::kCustom);
        ASSERT_NE(window, nullptr) << test.url;
        const auto elements = FindElement(window, 4)->findChildren<gui::XWeb*>();
        ASSERT_EQ(elements.size(), 1) << test.url;
        const QWidget* view = gui::XWeb_GetWebView(elements.front())->engine_view();
        if (test.loaded) {
            ASSERT_NE(view, nullptr) << test.url;
            EXPECT_EQ(view->property("requestedUrl").toString().toStdString(), test.url);
            EXPECT_TRUE(log_.empty()) << test.url;
        } else {
            EXPECT_EQ(view, nullptr) << test.url;
            EXPECT_EQ(log_, std::vector{"PushWnd3 FDiyUrl is not a web page:" + test.url});
        }
        for (const QLabel* label : window->findChildren<QLabel*>())
            EXPECT_FALSE(label->text().contains(QStringLiteral("图片消息"))) << test.url;
    }
}

TEST_F(PushWindowsTest, AMissingLayoutShowsItsBoxAndLogLineAndNoWindow) {
    const std::pair<PopupKind, const char*> cases[] = {
        {PopupKind::kText, "1"}, {PopupKind::kPicture, "2"}, {PopupKind::kCustom, "3"}};
    for (const PopupKind kind : {PopupKind::kText, PopupKind::kPicture, PopupKind::kCustom})
        std::filesystem::remove(
            folder() / "Layout" /
            ("Tessal_PushWindow" + std::to_string(static_cast<int>(kind) + 1) + ".xml"));
    for (const auto& [kind, number] : cases) {
        boxes_.shown.clear();
        log_.clear();
        popups_->Show(kind, kind == PopupKind::kCustom ? Custom("https://site.test/") : Text("t"));
        const std::string failure = std::string("CreatePushWndFail") + number;
        EXPECT_EQ(boxes_.shown, std::vector{"CreatePushWndFail|" + failure});
        EXPECT_EQ(log_, std::vector{failure});
        EXPECT_EQ(Window(kind), nullptr);
    }
}

// The corner of the work area as the member sees it, for review.
TEST_F(PushWindowsTest, Screenshots) {
    WritePicture(QColor(0x3A, 0x6E, 0xA5));
    PopupData picture = Picture(false);
    picture.title = "新课上线：Python 数据分析实战（第二期）限时优惠报名进行中";
    picture.content = "本周新增 12 节实战课时，点击查看详情。";
    popups_->Show(PopupKind::kPicture, picture);
    PopupData text = Text("学习提醒");
    text.content =
        "您关注的课程《会计基础入门》已更新第 5 章，快来继续学习吧！"
        "完成本章练习可获得学习积分。<b>x</b>";
    popups_->Show(PopupKind::kText, text);
    popups_->Show(PopupKind::kCustom, Custom("https://site.test/diy?id=1"));
    QApplication::processEvents();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect corner;
    for (const PopupKind kind : {PopupKind::kText, PopupKind::kPicture, PopupKind::kCustom})
        corner |= Window(kind)->geometry();
    QImage image(corner.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x5B, 0x66, 0x70));
    QPainter painter(&image);
    for (const PopupKind kind : {PopupKind::kText, PopupKind::kPicture, PopupKind::kCustom})
        painter.drawPixmap(Window(kind)->geometry().topLeft() - corner.topLeft(),
                           Window(kind)->grab());
    painter.end();
    SaveScreenshot(image, "push_popups_stacked");
    EXPECT_EQ(corner.bottomRight(), area.bottomRight());
}

}  // namespace
}  // namespace tessal::client::test
