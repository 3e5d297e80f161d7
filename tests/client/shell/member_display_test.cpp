// The member in the installed main window: the badge and its tooltip on element 7, the
// head picture (the downloaded one, copied for the login window, or the default one when
// there is none or it does not decode), the name, and the member's tray icon.

#include "client/shell/member_display.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <optional>

#include "client/shell/member_badge.h"
#include "client/shell/user_profile.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "tests/support/temp_folder.h"

namespace tessal::client::test {
namespace {

using namespace tessal::gui;

constexpr int kStates[] = {kStateNormal, kStateMouseOver, kStatePressed};

// A picture in `format` ("PNG", "JPG"), or the first `keep` bytes of it. Patterned, so
// that its data runs well past any cut.
std::string PictureBytes(const char* format, int seed, int keep = -1) {
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y,
                           qRgb((x * 37 + seed) % 256, (y * 53 + x) % 256, (x ^ y) * 4 % 256));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.left(keep < 0 ? bytes.size() : keep).toStdString();
}

SessionRecord Record(const std::string& account, const std::string& truename,
                     const std::string& grade) {
    SessionRecord record;
    record.account = account;
    record.truename = truename;
    record.grade = grade;
    return record;
}

class MemberDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
        std::filesystem::copy(data / "IMAGE", program_ / "IMAGE",
                              std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(data / "ico1.ico", program_ / "ico1.ico");
        window_.reset(LoadLayout(Text(data / "Layout" / "layout_main.xml")));
        ASSERT_NE(window_, nullptr);
        ASSERT_NE(FindElementAs<QLabel>(window_.get(), 5), nullptr);
        ASSERT_NE(FindElementAs<QLabel>(window_.get(), 6), nullptr);
        ASSERT_NE(FindElementAs<QPushButton>(window_.get(), 7), nullptr);
    }

    static QString Text(const std::filesystem::path& path) {
        return QString::fromStdString(path.string());
    }
    QString Installed(const std::string& relative) const { return Text(program_ / relative); }
    std::filesystem::path Member() const { return MemberFolder(program_, record_.account); }
    void WriteMemberFile(const char* name, const std::string& bytes) const {
        folder_.Write(std::filesystem::path("User") / record_.account / name, bytes);
    }
    // The picture element 5 shows, the same for every state.
    QString ShownHeadPicture() const {
        QWidget* head = FindElement(window_.get(), 5);
        for (const int state : kStates)
            EXPECT_EQ(StateImage(head, state), StateImage(head, kStateNormal)) << state;
        return StateImage(head, kStateNormal);
    }

    TempFolder folder_;
    const std::filesystem::path program_ = folder_.path();
    std::unique_ptr<QWidget> window_;
    SessionRecord record_ = Record("学员小李", "李华", "白金会员");
};

TEST_F(MemberDisplayTest, TheNameAndTheGradesBadgeImagesAndTooltipAreShown) {
    const std::pair<const char*, std::pair<const char*, const char*>> cases[] = {
        {"白金会员", {"G4", "白金会员"}},
        {"白金金钻会员", {"G5", "金钻会员"}},
        {"金钻白金", {"G5", "金钻会员"}},
        {"钻石VIP", {"G1", "未知"}},
    };
    record_.truename = "<b>李华</b>";
    QWidget* grade = FindElement(window_.get(), 7);
    for (const auto& [text, expected] : cases) {
        record_.grade = text;
        ShowMember(window_.get(), program_, record_);
        for (int state = 0; state < 3; ++state) {
            const QString image = StateImage(grade, kStates[state]);
            EXPECT_EQ(image, Installed("IMAGE/MainW/" + std::string(expected.first) + "_" +
                                       std::to_string(state + 1) + ".png"))
                << text;
            EXPECT_FALSE(QPixmap(image).isNull()) << image.toStdString();
        }
        EXPECT_EQ(grade->toolTip().toStdString(), expected.second) << text;
    }
    auto* name = FindElementAs<QLabel>(window_.get(), 6);
    EXPECT_EQ(name->text(), QString::fromUtf8("<b>李华</b>"));
    EXPECT_EQ(name->textFormat(), Qt::PlainText);
}

TEST_F(MemberDisplayTest, TheDownloadedPictureIsShownAndKeptForTheLoginWindowOnlyWhenItDecodes) {
    const std::string earlier = PictureBytes("PNG", 1);
    struct Case {
        const char* what;
        std::optional<std::string> downloaded;
        bool shown;
    };
    const Case cases[] = {
        {"a PNG", PictureBytes("PNG", 2), true},
        {"a JPEG under the PNG name", PictureBytes("JPG", 3), true},
        {"none downloaded", std::nullopt, false},
        {"an error page", "<html>404 Not Found</html>", false},
        {"an empty file", "", false},
        {"a PNG cut short", PictureBytes("PNG", 2, 150), false},
    };
    const QString default_picture = Installed("IMAGE/MainW/headpic_default.png");
    for (const Case& c : cases) {
        std::filesystem::remove_all(Member());
        WriteMemberFile(kShownHeadPictureFileName, earlier);
        if (c.downloaded)
            WriteMemberFile(kDownloadedHeadPictureFileName, *c.downloaded);
        ShowMember(window_.get(), program_, record_);

        const QString shown = ShownHeadPicture();
        EXPECT_FALSE(QPixmap(shown).isNull()) << c.what;
        EXPECT_EQ(shown,
                  c.shown ? Text(Member() / kDownloadedHeadPictureFileName) : default_picture)
            << c.what;
        EXPECT_EQ(FileContents(Member() / kShownHeadPictureFileName),
                  c.shown ? *c.downloaded : earlier)
            << c.what;
    }
}

TEST_F(MemberDisplayTest, TheTrayIconShowsTheInstalledIconAndATipCutToFit) {
    record_.truename = std::string(150, 'a') + "李华";
    record_.grade = "金钻会员";
    const auto tray = MakeMemberTray(program_, record_, {});
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->tip().size(), static_cast<qsizetype>(kTrayTipCharacters));
    EXPECT_EQ(tray->tip(), QString::fromStdString("用户:" + std::string(124, 'a')));
    const QImage shown = tray->icon()->icon().pixmap(16, 16).toImage();
    EXPECT_FALSE(shown.isNull());
    EXPECT_EQ(shown, QIcon(Installed("ico1.ico")).pixmap(16, 16).toImage());

    record_.truename = "王芳";
    const auto short_tip = MakeMemberTray(program_, record_, {});
    EXPECT_EQ(short_tip->tip(), QString::fromUtf8("用户:王芳\n等级:金钻会员"));
}

}  // namespace
}  // namespace tessal::client::test
