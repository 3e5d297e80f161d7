#pragma once

// A notification-area icon that reports the member's clicks as the mouse messages the
// windows' tray handlers compare with (513 left button down, 515 left double click,
// 517 right button up).

#include <QString>
#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace tessal::gui {

class TrayIcon {
public:
    // Shows the icon from the file `icon_path` with the tip `tip`; `on_mouse` runs on the
    // GUI thread with the mouse message.
    TrayIcon(const QString& icon_path, const QString& tip, std::function<void(int)> on_mouse);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Takes the icon away; later calls do nothing.
    void Remove();
    bool visible() const;
    QString tip() const;
    QSystemTrayIcon* icon() { return icon_.get(); }

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::function<void(int)> on_mouse_;
};

}  // namespace tessal::gui
