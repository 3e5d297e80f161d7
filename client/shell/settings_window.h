#pragma once

// The settings window: the download folder and the download host. Made on the first
// opening, destroyed when it closes, raised when opened again while it is open.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "client/shell/client_settings.h"
#include "common/log/daily_log.h"

namespace tessal::client {

inline constexpr const char* kSettingsTitle = "客户端设置";
inline constexpr const char* kFolderDialogTitle = "从下面选下载目录";

struct SettingsWindowHooks {
    // The folder dialog: the chosen folder's path, or nothing when cancelled.
    std::function<std::optional<QString>(QWidget* owner, const QString& title)> choose_folder;
    QWidget* owner = nullptr;  // the main window
    DailyLog* log = nullptr;
};

class SettingsWindow : public QObject {
    Q_OBJECT
public:
    SettingsWindow(SettingsStore& settings, SettingsWindowHooks hooks);
    ~SettingsWindow() override;

    void Open();
    QWidget* window() const { return window_; }  // null while closed
    void Close();

private:
    bool Create();
    void CheckStoredChannel();
    void Browse();
    void Save();
    void Log(const char* line) const;

    SettingsStore& settings_;
    SettingsWindowHooks hooks_;
    QPointer<QWidget> window_;
};

}  // namespace tessal::client
