// The installation's layouts hold every element the playlist panel looks up, of the kind
// it expects; a missing one fails here rather than leaving a button dead in use.

#include <QAbstractButton>
#include <QLabel>
#include <QTreeView>
#include <memory>

#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "tests/player/playlist/playlist_fixture.h"

namespace tessal::player::test {
namespace {

TEST(PlaylistLayoutsTest, ThePlayersLayoutsHoldTheElementsThePanelUses) {
    const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
    const auto load = [&](const char* relative) {
        QString error;
        std::unique_ptr<QWidget> loaded(
            gui::LoadLayout(QString::fromStdString((data / relative).string()), nullptr, &error));
        EXPECT_NE(loaded, nullptr) << error.toStdString();
        return loaded;
    };
    const auto button = [](const std::unique_ptr<QWidget>& window, int id) {
        return window ? qobject_cast<QAbstractButton*>(gui::FindElement(window.get(), id))
                      : nullptr;
    };

    const auto main = load("Layout/Player.xml");
    EXPECT_NE(main ? gui::FindElementAs<QTreeView>(main.get(), 18) : nullptr, nullptr);
    for (const int id : {15, 16, 17})
        EXPECT_NE(button(main, id), nullptr) << id;

    const auto course = load("Layout/Player/TreeForPlayer.xml");
    EXPECT_NE(button(course, 1), nullptr);
    EXPECT_NE(course ? gui::FindElementAs<QLabel>(course.get(), 2) : nullptr, nullptr);
    for (const char* lesson :
         {"Layout/Player/TreeForPlayer2.xml", "Layout/Player/TreeForPlayer_sel.xml"})
        EXPECT_NE(button(load(lesson), 4), nullptr) << lesson;

    const auto remove = load("Layout/Player/DeleteWnd.xml");
    EXPECT_NE(button(remove, 1), nullptr);
    const QAbstractButton* with_file = button(remove, 3);
    ASSERT_NE(with_file, nullptr);
    EXPECT_TRUE(with_file->isCheckable());

    for (const char* image : {"IMAGE/player/zhankai.png", "IMAGE/player/zhengchang.png"})
        EXPECT_TRUE(std::filesystem::is_regular_file(data / image)) << image;
}

}  // namespace
}  // namespace tessal::player::test
