#include "common/gui/elements.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tessal::gui {

// A walk of its own rather than findChildren: while a window is being destroyed (a
// destroy handler may look elements up then), its list of children has empty places
// where children were already deleted. The rows of a list or tree are made from
// templates whose small ids repeat the window's own, so the walk does not enter a view:
// a row's elements are looked up from the row.
QWidget* FindElement(const QWidget* window, int id) {
    if (window == nullptr)
        return nullptr;
    for (QObject* child : window->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr)
            continue;
        if (ElementId(widget) == id)
            return widget;
        if (qobject_cast<QAbstractItemView*>(widget) != nullptr)
            continue;
        if (QWidget* found = FindElement(widget, id))
            return found;
    }
    return nullptr;
}

int ElementId(const QObject* element) {
    if (element == nullptr)
        return 0;
    bool ok = false;
    const int id = element->property(kIdProperty).toInt(&ok);
    return ok ? id : 0;
}

void ShowElements(const QWidget* window, std::initializer_list<int> ids, bool visible) {
    for (const int id : ids) {
        if (QWidget* element = FindElement(window, id))
            element->setVisible(visible);
    }
}

QString ElementText(const QWidget* element) {
    if (const auto* label = qobject_cast<const QLabel*>(element))
        return label->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(element))
        return edit->text();
    if (const auto* text_edit = qobject_cast<const QTextEdit*>(element))
        return text_edit->toPlainText();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(element))
        return plain->toPlainText();
    if (const auto* button = qobject_cast<const QAbstractButton*>(element))
        return button->text();
    return {};
}

void SetElementText(QWidget* element, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(element)) {
        // Texts come from the site and the member: markup in them is shown, never obeyed.
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(element))
        edit->setText(text);
    else if (auto* text_edit = qobject_cast<QTextEdit*>(element))
        text_edit->setPlainText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(element))
        plain->setPlainText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(element))
        button->setText(text);
}

bool IsChecked(const QWidget* element) {
    const auto* button = qobject_cast<const QAbstractButton*>(element);
    return button != nullptr && button->isCheckable() && button->isChecked();
}

void SetChecked(QWidget* element, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(element); button && button->isCheckable())
        button->setChecked(checked);
}

QColor ColourFromBgr(unsigned bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

}  // namespace tessal::gui
