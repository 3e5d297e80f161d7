// The delete dialog: removes the selected entry from the playlist and, for a lesson when
// its check button asks for it, deletes that one lesson file. A course goes with all its
// lessons and never takes a file with it.

#include <QTreeView>
#include <system_error>

#include "common/gui/caption_roles.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/virtual_keys.h"
#include "player/window/playlist_panel.h"

namespace tessal::player {
namespace {

using namespace tessal::gui;

constexpr const char* kDeleteDialogFailure = "CreatehWINDOW_ClaenWndFail";
constexpr int kConfirmId = 1;
constexpr int kDeleteFileId = 3;

}  // namespace

// The dialog acts on the entry selected when it opened: the selection may move while it
// shows (the next lesson starting by itself), the member's answer stays about the entry
// the member saw.
void PlaylistPanel::OpenDeleteDialog() {
    const int item = Selected();
    if (item == kNoItem || delete_dialog_)
        return;
    QWidget* dialog = LoadLayout(Path("Layout/Player/DeleteWnd.xml"), main_window_);
    if (dialog == nullptr) {
        if (environment_.boxes != nullptr)
            environment_.boxes->Show(nullptr, kDeleteDialogFailure, kDeleteDialogFailure);
        Log(kDeleteDialogFailure);
        return;
    }
    delete_dialog_ = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::Dialog, true);
    dialog->setWindowModality(Qt::WindowModal);
    // Loaded into a parent, its close and cancel buttons get their roles here.
    BindCaptionRoles(dialog);
    dialog->adjustSize();
    const QRect main = main_window_->frameGeometry();
    dialog->move(main.left() + main.width() / 2 - dialog->width() / 2,
                 main.top() + main.height() / 2 - dialog->height() / 2);
    if (QWidget* confirm = FindElement(dialog, kConfirmId)) {
        RegisterEvent(confirm, kEventButtonClick,
                      [this, dialog, item](EventArgs&) { ConfirmDelete(dialog, item); });
    }
    RegisterWindowKeyDown(dialog, [dialog](int key) {
        if (key == kKeyEscape)
            dialog->close();
    });
    // The member answers through the dialog's buttons; nothing here waits for it.
    dialog->show();
}

void PlaylistPanel::ConfirmDelete(QWidget* dialog, int item) {
    if (IsLesson(item))
        RemoveLesson(item, IsChecked(FindElement(dialog, kDeleteFileId)));
    else if (tree_->Exists(item))
        tree_->RemoveItem(item);
    ForgetRemoved();
    view_->viewport()->update();
    dialog->close();
}

// A course loses its item with its last lesson.
void PlaylistPanel::RemoveLesson(int item, bool delete_file) {
    if (delete_file)
        DeleteLessonFile(PathOf(item));
    const int course = CourseOf(item);
    tree_->RemoveItem(item);
    if (course != item && tree_->Exists(course) && tree_->FirstChild(course) == kNoItem)
        tree_->RemoveItem(course);
}

// Only a path that names a regular file is deleted (a link to one loses only the link);
// a folder or a device named there stays, and so does a file that cannot be removed: the
// entry goes all the same, and the log says why the file stayed.
void PlaylistPanel::DeleteLessonFile(const QString& path) const {
    if (path.isEmpty())
        return;
    const std::filesystem::path file = path.toStdString();
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return;
    if (!std::filesystem::is_regular_file(file, error)) {
        Log("DeleteLessonFile refused:" + file.string());
        return;
    }
    if (!std::filesystem::remove(file, error))
        Log("DeleteLessonFile fail:" + file.string() + ":" + error.message());
}

// The current item is no item once removed, so nothing advances from it.
void PlaylistPanel::ForgetRemoved() {
    if (!tree_->Exists(current_item_))
        current_item_ = kNoItem;
}

}  // namespace tessal::player
