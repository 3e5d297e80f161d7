#pragma once

// The main window's frame and its title-bar buttons (settings, minimise, close). The
// course tree and the other contents come with the catalogue.

#include <QSize>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace tessal::client {

struct MainWindowHooks {
    std::function<void()> open_settings;
    std::function<void()> hide;
    std::function<void()> shut_down;
};

class MainWindow {
public:
    // Takes `window`, loaded from the main layout.
    MainWindow(QWidget* window, std::filesystem::path program_folder);
    QWidget* window() const { return window_.get(); }

    // Background, shadow, border resizing, and a height that fits `screen`.
    void SetUpFrame(QSize screen);
    void BindTitleButtons(MainWindowHooks hooks);

private:
    QString Image(const char* relative) const;

    std::unique_ptr<QWidget> window_;
    std::filesystem::path program_folder_;
    MainWindowHooks hooks_;
};

// The main window's place on a screen too low for it: x at the screen's middle (moved
// left as far as needed to keep the window on the screen), y 15, and 80 % of the screen
// height less 60 pixels; nothing when it fits.
std::optional<QRect> PlaceOnLowScreen(QSize screen, QRect window);

}  // namespace tessal::client
