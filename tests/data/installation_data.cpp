#include "tests/data/installation_data.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>

#include "common/gui/layout_loader.h"

namespace tessal::test {

QString InstallationFile(const QString& relative) {
    return QStringLiteral(TESSAL_INSTALLATION_DATA_DIR "/") + relative;
}

QApplication& GuiApplication() {
    static int argc = 1;
    static char name[] = "installation_data_test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication app(argc, argv);
    return app;
}

std::unique_ptr<QWidget> LoadLayout(const QString& relative, QString& error) {
    GuiApplication();
    // The client's own loader, so that what loads here loads in the client.
    return std::unique_ptr<QWidget>(gui::LoadLayout(InstallationFile(relative), nullptr, &error));
}

std::map<int, std::vector<QWidget*>> WidgetsById(QWidget* root) {
    std::map<int, std::vector<QWidget*>> found;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const QVariant id = widget->property("id");
        if (id.isValid()) {
            found[id.toInt()].push_back(widget);
        }
    }
    return found;
}

QWidget* Element(QWidget* root, int id) {
    const auto found = WidgetsById(root);
    const auto it = found.find(id);
    return it != found.end() && it->second.size() == 1 ? it->second.front() : nullptr;
}

QImage LoadImage(const QString& relative) {
    GuiApplication();
    QImageReader reader(InstallationFile(relative));
    return reader.read();
}

void ExpectElements(const QString& layout, const ElementTable& expected) {
    QString error;
    const std::unique_ptr<QWidget> root = LoadLayout(layout, error);
    ASSERT_NE(root, nullptr) << error.toStdString();
    const auto found = WidgetsById(root.get());
    for (const ExpectedElement& element : expected) {
        const auto it = found.find(element.id);
        ASSERT_NE(it, found.end()) << layout.toStdString() << ": no element " << element.id;
        ASSERT_EQ(it->second.size(), 1u)
            << layout.toStdString() << ": element " << element.id << " is there more than once";
        EXPECT_STREQ(it->second.front()->metaObject()->className(), element.widget_class)
            << layout.toStdString() << ": element " << element.id;
    }
}

}  // namespace tessal::test
