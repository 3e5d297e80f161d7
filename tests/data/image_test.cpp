// The images the client's windows name: each exists under its exact name and decodes;
// button images fit the buttons they are set on; state images really differ; the icons
// hold the sizes a tray and a window need.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QStringList>
#include <set>

#include "tests/data/installation_data.h"

namespace tessal::test {
namespace {

QStringList Prefixed(const QString& folder, const QStringList& names) {
    QStringList paths;
    for (const QString& name : names) {
        paths << folder + name;
    }
    return paths;
}

QStringList NamedImages() {
    QStringList images = Prefixed(
        "IMAGE/LOGIN/",
        {"1.png", "2.png", "3.png", "login_1.PNG", "login_2.PNG", "login_3.PNG", "login_1.png",
         "login_2.png", "login_3.png", "cancel_1.png", "cancel_2.png", "min1.jpg", "min2.png",
         "min3.png", "close1.png", "close2.png", "close3.png", "confirm_1.png", "confirm_2.png"});
    images << Prefixed(
        "IMAGE/MainW/",
        {"background.png", "logo.png", "set1.png", "set2.png", "min1.png", "min2.png", "close1.png",
         "close2.png", "search_back.png", "search.png", "Finish.png", "unFinish.png", "grade_1.png",
         "grade_2.png", "lessonpicIsloading.png", "click1.png", "click2.png",
         "headpic_default.png"});
    for (int grade = 1; grade <= 5; ++grade) {
        for (int state = 1; state <= 3; ++state) {
            images << QStringLiteral("IMAGE/MainW/G%1_%2.png").arg(grade).arg(state);
        }
    }
    images << Prefixed(
        "IMAGE/Download/",
        {"dutiao_2.png", "dutiao_3.png", "xiazai1.png", "xiazai1_1.png", "xiazai1_2.png",
         "Pause.png", "Pause1.png", "Pause2.png", "RedLoad1.png", "RedLoad2.png", "RedLoad3.png",
         "delete.png", "delete1.png", "delete2.png"});
    images << Prefixed("IMAGE/Message/",
                       {"close_1.png", "close_2.png", "close_3.png", "bell.png", "letter.png"});
    images << "data/lesson/img/20150521161417781.jpg"
           << "cache/PushImg_def.png";
    return images;
}

TEST(ImageTest, EveryNamedImageExistsUnderItsExactNameAndDecodes) {
    for (const QString& path : NamedImages()) {
        const QFileInfo file(InstallationFile(path));
        ASSERT_TRUE(file.isFile()) << path.toStdString();
        // The exact case must be on disk: the installation runs on a case-sensitive system.
        EXPECT_TRUE(file.dir().entryList().contains(file.fileName())) << path.toStdString();
        const QImage image = LoadImage(path);
        EXPECT_FALSE(image.isNull()) << path.toStdString();
        EXPECT_GT(image.width(), 0) << path.toStdString();
    }
}

QSize ElementSize(const QString& layout, int id) {
    QString error;
    const std::unique_ptr<QWidget> root = LoadLayout(layout, error);
    QWidget* element = root ? Element(root.get(), id) : nullptr;
    if (element == nullptr) {
        return {};
    }
    // Elements placed by a layout keep their size as a fixed minimum and maximum.
    const bool fixed = element->minimumSize() == element->maximumSize();
    return fixed ? element->minimumSize() : element->geometry().size();
}

// Button images are drawn at the size of their buttons, so nothing is scaled.
TEST(ImageTest, ButtonImagesHaveTheSizeOfTheirElements) {
    struct Fit {
        const char* layout;
        int id;
        const char* image;
    };
    const Fit fits[] = {
        {"Layout/layout.xml", 9, "IMAGE/LOGIN/login_1.PNG"},
        {"Layout/layout.xml", 9, "IMAGE/LOGIN/cancel_1.png"},
        {"Layout/layout.xml", 10, "IMAGE/LOGIN/min1.jpg"},
        {"Layout/layout.xml", 11, "IMAGE/LOGIN/close1.png"},
        {"Layout/layout.xml", 12, "IMAGE/LOGIN/confirm_1.png"},
        {"Layout/layout.xml", 13, "IMAGE/LOGIN/confirm_2.png"},
        {"Layout/layout.xml", 2, "IMAGE/MainW/headpic_default.png"},
        {"Layout/layout_main.xml", 2, "IMAGE/MainW/set1.png"},
        {"Layout/layout_main.xml", 3, "IMAGE/MainW/min2.png"},
        {"Layout/layout_main.xml", 4, "IMAGE/MainW/close1.png"},
        {"Layout/layout_main.xml", 7, "IMAGE/MainW/G5_1.png"},
        {"Layout/layout_main.xml", 1, "IMAGE/MainW/logo.png"},
        {"Layout/DownLoad/Tessal_Download.xml", 4, "IMAGE/LessonW/cuow_1.png"},
        {"Layout/DownLoad/DownLoad_IsLoading.xml", 5, "IMAGE/Download/xiazai1.png"},
        {"Layout/DownLoad/DownLoad_IsLoading.xml", 5, "IMAGE/Download/Pause.png"},
        {"Layout/DownLoad/DownLoad_IsLoading.xml", 5, "IMAGE/Download/RedLoad1.png"},
        {"Layout/DownLoad/DownLoad_IsLoading.xml", 6, "IMAGE/Download/delete.png"},
        {"Layout/DownLoad/DownLoad_Finish.xml", 1, "data/lesson/img/20150521161417781.jpg"},
        {"Layout/Tessal_PushWindow2.xml", 4, "cache/PushImg_def.png"},
    };
    for (const Fit& fit : fits) {
        EXPECT_EQ(LoadImage(fit.image).size(), ElementSize(fit.layout, fit.id))
            << fit.image << " on element " << fit.id << " of " << fit.layout;
    }
    EXPECT_EQ(LoadImage("IMAGE/LOGIN/1.png").size(), QSize(430, 330));
    // The bar stretches its fills along, never across.
    QString error;
    const std::unique_ptr<QWidget> row =
        LoadLayout("Layout/DownLoad/DownLoad_IsLoading.xml", error);
    QWidget* bar = row ? Element(row.get(), 3) : nullptr;
    ASSERT_NE(bar, nullptr) << error.toStdString();
    EXPECT_EQ(bar->minimumHeight(), bar->maximumHeight());
    for (const char* fill : {"IMAGE/Download/dutiao_2.png", "IMAGE/Download/dutiao_3.png"}) {
        EXPECT_EQ(LoadImage(fill).height(), bar->maximumHeight()) << fill;
    }
}

TEST(ImageTest, StateImagesMatchInSizeAndDifferInLook) {
    const QStringList groups[] = {
        {"IMAGE/LOGIN/login_1.png", "IMAGE/LOGIN/login_2.png", "IMAGE/LOGIN/login_3.png"},
        {"IMAGE/LOGIN/cancel_1.png", "IMAGE/LOGIN/cancel_2.png"},
        {"IMAGE/LOGIN/close1.png", "IMAGE/LOGIN/close2.png", "IMAGE/LOGIN/close3.png"},
        {"IMAGE/LOGIN/confirm_1.png", "IMAGE/LOGIN/confirm_2.png"},
        {"IMAGE/MainW/set1.png", "IMAGE/MainW/set2.png"},
        {"IMAGE/MainW/min1.png", "IMAGE/MainW/min2.png"},
        {"IMAGE/MainW/close1.png", "IMAGE/MainW/close2.png"},
        {"IMAGE/MainW/click1.png", "IMAGE/MainW/click2.png"},
        {"IMAGE/MainW/grade_1.png", "IMAGE/MainW/grade_2.png"},
        {"IMAGE/MainW/G3_1.png", "IMAGE/MainW/G3_2.png", "IMAGE/MainW/G3_3.png"},
        {"IMAGE/Download/dutiao_2.png", "IMAGE/Download/dutiao_3.png"},
        {"IMAGE/Download/xiazai1.png", "IMAGE/Download/xiazai1_1.png",
         "IMAGE/Download/xiazai1_2.png", "IMAGE/Download/Pause.png", "IMAGE/Download/RedLoad1.png"},
        {"IMAGE/Download/Pause.png", "IMAGE/Download/Pause1.png", "IMAGE/Download/Pause2.png"},
        {"IMAGE/Download/RedLoad1.png", "IMAGE/Download/RedLoad2.png",
         "IMAGE/Download/RedLoad3.png"},
        {"IMAGE/Download/delete.png", "IMAGE/Download/delete1.png", "IMAGE/Download/delete2.png"},
        {"IMAGE/Message/close_1.png", "IMAGE/Message/close_2.png", "IMAGE/Message/close_3.png"},
    };
    for (const QStringList& group : groups) {
        const QImage first = LoadImage(group.front()).convertToFormat(QImage::Format_ARGB32);
        for (qsizetype i = 1; i < group.size(); ++i) {
            const QImage other = LoadImage(group[i]).convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(other.size(), first.size()) << group[i].toStdString();
            EXPECT_NE(other, first) << group[i].toStdString() << " looks like its normal state";
        }
    }
    // Each grade has its own colour.
    std::set<QRgb> centres;
    for (int grade = 1; grade <= 5; ++grade) {
        centres.insert(LoadImage(QStringLiteral("IMAGE/MainW/G%1_1.png").arg(grade)).pixel(3, 9));
    }
    EXPECT_EQ(centres.size(), 5u);
}

// The client stretches the progress fills over the whole chunk, without slices: a fill
// that changed along its length would smear.
TEST(ImageTest, ProgressFillsChangeOnlyAcross) {
    for (const char* fill : {"IMAGE/Download/dutiao_2.png", "IMAGE/Download/dutiao_3.png"}) {
        const QImage image = LoadImage(fill).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull()) << fill;
        for (int y = 0; y < image.height(); ++y) {
            EXPECT_EQ(qAlpha(image.pixel(0, y)), 255) << fill << " row " << y;
            for (int x = 1; x < image.width(); ++x) {
                ASSERT_EQ(image.pixel(x, y), image.pixel(0, y)) << fill << " at " << x << "," << y;
            }
        }
    }
}

int ChannelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The minimise button's normal image is a JPEG without alpha; it blends in only when it
// carries the banner's own pixels around its glyph.
TEST(ImageTest, OpaqueMinimiseImageBlendsIntoTheBanner) {
    const QImage button = LoadImage("IMAGE/LOGIN/min1.jpg");
    const QImage banner = LoadImage("IMAGE/LOGIN/1.png").copy(370, 0, 30, 26);
    ASSERT_EQ(button.size(), banner.size());
    for (const QPoint corner : {QPoint(1, 1), QPoint(28, 1), QPoint(1, 24), QPoint(28, 24)}) {
        EXPECT_LE(ChannelDistance(button.pixel(corner), banner.pixel(corner)), 12)
            << corner.x() << "," << corner.y();
    }
}

TEST(ImageTest, IconsHoldTraySizesAndTheApplicationIconIsLarge) {
    for (const char* icon : {"ico1.ico", "ico2.ico"}) {
        GuiApplication();
        QImageReader reader(InstallationFile(icon));
        std::set<int> widths;
        for (int i = 0; i < reader.imageCount(); ++i) {
            ASSERT_TRUE(reader.jumpToImage(i)) << icon;
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull())
                << icon << " image " << i << ": " << reader.errorString().toStdString();
            EXPECT_EQ(image.width(), image.height()) << icon;
            widths.insert(image.width());
        }
        EXPECT_TRUE(widths.count(16) && widths.count(32) && widths.count(256)) << icon;
        // Icons are drawn with alpha: the corners of the rounded tile are clear.
        EXPECT_EQ(qAlpha(QImage(InstallationFile(icon)).pixel(0, 0)), 0) << icon;
    }
    EXPECT_EQ(LoadImage("TessalClient.png").size(), QSize(256, 256));
    EXPECT_NE(LoadImage("ico1.ico"), LoadImage("ico2.ico"));
}

}  // namespace
}  // namespace tessal::test
