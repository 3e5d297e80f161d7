#pragma once

// TessalPlayer's main window ("./Layout/Player.xml"): its elements and images, the
// video area beside the playlist panel, the playlist toggle, full screen and the
// full-screen control bar ("./Layout/Player/FullScreenConsolWnd.xml").

#include <QRect>
#include <QSize>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

namespace tessal::player {

inline constexpr const char* kPlayerTitle = "Tessal播放器";

class PlayerWindow {
public:
    // The main window of `program_folder`, or null when its layout does not load.
    static std::unique_ptr<PlayerWindow> Load(const std::filesystem::path& program_folder,
                                              QSize screen);
    ~PlayerWindow();

    QWidget* window() const { return window_.get(); }
    QWidget* element(int id) const;
    // The control bar's element, or null (also when the bar did not load).
    QWidget* bar_element(int id) const;
    QWidget* bar() const { return bar_.get(); }
    QSize screen() const { return screen_; }

    // Element images, texts and slider ranges of the main window.
    void SetUpElements();
    // Loads the control bar; false when its layout does not load.
    bool BuildControlBar();
    // Where the video window goes: the video area between the title bar, the control bar
    // and the playlist panel, in window coordinates.
    QRect VideoPlace() const;
    // The window's WM_SIZE: the playlist panel's width (unless it is hidden), then the
    // video window to the video area. Nothing in full screen.
    void LayOut(QWidget* video);
    // Shows or hides the playlist panel, as the toggle (element 14) asks.
    void TogglePlaylist(QWidget* video);
    // The start-up size: the layout's own on a large screen, else smaller at (0, 0).
    void PlaceAtStart();

    // The loading animation in element 19 while a lesson opens.
    void ShowLoading(bool loading);

    bool full_screen() const { return full_screen_; }
    void ToggleFullScreen(QWidget* video);
    // The video window's mouse in full screen: the bar shows near the bottom edge.
    void TrackMouseInFullScreen(int screen_y);

private:
    void PlaceVideoFullScreen(QWidget* video) const;
    PlayerWindow(QWidget* window, std::filesystem::path program_folder, QSize screen);
    QString Image(const char* name) const;
    void SetUpSlider(QWidget* slider, bool progress) const;
    void SetPlaylistWidth(int width);
    void EnterFullScreen(QWidget* video);
    void LeaveFullScreen(QWidget* video);

    std::unique_ptr<QWidget> window_;
    std::unique_ptr<QWidget> bar_;
    std::filesystem::path program_folder_;
    QSize screen_;
    bool full_screen_ = false;
    bool playlist_hidden_ = false;
};

// Two-image buttons: the first image in the normal and pressed states, the second under
// the mouse, both under "./IMAGE/player/".
void SetPlayerButtonImages(QWidget* button, const QString& first, const QString& second);

}  // namespace tessal::player
