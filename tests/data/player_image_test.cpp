// TessalPlayer's images: every file the player names is installed under its exact name
// and decodes; button images have their buttons' sizes and their states differ; the
// loading animation plays several frames in Qt's movie; the GIF encoder behind it
// writes what Qt reads back, pixel for pixel.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMovie>
#include <QRandomGenerator>
#include <functional>
#include <set>

#include "data/images/gif_writer.h"
#include "tests/data/installation_data.h"

namespace tessal::test {
namespace {

const QString kDir = QStringLiteral("IMAGE/player/");

QStringList PlayerImages() {
    QStringList names;
    for (const char* pair : {"play", "pause", "circle", "voice", "Full", "minimum", "max", "close",
                             "Import", "left", "right"}) {
        names << QStringLiteral("%1_1.png").arg(pair) << QStringLiteral("%1_2.png").arg(pair);
    }
    for (const char* speed : {"0.5", "1.0", "1.5", "2.0", "4.0"})
        names << QStringLiteral("%1.png").arg(speed) << QStringLiteral("%1_1.png").arg(speed);
    for (int state = 1; state <= 3; ++state) {
        names << QStringLiteral("SliderBar_%1.png").arg(state)
              << QStringLiteral("you_%1.png").arg(state) << QStringLiteral("zuo_%1.png").arg(state);
    }
    names << "zhankai.png"
          << "zhengchang.png"
          << "main_.bmp"
          << "PlayeryElement.gif";
    QStringList paths;
    for (const QString& name : names)
        paths << kDir + name;
    return paths << "TessalPlayer.png";
}

TEST(PlayerImageTest, EveryNamedImageExistsUnderItsExactNameAndDecodes) {
    for (const QString& path : PlayerImages()) {
        const QFileInfo file(InstallationFile(path));
        ASSERT_TRUE(file.isFile()) << path.toStdString();
        EXPECT_TRUE(file.dir().entryList().contains(file.fileName())) << path.toStdString();
        EXPECT_FALSE(LoadImage(path).isNull()) << path.toStdString();
    }
    EXPECT_EQ(LoadImage("TessalPlayer.png").size(), QSize(256, 256));
    EXPECT_EQ(qAlpha(LoadImage("TessalPlayer.png").pixel(0, 0)), 0);
}

QSize FixedSize(const QString& layout, int id) {
    QString error;
    const std::unique_ptr<QWidget> root = LoadLayout(layout, error);
    QWidget* element = root ? Element(root.get(), id) : nullptr;
    if (element == nullptr || element->minimumSize() != element->maximumSize())
        return {};
    return element->minimumSize();
}

// The player stretches each image over its element: drawn at that size, nothing scales.
TEST(PlayerImageTest, ButtonImagesHaveTheSizeOfTheirElements) {
    struct Fit {
        const char* layout;
        int id;
        const char* image;
    };
    const char* main = "Layout/Player.xml";
    const char* bar = "Layout/Player/FullScreenConsolWnd.xml";
    const Fit fits[] = {
        {main, 1, "play_1.png"},
        {main, 1, "pause_2.png"},
        {main, 4, "voice_1.png"},
        {main, 6, "Full_1.png"},
        {main, 7, "minimum_1.png"},
        {main, 8, "max_2.png"},
        {main, 9, "close_1.png"},
        {main, 10, "Import_1.png"},
        {main, 11, "left_1.png"},
        {main, 12, "right_2.png"},
        {main, 14, "you_1.png"},
        {main, 14, "zuo_3.png"},
        {main, 19, "PlayeryElement.gif"},
        {main, 20, "set_1.png"},
        {main, 21, "1.0.png"},
        {main, 21, "4.0_1.png"},
        {bar, 1, "pause_1.png"},
        {bar, 6, "unFull_1.png"},
        {bar, 10, "Import_2.png"},
        {"Layout/Player/TreeForPlayer.xml", 1, "zhankai.png"},
        {"Layout/Player/PlayerSet.xml", 9, "close_2.png"},
        {"Layout/Player/DeleteWnd.xml", 4, "close_1.png"},
    };
    for (const Fit& fit : fits) {
        EXPECT_EQ(LoadImage(kDir + fit.image).size(), FixedSize(fit.layout, fit.id))
            << fit.image << " on element " << fit.id << " of " << fit.layout;
    }
    // The thumbs the player's sliders are set up with.
    EXPECT_EQ(LoadImage(kDir + "circle_2.png").size(), QSize(17, 17));
    EXPECT_EQ(LoadImage(kDir + "circle_1.png").size(), QSize(10, 10));
}

TEST(PlayerImageTest, StateImagesMatchInSizeAndDifferInLook) {
    QList<QStringList> groups;
    for (const char* pair :
         {"play", "pause", "voice", "Full", "minimum", "max", "close", "Import", "left", "right"}) {
        groups.append(QStringList{QStringLiteral("%1_1.png").arg(pair),
                                  QStringLiteral("%1_2.png").arg(pair)});
    }
    for (const char* speed : {"0.5", "1.0", "1.5", "2.0", "4.0"})
        groups.append(QStringList{QStringLiteral("%1.png").arg(speed),
                                  QStringLiteral("%1_1.png").arg(speed)});
    // Play and pause, and each speed, must be told apart at a glance.
    groups.append(QStringList{"play_1.png", "pause_1.png"});
    groups.append(QStringList{"0.5.png", "1.0.png", "1.5.png", "2.0.png", "4.0.png"});
    groups.append(QStringList{"zhankai.png", "zhengchang.png"});
    for (const QStringList& group : groups) {
        std::set<QByteArray> looks;
        const QImage first = LoadImage(kDir + group.front());
        for (const QString& name : group) {
            const QImage image = LoadImage(kDir + name).convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(image.size(), first.size()) << name.toStdString();
            looks.insert(
                QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
        }
        EXPECT_EQ(looks.size(), size_t(group.size())) << group.join(", ").toStdString();
    }
}

// The sliders stretch their fills along: a fill that changed along its length would smear.
TEST(PlayerImageTest, SliderFillsChangeOnlyAcross) {
    for (int bar = 1; bar <= 3; ++bar) {
        const QString name = kDir + QStringLiteral("SliderBar_%1.png").arg(bar);
        const QImage image = LoadImage(name).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        for (int y = 0; y < image.height(); ++y) {
            EXPECT_EQ(qAlpha(image.pixel(0, y)), 255) << name.toStdString();
            for (int x = 1; x < image.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), image.pixel(0, y)) << name.toStdString();
        }
    }
}

// The video window shows main_.bmp on black at its own size while the video area is at
// least as large, so even the smallest window shows it unscaled.
TEST(PlayerImageTest, IdlePictureIsAnOpaqueBitmapThatFitsTheSmallestVideoArea) {
    QImageReader reader(InstallationFile(kDir + "main_.bmp"));
    EXPECT_EQ(reader.format(), "bmp");
    const QImage picture = reader.read();
    ASSERT_FALSE(picture.isNull());
    EXPECT_FALSE(picture.hasAlphaChannel());
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 0));
    // The smallest window (640 x 400) less the title and control bars, the strip and the
    // panel at its least.
    EXPECT_LE(picture.width(), 640 - 14 - 200);
    EXPECT_LE(picture.height(), 400 - 40 - 64);
}

