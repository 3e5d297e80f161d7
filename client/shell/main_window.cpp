#include "client/shell/main_window.h"

#include <algorithm>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"

namespace tessal::client {

using namespace tessal::gui;

MainWindow::MainWindow(QWidget* window, std::filesystem::path program_folder)
    : window_(window), program_folder_(std::move(program_folder)) {}

QString MainWindow::Image(const char* relative) const {
    return QString::fromStdString((program_folder_ / relative).string());
}

void MainWindow::SetUpFrame(QSize screen) {
    SetFramedWindow(window_.get(), Shadow{5, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    AddStateImage(window_.get(), kStateBackground, Image("IMAGE/MainW/background.png"));
    EnableDragBorder(window_.get(), true);
    if (const auto place = PlaceOnLowScreen(screen, window_->geometry()))
        window_->setGeometry(*place);
}

std::optional<QRect> PlaceOnLowScreen(QSize screen, QRect window) {
    const int fitting_height = static_cast<int>((screen.height() - 60) * 0.8);
    if (fitting_height >= window.height())
        return std::nullopt;
    // From the screen's middle, but never past its right edge: a window wider than
    // half the screen would otherwise hang off it, title buttons and all.
    const int x = std::max(0, std::min(screen.width() / 2, screen.width() - window.width()));
    return QRect(x, 15, window.width(), fitting_height);
}

void MainWindow::BindTitleButtons(MainWindowHooks hooks) {
    hooks_ = std::move(hooks);
    const auto buttons = {std::pair{2, "set"}, std::pair{3, "min"}, std::pair{4, "close"}};
    for (const auto& [id, name] : buttons) {
        const std::string normal = std::string("IMAGE/MainW/") + name + "1.png";
        const std::string over = std::string("IMAGE/MainW/") + name + "2.png";
        SetButtonImages(FindElement(window_.get(), id), Image(normal.c_str()), Image(over.c_str()),
                        Image(normal.c_str()));
    }
    const auto on_click = [this](int id, std::function<void()>& action) {
        RegisterEvent(FindElement(window_.get(), id), kEventButtonClick, [&action](EventArgs&) {
            if (action)
                action();
        });
    };
    on_click(2, hooks_.open_settings);
    on_click(3, hooks_.hide);
    on_click(4, hooks_.shut_down);
}

}  // namespace tessal::client
