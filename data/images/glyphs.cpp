#include "glyphs.h"

#include <QPainterPath>
#include <QPen>
#include <cmath>
#include <numbers>

#include "painting.h"

namespace tessal::imagegen {
namespace {

QPen LinePen(const QRectF& box, const QColor& colour) {
    QPen pen(colour, std::max(1.5, box.width() / 11.0));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPointF Polar(const QPointF& centre, qreal radius, qreal angle_rad) {
    return centre + QPointF(radius * std::cos(angle_rad), radius * std::sin(angle_rad));
}

}  // namespace

void DrawGear(QPainter& painter, const QRectF& box, const QColor& colour) {
    constexpr int kTeeth = 8;
    const QPointF centre = box.center();
    const qreal outer = box.width() * 0.46;
    const qreal inner = box.width() * 0.34;
    QPainterPath gear;
    for (int i = 0; i < kTeeth * 4; ++i) {
        // Each tooth is four corners: two on the outer circle, two on the inner one.
        const qreal angle = (i - 0.5) * std::numbers::pi / (kTeeth * 2);
        const qreal radius = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        const QPointF point = Polar(centre, radius, angle);
        if (i == 0) {
            gear.moveTo(point);
        } else {
            gear.lineTo(point);
        }
    }
    gear.closeSubpath();
    gear.addEllipse(centre, box.width() * 0.14, box.width() * 0.14);
    gear.setFillRule(Qt::OddEvenFill);
    painter.fillPath(gear, colour);
}

void DrawMinus(QPainter& painter, const QRectF& box, const QColor& colour) {
    painter.save();
    painter.setPen(LinePen(box, colour));
    const qreal y = box.center().y();
    painter.drawLine(QPointF(box.left() + box.width() * 0.2, y),
                     QPointF(box.right() - box.width() * 0.2, y));
    painter.restore();
}

void DrawCross(QPainter& painter, const QRectF& box, const QColor& colour) {
    painter.save();
    painter.setPen(LinePen(box, colour));
    const QRectF inner = box.adjusted(box.width() * 0.24, box.height() * 0.24, -box.width() * 0.24,
                                      -box.height() * 0.24);
    painter.drawLine(inner.topLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomLeft());
    painter.restore();
}

void DrawMagnifier(QPainter& painter, const QRectF& box, const QColor& colour) {
    painter.save();
    painter.setPen(LinePen(box, colour));
    const qreal radius = box.width() * 0.28;
    const QPointF centre = box.topLeft() + QPointF(box.width() * 0.42, box.height() * 0.42);
    painter.drawEllipse(centre, radius, radius);
    painter.drawLine(Polar(centre, radius, std::numbers::pi / 4),
                     box.topLeft() + QPointF(box.width() * 0.86, box.height() * 0.86));
    painter.restore();
}

void DrawCheck(QPainter& painter, const QRectF& box, const QColor& colour) {
    painter.save();
    painter.setPen(LinePen(box, colour));
    QPainterPath tick;
    tick.moveTo(box.left() + box.width() * 0.26, box.top() + box.height() * 0.52);
    tick.lineTo(box.left() + box.width() * 0.44, box.top() + box.height() * 0.70);
    tick.lineTo(box.left() + box.width() * 0.76, box.top() + box.height() * 0.34);
    painter.drawPath(tick);
    painter.restore();
}

void DrawClock(QPainter& painter, const QRectF& box, const QColor& colour) {
    painter.save();
    painter.setPen(LinePen(box, colour));
    const QPointF centre = box.center();
    painter.drawLine(centre, centre - QPointF(0, box.height() * 0.26));
    painter.drawLine(centre, centre + QPointF(box.width() * 0.2, 0));
    painter.restore();
}

void DrawStar(QPainter& painter, const QRectF& box, const QColor& colour) {
    const QPointF centre = box.center() + QPointF(0, box.height() * 0.04);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = (i % 2 == 0) ? box.width() * 0.5 : box.width() * 0.21;
        const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point = Polar(centre, radius, angle);
        if (i == 0) {
            star.moveTo(point);
        } else {
            star.lineTo(point);
        }
    }
    star.closeSubpath();
    painter.fillPath(star, colour);
}

void DrawChevron(QPainter& painter, const QRectF& box, const QColor& colour, bool down) {
    painter.save();
    painter.setPen(LinePen(box, colour));
    const QPointF c = box.center();
    const qreal a = box.width() * 0.22;
    const qreal b = box.width() * 0.12;
    QPainterPath chevron;
    if (down) {
        chevron.moveTo(c + QPointF(-a, -b));
        chevron.lineTo(c + QPointF(0, b));
        chevron.lineTo(c + QPointF(a, -b));
    } else {
        chevron.moveTo(c + QPointF(-b, -a));
        chevron.lineTo(c + QPointF(b, 0));
        chevron.lineTo(c + QPointF(-b, a));
    }
    painter.drawPath(chevron);
    painter.restore();
}

void DrawPerson(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal w = box.width();
    QPainterPath person;
    person.addEllipse(box.center() - QPointF(0, w * 0.12), w * 0.18, w * 0.18);
    const QRectF shoulders(box.left() + w * 0.18, box.top() + w * 0.62, w * 0.64, w * 0.56);
    person.addEllipse(shoulders);
    painter.fillPath(person, colour);
}

void DrawPauseBars(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal bar = box.width() * 0.2;
    const qreal height = box.height() * 0.62;
    const qreal top = box.center().y() - height / 2;
    for (const qreal x : {box.center().x() - bar * 1.4, box.center().x() + bar * 0.4}) {
        FillRounded(painter, QRectF(x, top, bar, height), bar / 3, colour);
    }
}

void DrawPlayTriangle(QPainter& painter, const QRectF& box, const QColor& colour) {
    // Nudged right: a triangle's weight sits left of its box's centre.
    const QPointF c = box.center() + QPointF(box.width() * 0.06, 0);
    const qreal h = box.height() * 0.34;
    QPainterPath triangle;
    triangle.moveTo(c + QPointF(-h * 0.8, -h));
    triangle.lineTo(c + QPointF(h, 0));
    triangle.lineTo(c + QPointF(-h * 0.8, h));
    triangle.closeSubpath();
    painter.save();
    painter.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour);
    painter.drawPath(triangle);
    painter.restore();
}

void DrawOutlineSquare(QPainter& painter, const QRectF& box, const QColor& colour) {
    painter.save();
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(2, 2, -2, -2));
    painter.restore();
}

}  // namespace tessal::imagegen
