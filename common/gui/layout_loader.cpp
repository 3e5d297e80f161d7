#include "common/gui/layout_loader.h"

#include <QDir>
#include <QFile>
#include <QFormBuilder>
#include <memory>

#include "common/gui/caption_roles.h"

namespace tessal::gui {

QWidget* LoadLayout(const QString& path, QWidget* parent, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr)
            *error = path + ": " + file.errorString();
        return nullptr;
    }
    // Layouts use Qt's own widgets only. The form builder, unlike QUiLoader, loads no
    // Designer plugins, which would start the web engine before any page is shown.
    QFormBuilder loader;
    // Layouts name images relative to the program folder, which is the current folder.
    loader.setWorkingDirectory(QDir::current());
    QWidget* window = loader.load(&file, parent);
    if (window == nullptr) {
        if (error != nullptr)
            *error = path + ": " + loader.errorString();
        return nullptr;
    }
    if (parent == nullptr)
        BindCaptionRoles(window);
    return window;
}

bool IsLoadableLayout(const QString& path) {
    const std::unique_ptr<QWidget> loaded(LoadLayout(path, nullptr));
    return loaded != nullptr;
}

}  // namespace tessal::gui