TEST(PlayerImageTest, LoadingAnimationLoopsThroughSeveralFramesInQtsMovie) {
    GuiApplication();
    QMovie movie(InstallationFile(kDir + "PlayeryElement.gif"));
    ASSERT_TRUE(movie.isValid()) << movie.lastErrorString().toStdString();
    EXPECT_GT(movie.frameCount(), 1);
    EXPECT_EQ(movie.loopCount(), -1);  // for ever
    std::set<QByteArray> frames;
    for (int i = 0; i < movie.frameCount(); ++i) {
        ASSERT_TRUE(movie.jumpToFrame(i)) << i;
        const QImage frame = movie.currentImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(frame.size(), QSize(48, 48));
        EXPECT_GT(movie.nextFrameDelay(), 0) << i;
        // It lies on the video area: around the spinner, nothing is painted.
        EXPECT_EQ(qAlpha(frame.pixel(0, 0)), 0) << i;
        frames.insert(
            QByteArray(reinterpret_cast<const char*>(frame.constBits()), frame.sizeInBytes()));
    }
    EXPECT_EQ(frames.size(), size_t(movie.frameCount()));
}

using imagegen::EncodeGif;
using imagegen::GifAnimation;

QList<QRgb> TestPalette() {
    QList<QRgb> colours{qRgba(0, 0, 0, 0)};
    for (int i = 1; i < 256; ++i)
        colours << qRgb(i, 255 - i, (i * 7) % 256);
    return colours;
}

