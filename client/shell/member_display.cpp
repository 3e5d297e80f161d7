#include "client/shell/member_display.h"

#include <QImageReader>

#include "client/shell/member_badge.h"
#include "client/shell/user_profile.h"
#include "common/files/file_helpers.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr int kHeadPictureId = 5;
constexpr int kNameId = 6;
constexpr int kGradeId = 7;

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Installation images are named relative to the program folder ("./IMAGE/...").
QString InstalledImage(const std::filesystem::path& program_folder, const std::string& relative) {
    return PathText((program_folder / relative).lexically_normal());
}

// Whatever its name says, a file counts only when it decodes: a cut or foreign file
// would show an empty element instead of the default picture.
bool IsPicture(const std::filesystem::path& file) {
    QImageReader reader(PathText(file));
    reader.setDecideFormatFromContent(true);
    return !reader.read().isNull();
}

QString HeadPicture(const std::filesystem::path& program_folder, const std::string& account) {
    const auto folder = MemberFolder(program_folder, account);
    const auto downloaded = folder / kDownloadedHeadPictureFileName;
    if (!IsPicture(downloaded))
        return InstalledImage(program_folder, "./IMAGE/MainW/headpic_default.png");
    // Replaced whole: a failed copy leaves the login window the picture it had.
    CopyFile(downloaded, folder / kShownHeadPictureFileName);
    return PathText(downloaded);
}

void ShowHeadPicture(QWidget* element, const QString& picture) {
    ClearStateImages(element);
    for (const int state : {kStateNormal, kStateMouseOver, kStatePressed})
        AddStateImage(element, state, picture);
}

void ShowBadge(QWidget* element, const std::filesystem::path& program_folder,
               const std::string& grade) {
    const MemberBadge badge = BadgeForGrade(grade);
    SetButtonImages(element, InstalledImage(program_folder, badge.images[0]),
                    InstalledImage(program_folder, badge.images[1]),
                    InstalledImage(program_folder, badge.images[2]));
    if (element != nullptr)
        element->setToolTip(QString::fromStdString(badge.tooltip));
}

}  // namespace

void ShowMember(QWidget* main_window, const std::filesystem::path& program_folder,
                const SessionRecord& record) {
    SetElementText(FindElement(main_window, kNameId), QString::fromStdString(record.truename));
    ShowHeadPicture(FindElement(main_window, kHeadPictureId),
                    HeadPicture(program_folder, record.account));
    ShowBadge(FindElement(main_window, kGradeId), program_folder, record.grade);
}

std::unique_ptr<gui::TrayIcon> MakeMemberTray(const std::filesystem::path& program_folder,
                                              const SessionRecord& record,
                                              std::function<void(int)> on_mouse) {
    return std::make_unique<gui::TrayIcon>(
        PathText(program_folder / "ico1.ico"),
        QString::fromStdString(MemberTrayTip(record.truename, record.grade)), std::move(on_mouse));
}

}  // namespace tessal::client
