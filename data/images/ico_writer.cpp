#include "ico_writer.h"

#include <QBuffer>
#include <QByteArray>
#include <QSaveFile>
#include <QtEndian>
#include <cstdint>

namespace tessal::imagegen {
namespace {

constexpr int kHeaderBytes = 6;
constexpr int kEntryBytes = 16;
constexpr int kDibHeaderBytes = 40;
constexpr int kLargestDibSize = 128;

void Append16(QByteArray& out, std::uint16_t value) {
    const std::uint16_t le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void Append32(QByteArray& out, std::uint32_t value) {
    const std::uint32_t le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

// BITMAPINFOHEADER, bottom-up BGRA rows, then an all-clear AND mask (alpha decides).
QByteArray DibData(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    const int mask_row_bytes = ((w + 31) / 32) * 4;
    QByteArray out;
    Append32(out, kDibHeaderBytes);
    Append32(out, static_cast<std::uint32_t>(w));
    Append32(out, static_cast<std::uint32_t>(h * 2));  // colour rows plus mask rows
    Append16(out, 1);
    Append16(out, 32);
    for (int i = 0; i < 6; ++i) {
        Append32(out, 0);  // no compression, default sizes and palette
    }
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            Append32(out, row[x]);  // ARGB32 in memory is B, G, R, A: DIB order
        }
    }
    out.append(QByteArray(mask_row_bytes * h, '\0'));
    return out;
}

QByteArray PngData(const QImage& image) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

}  // namespace

bool WriteIco(const QString& path, const std::vector<QImage>& sizes) {
    std::vector<QByteArray> payloads;
    for (const QImage& image : sizes) {
        payloads.push_back(image.width() > kLargestDibSize ? PngData(image) : DibData(image));
    }
    QByteArray out;
    Append16(out, 0);
    Append16(out, 1);  // icon, not cursor
    Append16(out, static_cast<std::uint16_t>(sizes.size()));
    std::uint32_t offset = kHeaderBytes + kEntryBytes * static_cast<std::uint32_t>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        // A dimension of 256 is written as 0.
        out.append(static_cast<char>(sizes[i].width() & 0xFF));
        out.append(static_cast<char>(sizes[i].height() & 0xFF));
        out.append('\0');  // no palette
        out.append('\0');
        Append16(out, 1);
        Append16(out, 32);
        Append32(out, static_cast<std::uint32_t>(payloads[i].size()));
        Append32(out, offset);
        offset += static_cast<std::uint32_t>(payloads[i].size());
    }
    for (const QByteArray& payload : payloads) {
        out.append(payload);
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit();
}

}  // namespace tessal::imagegen