QImage IndexedFrame(QSize size, const std::function<int(int, int)>& index) {
    QImage frame(size, QImage::Format_Indexed8);
    frame.setColorTable(TestPalette());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            frame.scanLine(y)[x] = uchar(index(x, y));
    }
    return frame;
}

std::vector<QImage> Decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    std::vector<QImage> frames;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read())
        frames.push_back(frame.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return frames;
}

// Noise gives a new code at almost every pixel, so the lengths below end at every code
// width and cross the table's restart; runs give long codes. Each must read back exactly.
TEST(PlayerImageTest, GifEncoderWritesWhatQtReadsBack) {
    GuiApplication();
    QRandomGenerator random(18);
    std::vector<GifAnimation> cases;
    for (int width = 1; width <= 1300; ++width) {
        GifAnimation noise;
        noise.frames.push_back(
            IndexedFrame({width, 1}, [&](int, int) { return random.bounded(256); }));
        cases.push_back(noise);
    }
    GifAnimation large;
    for (int i = 0; i < 3; ++i) {
        large.frames.push_back(IndexedFrame({300, 200}, [&](int x, int y) {
            return i == 1 ? random.bounded(256) : (x / (i + 3) + y) % 256;
        }));
    }
    cases.push_back(large);
    cases.push_back({{IndexedFrame({640, 480}, [](int, int) { return 7; })}, 4});
    for (const GifAnimation& animation : cases) {
        const std::vector<QImage> frames = Decode(EncodeGif(animation));
        const QString size = QStringLiteral("%1x%2")
                                 .arg(animation.frames.front().width())
                                 .arg(animation.frames.front().height());
        ASSERT_EQ(frames.size(), animation.frames.size()) << size.toStdString();
        for (size_t i = 0; i < frames.size(); ++i) {
            // Premultiplied: every transparent pixel is 0, whatever colour it carries.
            EXPECT_EQ(frames[i],
                      animation.frames[i].convertToFormat(QImage::Format_ARGB32_Premultiplied))
                << size.toStdString() << " frame " << i;
        }
    }
}

TEST(PlayerImageTest, GifEncoderRefusesFramesItCannotWrite) {
    const QImage frame = IndexedFrame({8, 8}, [](int x, int) { return x; });
    QImage other_palette = frame;
    other_palette.setColor(3, qRgb(1, 2, 3));
    const GifAnimation refused[] = {
        {{}, 8},
        {{frame, IndexedFrame({8, 9}, [](int, int) { return 0; })}, 8},
        {{frame, frame.convertToFormat(QImage::Format_ARGB32)}, 8},
        {{frame, other_palette}, 8},
        {{frame}, -1},
    };
    for (const GifAnimation& animation : refused)
        EXPECT_TRUE(EncodeGif(animation).isEmpty());
    EXPECT_FALSE(EncodeGif({{frame, frame}, 8}).isEmpty());
}

}  // namespace
}  // namespace tessal::test
