#pragma once

// What the main window shows of the member once logged in: the true name (element 6),
// the head picture (element 5) and the grade badge (element 7); and the member's tray
// icon. GUI thread only; the window is neither placed nor shown here.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "client/shell/session.h"
#include "common/gui/tray_icon.h"

namespace tessal::client {

// The head picture is the one the login downloaded, when it is a picture: it is also
// copied to "headpic.png", which the login window shows next time. Otherwise the
// default picture; an earlier "headpic.png" is then left alone.
void ShowMember(QWidget* main_window, const std::filesystem::path& program_folder,
                const SessionRecord& record);

// The member's icon: "ico1.ico" with the member's name and grade as its tip.
std::unique_ptr<gui::TrayIcon> MakeMemberTray(const std::filesystem::path& program_folder,
                                              const SessionRecord& record,
                                              std::function<void(int)> on_mouse);

}  // namespace tessal::client
