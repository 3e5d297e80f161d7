// The playlist's popup menu: start the selected lesson, or show its file in the file
// manager. It is made with the panel and destroyed at shutdown.

#include "player/window/playlist_panel.h"

namespace tessal::player {

void PlaylistPanel::CreateMenu() {
    menu_ = std::make_unique<gui::PopupMenu>([this](int item) { RunMenuCommand(item); });
    menu_->AddItem(kMenuStartLesson, "开始播放");
    menu_->AddItem(kMenuShowLessonFile, "定位文件");
}

void PlaylistPanel::DestroyMenu() {
    menu_.reset();
}

// The menu shows only for a lesson; a course (no path) is left alone all the same.
void PlaylistPanel::RunMenuCommand(int menu_item) {
    const int selected = Selected();
    const QString path = IsLesson(selected) ? PathOf(selected) : QString();
    if (path.isEmpty())
        return;
    if (menu_item == kMenuStartLesson) {
        SetCurrentItem(selected);
        if (environment_.open_lesson)
            environment_.open_lesson(path.toStdString());
    } else if (menu_item == kMenuShowLessonFile && environment_.show_in_file_manager) {
        environment_.show_in_file_manager(path);
    }
}

}  // namespace tessal::player
