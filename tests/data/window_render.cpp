#include "tests/data/window_render.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPainter>

#include "tests/data/installation_data.h"

namespace tessal::test {

QString ImageUrl(const QString& relative) {
    return "url(" + InstallationFile(relative) + ")";
}

void SetButtonImages(QWidget* button, const QString& normal, const QString& hover,
                     const QString& pressed) {
    ASSERT_NE(button, nullptr);
    button->setStyleSheet(QStringLiteral("QPushButton { border-image: %1; }"
                                         "QPushButton:hover { border-image: %2; }"
                                         "QPushButton:pressed { border-image: %3; }")
                              .arg(ImageUrl(normal), ImageUrl(hover), ImageUrl(pressed)));
}

void SetPicture(QWidget* element, const QString& relative) {
    auto* label = qobject_cast<QLabel*>(element);
    ASSERT_NE(label, nullptr);
    label->setPixmap(QPixmap(InstallationFile(relative)));
}

void SetText(QWidget* element, const QString& text) {
    auto* label = qobject_cast<QLabel*>(element);
    ASSERT_NE(label, nullptr);
    label->setText(text);
}

void SetVisible(QWidget* root, std::initializer_list<int> ids, bool visible) {
    for (int id : ids) {
        QWidget* element = Element(root, id);
        ASSERT_NE(element, nullptr) << id;
        element->setVisible(visible);
    }
}

QImage Render(QWidget* root, const QString& background) {
    root->show();
    if (root->layout() != nullptr) {
        root->layout()->activate();
    }
    QImage image(root->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (!background.isEmpty()) {
        painter.drawImage(image.rect(), QImage(InstallationFile(background)));
    }
    root->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void SaveRender(const QImage& image, const QString& name) {
    QDir().mkpath(TESSAL_RENDER_DIR);
    EXPECT_TRUE(image.save(QStringLiteral(TESSAL_RENDER_DIR "/") + name + ".png"))
        << name.toStdString();
}

void ExpectTextsFit(QWidget* root, const QString& view, const QWidget* cut_off_allowed) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        const bool has_text = (label && !label->text().isEmpty() && !label->wordWrap()) ||
                              (button && !button->text().isEmpty());
        const bool allowed = cut_off_allowed != nullptr && cut_off_allowed->isAncestorOf(widget);
        if (!has_text || allowed || !widget->isVisibleTo(root)) {
            continue;
        }
        const QSize needed = widget->sizeHint();
        EXPECT_LE(needed.width(), widget->width())
            << view.toStdString() << ": " << widget->objectName().toStdString();
        EXPECT_LE(needed.height(), widget->height() + 2)
            << view.toStdString() << ": " << widget->objectName().toStdString();
    }
}

std::unique_ptr<QWidget> Load(const QString& layout) {
    QString error;
    std::unique_ptr<QWidget> root = LoadLayout(layout, error);
    EXPECT_NE(root, nullptr) << error.toStdString();
    return root;
}

InInstallationFolder::InInstallationFolder() : previous_(QDir::currentPath()) {
    QDir::setCurrent(InstallationFile({}));
}

InInstallationFolder::~InInstallationFolder() {
    QDir::setCurrent(previous_);
}

void SetButtonText(QWidget* element, const QString& text) {
    auto* button = qobject_cast<QAbstractButton*>(element);
    ASSERT_NE(button, nullptr);
    button->setText(text);
}

}  // namespace tessal::test
