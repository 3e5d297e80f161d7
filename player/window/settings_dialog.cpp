#include "player/window/settings_dialog.h"

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/message_boxes.h"
#include "common/gui/toolkit_codes.h"
#include "common/settings/ini_file.h"
#include "engines/video/aplayer.h"
#include "player/window/video_engine.h"

namespace tessal::player {

using namespace tessal::gui;

namespace {

std::filesystem::path UserInfo(const std::filesystem::path& program_folder) {
    return program_folder / "UserInfo.ini";
}

void ShowMode(QWidget* dialog, const std::string& mode) {
    SetChecked(FindElement(dialog, 3), mode != "2");
    SetChecked(FindElement(dialog, 4), mode == "2");
}

void CentreOn(QWidget* dialog, const QWidget* main_window) {
    dialog->adjustSize();
    const QRect frame = main_window->geometry();
    dialog->move(frame.left() + frame.width() / 2 - dialog->width() / 2,
                 frame.top() + frame.height() / 2 - dialog->height() / 2);
}

void BindModes(QWidget* dialog, const SettingsDialogContext& context) {
    for (const auto& mode : {std::pair{3, "1"}, std::pair{4, "2"}}) {
        RegisterEvent(FindElement(dialog, mode.first), kEventButtonClick,
                      [dialog, context, value = std::string(mode.second)](EventArgs&) {
                          if (context.engine != nullptr)
                              context.engine->SetConfig(kAPlayerConfigRenderMode, value);
                          WriteProfileString(UserInfo(context.program_folder), "PlayerSet",
                                             "Render", value);
                          ShowMode(dialog, value);
                      });
    }
}

}  // namespace

std::string RenderMode(const std::filesystem::path& program_folder) {
    const std::string value =
        ReadProfileString(UserInfo(program_folder), "PlayerSet", "Render", "", 260);
    return value == "2" ? "2" : "1";
}

QWidget* OpenSettingsDialog(QWidget* main_window, const SettingsDialogContext& context) {
    const auto layout = context.program_folder / "Layout" / "Player" / "PlayerSet.xml";
    QWidget* dialog = LoadLayout(QString::fromStdString(layout.string()), main_window);
    if (dialog == nullptr) {
        context.boxes->Show(nullptr, kSettingsFailure, kSettingsFailure);
        context.log(kSettingsFailure);
        return nullptr;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::Dialog, true);
    dialog->setWindowModality(Qt::WindowModal);
    CentreOn(dialog, main_window);
    ShowMode(dialog, RenderMode(context.program_folder));
    BindModes(dialog, context);
    RegisterEvent(FindElement(dialog, 7), kEventButtonClick, [dialog, context](EventArgs&) {
        dialog->close();
        if (context.update_codecs)
            context.update_codecs();
    });
    RegisterEvent(FindElement(dialog, 8), kEventButtonClick,
                  [dialog](EventArgs&) { dialog->close(); });
    dialog->show();
    return dialog;
}

}  // namespace tessal::player
