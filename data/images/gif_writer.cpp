#include "gif_writer.h"

#include <cstdint>
#include <unordered_map>

namespace tessal::imagegen {
namespace {

// Every table holds 256 entries, so pixels are 8-bit codes and codes start at 9 bits.
constexpr int kColourBits = 8;
constexpr int kClearCode = 1 << kColourBits;
constexpr int kEndCode = kClearCode + 1;
constexpr int kLargestWidthBits = 12;  // the most a GIF code may have
constexpr int kLargestCode = (1 << kLargestWidthBits) - 1;
constexpr int kLargestSubBlock = 255;

void PutWord(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// Codes packed from the least significant bit up, as GIF reads them.
class CodeStream {
public:
    void Put(int code, int width_bits) {
        pending_ |= std::uint32_t(code) << pending_bits_;
        pending_bits_ += width_bits;
        while (pending_bits_ >= 8) {
            bytes_.append(char(pending_ & 0xFF));
            pending_ >>= 8;
            pending_bits_ -= 8;
        }
    }
    QByteArray Finish() {
        if (pending_bits_ > 0)
            bytes_.append(char(pending_ & 0xFF));
        pending_ = 0;
        pending_bits_ = 0;
        return std::move(bytes_);
    }

private:
    QByteArray bytes_;
    std::uint32_t pending_ = 0;
    int pending_bits_ = 0;
};

// LZW as GIF wants it. The table starts again (a clear code) when it is full, so no code
// ever needs more than 12 bits. The width grows once the last code given out needs it:
// the reader, whose table lags one entry behind, grows after reading the same code.
QByteArray CompressPixels(const QImage& frame) {
    CodeStream stream;
    std::unordered_map<std::uint32_t, int> table;  // (prefix code << 8 | pixel) -> code
    int width_bits = kColourBits + 1;
    int last_code = kEndCode;
    stream.Put(kClearCode, width_bits);
    int prefix = -1;
    for (int y = 0; y < frame.height(); ++y) {
        const uchar* row = frame.constScanLine(y);
        for (int x = 0; x < frame.width(); ++x) {
            const int pixel = row[x];
            if (prefix < 0) {
                prefix = pixel;
                continue;
            }
            const std::uint32_t key = (std::uint32_t(prefix) << 8) | std::uint32_t(pixel);
            if (const auto found = table.find(key); found != table.end()) {
                prefix = found->second;
                continue;
            }
            stream.Put(prefix, width_bits);
            table.emplace(key, ++last_code);
            if (last_code >= (1 << width_bits))
                ++width_bits;
            if (last_code == kLargestCode) {
                stream.Put(kClearCode, width_bits);
                table.clear();
                width_bits = kColourBits + 1;
                last_code = kEndCode;
            }
            prefix = pixel;
        }
    }
    if (prefix >= 0) {
        stream.Put(prefix, width_bits);
        // The reader counts an entry for this code too, and may widen before the end code.
        if (++last_code >= (1 << width_bits) && width_bits < kLargestWidthBits)
            ++width_bits;
    }
    stream.Put(kEndCode, width_bits);
    return stream.Finish();
}

void PutSubBlocks(QByteArray& out, const QByteArray& data) {
    for (qsizetype at = 0; at < data.size(); at += kLargestSubBlock) {
        const qsizetype size = std::min<qsizetype>(kLargestSubBlock, data.size() - at);
        out.append(char(size));
        out.append(data.mid(at, size));
    }
    out.append(char(0));
}

void PutHeader(QByteArray& out, QSize size, const QList<QRgb>& colours) {
    out.append("GIF89a");
    PutWord(out, size.width());
    PutWord(out, size.height());
    // A global table of 2^8 entries, 8 bits per primary, not sorted.
    out.append(char(0x80 | (7 << 4) | (kColourBits - 1)));
    out.append(char(0));  // background colour index
    out.append(char(0));  // pixels are square
    for (int i = 0; i < kClearCode; ++i) {
        const QRgb colour = i < colours.size() ? colours[i] : qRgb(0, 0, 0);
        out.append(char(qRed(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qBlue(colour)));
    }
    // NETSCAPE2.0: repeat for ever (count 0).
    out.append("\x21\xFF\x0B", 3);
    out.append("NETSCAPE2.0");
    out.append("\x03\x01", 2);
    PutWord(out, 0);
    out.append(char(0));
}

int TransparentIndex(const QList<QRgb>& colours) {
    for (int i = 0; i < colours.size(); ++i) {
        if (qAlpha(colours[i]) == 0)
            return i;
    }
    return -1;
}

void PutFrame(QByteArray& out, const QImage& frame, int delay_centiseconds, int transparent) {
    // Graphic control: each frame is cleared to the background (transparent) before the
    // next, which paints the whole picture again.
    out.append("\x21\xF9\x04", 3);
    constexpr int kRestoreBackground = 2 << 2;
    out.append(char(kRestoreBackground | (transparent >= 0 ? 1 : 0)));
    PutWord(out, delay_centiseconds);
    out.append(char(transparent >= 0 ? transparent : 0));
    out.append(char(0));
    out.append(char(0x2C));  // image descriptor: the whole screen, no local table
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, frame.width());
    PutWord(out, frame.height());
    out.append(char(0));
    out.append(char(kColourBits));
    PutSubBlocks(out, CompressPixels(frame));
}

bool FramesFit(const GifAnimation& animation) {
    if (animation.frames.empty())
        return false;
    const QImage& first = animation.frames.front();
    if (first.isNull() || first.width() > 0xFFFF || first.height() > 0xFFFF ||
        first.colorCount() > kClearCode || animation.delay_centiseconds < 0 ||
        animation.delay_centiseconds > 0xFFFF)
        return false;
    for (const QImage& frame : animation.frames) {
        if (frame.format() != QImage::Format_Indexed8 || frame.size() != first.size() ||
            frame.colorTable() != first.colorTable())
            return false;
    }
    return true;
}

}  // namespace

QByteArray EncodeGif(const GifAnimation& animation) {
    if (!FramesFit(animation))
        return {};
    const QList<QRgb> colours = animation.frames.front().colorTable();
    const int transparent = TransparentIndex(colours);
    QByteArray out;
    PutHeader(out, animation.frames.front().size(), colours);
    for (const QImage& frame : animation.frames)
        PutFrame(out, frame, animation.delay_centiseconds, transparent);
    out.append(char(0x3B));
    return out;
}

}  // namespace tessal::imagegen
