// tessal-make-images: draws the installation's images and icons into an installation
// folder. Usage: tessal-make-images OUT_FOLDER SOURCE_FOLDER

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdio>

#include "ico_writer.h"
#include "image_table.h"
#include "logo_mark.h"
#include "palette.h"

namespace {

using tessal::imagegen::ImageTable;
using tessal::imagegen::LogoMark;

bool WriteImage(const QDir& out, const QString& relative, const QImage& image) {
    const QString path = out.filePath(relative);
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return false;
    }
    // The suffix's case varies between names; the format does not.
    QImageWriter writer(path, QFileInfo(path).suffix().toLower().toLatin1());
    writer.setQuality(95);
    return writer.write(image.hasAlphaChannel() && writer.format() == "jpg"
                            ? image.convertToFormat(QImage::Format_RGB32)
                            : image);
}

bool WriteBytes(const QDir& out, const QString& relative, const QByteArray& bytes) {
    const QString path = out.filePath(relative);
    if (bytes.isEmpty() || !QDir().mkpath(QFileInfo(path).path())) {
        return false;
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

std::vector<QImage> IconSizes(const LogoMark& mark, const QColor& background) {
    std::vector<QImage> sizes;
    for (int size : {16, 24, 32, 48, 256}) {
        sizes.push_back(mark.RenderTile(size, background));
    }
    return sizes;
}

// ico1 is the member's tray icon, ico2 the login window's (nobody logged in yet: grey).
bool WriteIcons(const QDir& out, const LogoMark& mark) {
    namespace palette = tessal::imagegen::palette;
    return tessal::imagegen::WriteIco(out.filePath("ico1.ico"), IconSizes(mark, palette::kBrand)) &&
           tessal::imagegen::WriteIco(out.filePath("ico2.ico"),
                                      IconSizes(mark, palette::kTextMuted)) &&
           WriteImage(out, "TessalClient.png", mark.RenderTile(256, palette::kBrand));
}

int Run(const QDir& out, const QDir& sources) {
    const LogoMark mark(sources.filePath("logo_mark.svg"));
    if (!mark.ok()) {
        std::fprintf(stderr, "tessal-make-images: cannot read %s\n",
                     qPrintable(sources.filePath("logo_mark.svg")));
        return 1;
    }
    ImageTable table;
    tessal::imagegen::AddLoginImages(table, mark);
    tessal::imagegen::AddMainWindowImages(table, mark);
    tessal::imagegen::AddGradeBadges(table);
    tessal::imagegen::AddLessonWindowImages(table);
    tessal::imagegen::AddDownloadCenterImages(table);
    tessal::imagegen::AddMessageImages(table, mark);
    tessal::imagegen::AddPlayerImages(table);
    tessal::imagegen::AddPlayerPictures(table, mark);
    for (const auto& entry : table) {
        if (!WriteImage(out, entry.path, entry.draw())) {
            std::fprintf(stderr, "tessal-make-images: cannot write %s\n",
                         qPrintable(out.filePath(entry.path)));
            return 1;
        }
    }
    tessal::imagegen::EncodedFileTable files;
    tessal::imagegen::AddPlayerAnimations(files);
    for (const auto& file : files) {
        if (!WriteBytes(out, file.path, file.encode())) {
            std::fprintf(stderr, "tessal-make-images: cannot write %s\n",
                         qPrintable(out.filePath(file.path)));
            return 1;
        }
    }
    if (!WriteIcons(out, mark)) {
        std::fprintf(stderr, "tessal-make-images: cannot write the icons\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: tessal-make-images OUT_FOLDER SOURCE_FOLDER\n");
        return 2;
    }
    // A build step never has a display; text rendering needs only the font database.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    return Run(QDir(QString::fromLocal8Bit(argv[1])), QDir(QString::fromLocal8Bit(argv[2])));
}
