// The member's grade badge in the main window's header, one colour per grade; the
// badge reads "V1" (ordinary) to "V5" (the highest grade).

#include <QPainter>

#include "image_table.h"
#include "painting.h"

namespace tessal::imagegen {
namespace {

QImage GradeBadge(int grade, const QColor& colour, ButtonState state) {
    QImage image = NewImage(30, 18);
    QPainter painter;
    BeginPainting(painter, image);
    FillRounded(painter, QRectF(0.5, 0.5, 29, 17), 8.5, Shade(colour, state));
    DrawCentredText(painter, QRectF(0, 0, 30, 18), QStringLiteral("V%1").arg(grade), Qt::white,
                    CjkFont(11, QFont::Bold));
    return image;
}

}  // namespace

void AddGradeBadges(ImageTable& table) {
    const QColor colours[] = {
        QColor(0x7D, 0x8B, 0x99),  // ordinary: slate
        QColor(0x8F, 0xA3, 0xB8),  // silver
        QColor(0xE0, 0xA0, 0x1E),  // gold
        QColor(0x4F, 0x86, 0xE8),  // platinum
        QColor(0x9B, 0x5D, 0xE5),  // diamond
    };
    const ButtonState states[] = {ButtonState::kNormal, ButtonState::kHover, ButtonState::kPressed};
    for (int grade = 1; grade <= 5; ++grade) {
        for (int state = 0; state < 3; ++state) {
            const QString path = QStringLiteral("IMAGE/MainW/G%1_%2.png").arg(grade).arg(state + 1);
            const QColor colour = colours[grade - 1];
            const ButtonState s = states[state];
            table.push_back({path, [=] { return GradeBadge(grade, colour, s); }});
        }
    }
}

}  // namespace tessal::imagegen
