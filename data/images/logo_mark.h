#pragma once

// Tessal's mark, read once from its SVG source and rendered in any size and colour.

#include <QColor>
#include <QImage>
#include <QString>
#include <QSvgRenderer>

namespace tessal::imagegen {

class LogoMark {
public:
    explicit LogoMark(const QString& svg_path) : renderer_(svg_path) {}

    bool ok() const { return renderer_.isValid(); }

    // The mark's white tiles tinted with `colour`, keeping their shades.
    QImage Render(int size_px, const QColor& colour) const;

    // The mark on a rounded square of `background`: icons and the application icon.
    QImage RenderTile(int size_px, const QColor& background) const;

private:
    mutable QSvgRenderer renderer_;
};

}  // namespace tessal::imagegen
