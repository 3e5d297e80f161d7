#include "client/shell/settings_window.h"

#include <QLineEdit>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"
#include "common/settings/ini_file.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

}  // namespace

SettingsWindow::SettingsWindow(SettingsStore& settings, SettingsWindowHooks hooks)
    : settings_(settings), hooks_(std::move(hooks)) {}

SettingsWindow::~SettingsWindow() {
    delete window_.data();
}

void SettingsWindow::Open() {
    if (window_ == nullptr && !Create())
        return;
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
}

void SettingsWindow::Close() {
    if (window_ != nullptr)
        window_->close();
}

bool SettingsWindow::Create() {
    const auto layout = settings_.Snapshot().program_folder / "Layout" / "SetWnd.xml";
    QWidget* window = LoadLayout(QString::fromStdString(layout.string()));
    if (window == nullptr) {
        Log("CreatehWINDOW_SetWndFail");
        return false;
    }
    window_ = window;
    window_->setAttribute(Qt::WA_DeleteOnClose);
    window_->setWindowTitle(kSettingsTitle);
    CheckStoredChannel();
    if (auto* folder = FindElementAs<QLineEdit>(window_, 7)) {
        folder->setReadOnly(true);
        folder->setText(QString::fromStdString(settings_.Snapshot().download_root));
    }
    RegisterEvent(FindElement(window_, 4), kEventButtonClick, [this](EventArgs&) { Browse(); });
    RegisterEvent(FindElement(window_, 5), kEventButtonClick, [this](EventArgs&) { Save(); });
    RegisterEvent(FindElement(window_, 6), kEventButtonClick, [this](EventArgs&) { Close(); });
    SetFramedWindow(window_, Shadow{3, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    // A frameless window gets no place from the desktop: it opens over the main window.
    if (hooks_.owner != nullptr && hooks_.owner->isVisible()) {
        window_->move(hooks_.owner->geometry().center() - window_->rect().center());
    }
    return true;
}

// Opening the window resets the client's download host from the stored text.
void SettingsWindow::CheckStoredChannel() {
    const std::string stored = ReadProfileString(settings_.Snapshot().user_set_file(),
                                                 kClientSection, kDownloadChannelKey, "");
    const int channel = stored == "2" ? 2 : stored == "3" ? 3 : 1;
    SetChecked(FindElement(window_, channel), true);
    settings_.Change([channel](ClientSettings& settings) { settings.download_channel = channel; });
}

void SettingsWindow::Browse() {
    const std::optional<QString> chosen =
        hooks_.choose_folder ? hooks_.choose_folder(hooks_.owner, kFolderDialogTitle)
                             : std::nullopt;
    if (!chosen) {
        Log("FolderDialogApi Fail");
        return;
    }
    SetElementText(FindElement(window_, 7), *chosen + "/");
}

void SettingsWindow::Save() {
    const std::string folder = ElementText(FindElement(window_, 7)).left(1024).toStdString();
    int channel = 1;
    if (IsChecked(FindElement(window_, 2)))
        channel = 2;
    else if (IsChecked(FindElement(window_, 3)))
        channel = 3;
    if (IsChecked(FindElement(window_, 1)))
        channel = 1;
    // The choices take effect at once, even when the file cannot be written.
    settings_.Change([&](ClientSettings& settings) {
        settings.download_root = folder;
        settings.download_channel = channel;
    });
    WriteProfileEntries(
        settings_.Snapshot().user_set_file(), kClientSection,
        {{kDownloadFolderKey, folder}, {kDownloadChannelKey, std::to_string(channel)}});
    Close();
}

void SettingsWindow::Log(const char* line) const {
    if (hooks_.log != nullptr)
        hooks_.log->Write(line);
}

}  // namespace tessal::client
