#pragma once

// The table of installation images: each entry names its path below the installation
// folder and draws its pixels. The writer picks the file format from the suffix.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <vector>

namespace tessal::imagegen {

class LogoMark;

struct ImageEntry {
    QString path;  // relative to the installation folder, e.g. "IMAGE/LOGIN/1.png"
    std::function<QImage()> draw;
};

using ImageTable = std::vector<ImageEntry>;

// Files in a format Qt cannot write (an animated GIF): each entry gives the file's bytes.
struct EncodedFile {
    QString path;
    std::function<QByteArray()> encode;  // empty bytes: the file could not be made
};

using EncodedFileTable = std::vector<EncodedFile>;

void AddLoginImages(ImageTable& table, const LogoMark& mark);
void AddMainWindowImages(ImageTable& table, const LogoMark& mark);
void AddGradeBadges(ImageTable& table);
void AddLessonWindowImages(ImageTable& table);
void AddDownloadCenterImages(ImageTable& table);
void AddMessageImages(ImageTable& table, const LogoMark& mark);
void AddPlayerImages(ImageTable& table);
void AddPlayerPictures(ImageTable& table, const LogoMark& mark);
void AddPlayerAnimations(EncodedFileTable& table);

}  // namespace tessal::imagegen
