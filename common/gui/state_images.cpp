#include "common/gui/state_images.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QVariantMap>

#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"

namespace tessal::gui {
namespace {

constexpr const char* kStatesProperty = "tessalStates";
constexpr const char* kLayoutSheetProperty = "tessalLayoutSheet";
constexpr const char* kTextColourProperty = "tessalTextColour";
constexpr const char* kImagePrefix = "image:";
constexpr const char* kFillPrefix = "fill:";

// A style sheet addresses its element by object name; elements without one get a
// name of their own so that the sheet never reaches their children.
QString SelectorOf(QWidget* element) {
    if (element->objectName().isEmpty())
        element->setObjectName(
            QStringLiteral("element_%1").arg(reinterpret_cast<quintptr>(element), 0, 16));
    return QLatin1Char('#') + element->objectName();
}

bool IsWindowState(int state) {
    return state == kStateWindowBackground || state == kStateBackground;
}

bool HasIndicator(const QWidget* element) {
    return qobject_cast<const QCheckBox*>(element) != nullptr ||
           qobject_cast<const QRadioButton*>(element) != nullptr;
}

QString PseudoState(int state) {
    switch (state) {
        case kStateMouseOver:
            return QStringLiteral(":hover");
        case kStatePressed:
            return QStringLiteral(":pressed");
        case kStateChecked:
            return QStringLiteral(":checked");
        case kStateUnchecked:
            return QStringLiteral(":!checked");
        default:
            return {};
    }
}

QString Declaration(int state, const QString& value, bool indicator) {
    if (value.startsWith(kFillPrefix)) {
        const QString colour = value.mid(int(qstrlen(kFillPrefix)));
        return state == kStateSecondFill ? "alternate-background-color:" + colour + ";"
                                         : "background-color:" + colour + ";";
    }
    const QString url = "url(\"" + value.mid(int(qstrlen(kImagePrefix))) + "\")";
    return indicator ? "image:" + url + ";" : "border-image:" + url + " 0 0 0 0 stretch stretch;";
}

// The style the layout gave the element, kept the first time the element is styled here.
QString LayoutSheet(QWidget* element) {
    const QVariant kept = element->property(kLayoutSheetProperty);
    if (kept.isValid())
        return kept.toString();
    element->setProperty(kLayoutSheetProperty, element->styleSheet());
    return element->styleSheet();
}

void Rebuild(QWidget* element) {
    const QVariantMap states = element->property(kStatesProperty).toMap();
    const QString selector = SelectorOf(element);
    const bool indicator = HasIndicator(element);
    QString sheet = LayoutSheet(element);
    if (qobject_cast<QAbstractButton*>(element) != nullptr && !indicator)
        sheet += selector + "{border:none;background:transparent;}";
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        const int state = it.key().toInt();
        if (IsWindowState(state) && ShadowMargin(element) > 0)
            continue;  // a framed window's frame paints its background
        const QString part = indicator && state != kStateSecondFill ? "::indicator" : "";
        sheet += selector + part + PseudoState(state) + "{" +
                 Declaration(state, it.value().toString(), !part.isEmpty()) + "}";
    }
    const QVariant colour = element->property(kTextColourProperty);
    if (colour.isValid())
        sheet += selector + "{color:" + colour.toString() + ";}";
    // A button paints its own images by its state; a styled background under it would
    // paint the rules of the other check state too (an unchecked image under the checked).
    if (qobject_cast<QAbstractButton*>(element) == nullptr)
        element->setAttribute(Qt::WA_StyledBackground, true);
    element->setStyleSheet(sheet);
}

void SetState(QWidget* element, int state, const QString& value) {
    if (element == nullptr)
        return;
    if (IsWindowState(state) && value.startsWith(kImagePrefix))
        SetFrameBackground(element, value.mid(int(qstrlen(kImagePrefix))));
    QVariantMap states = element->property(kStatesProperty).toMap();
    // Keys sort as text; padding keeps the normal state first, so later states win.
    states.insert(QStringLiteral("%1").arg(state, 4, 10, QLatin1Char('0')), value);
    element->setProperty(kStatesProperty, states);
    Rebuild(element);
}

}  // namespace

void AddStateImage(QWidget* element, int state, const QString& path) {
    SetState(element, state, kImagePrefix + path);
}

void AddStateFill(QWidget* element, int state, const QColor& colour) {
    SetState(element, state, kFillPrefix + colour.name(QColor::HexArgb));
}

void ClearStateImages(QWidget* element) {
    if (element == nullptr)
        return;
    element->setProperty(kStatesProperty, QVariantMap());
    SetFrameBackground(element, QString());
    Rebuild(element);
}

void SetButtonImages(QWidget* element, const QString& normal, const QString& mouse_over,
                     const QString& pressed) {
    if (element == nullptr)
        return;
    element->setProperty(kStatesProperty, QVariantMap());
    AddStateImage(element, kStateNormal, normal);
    AddStateImage(element, kStateMouseOver, mouse_over);
    AddStateImage(element, kStatePressed, pressed);
}

void SetWindowBackground(QWidget* window, const QString& path) {
    if (window == nullptr)
        return;
    ClearStateImages(window);
    AddStateImage(window, kStateWindowBackground, path);
}

void SetTextColour(QWidget* element, const QColor& colour) {
    if (element == nullptr)
        return;
    element->setProperty(kTextColourProperty, colour.name());
    Rebuild(element);
}

QString StateImage(const QWidget* element, int state) {
    if (element == nullptr)
        return {};
    const QVariantMap states = element->property(kStatesProperty).toMap();
    const QString value =
        states.value(QStringLiteral("%1").arg(state, 4, 10, QLatin1Char('0'))).toString();
    return value.startsWith(kImagePrefix) ? value.mid(int(qstrlen(kImagePrefix))) : QString();
}

}  // namespace tessal::gui
