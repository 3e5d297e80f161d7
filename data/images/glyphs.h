#pragma once

// Line glyphs drawn into a square: the same stroke weight and round caps everywhere.

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace tessal::imagegen {

void DrawGear(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawMinus(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawCross(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawMagnifier(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawCheck(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawClock(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawStar(QPainter& painter, const QRectF& box, const QColor& colour);
// `down` points the chevron down (an open group), otherwise right.
void DrawChevron(QPainter& painter, const QRectF& box, const QColor& colour, bool down);
void DrawPerson(QPainter& painter, const QRectF& box, const QColor& colour);
// Media glyphs: play (a filled triangle), pause (two bars), an outlined square (maximise).
void DrawPlayTriangle(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawPauseBars(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawOutlineSquare(QPainter& painter, const QRectF& box, const QColor& colour);

}  // namespace tessal::imagegen
