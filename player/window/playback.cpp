#include "player/window/playback.h"

#include <QAbstractSlider>
#include <QSignalBlocker>
#include <ctime>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/settings/ini_file.h"
#include "engines/video/aplayer.h"
#include "player/core/lesson_path.h"
#include "player/core/play_progress.h"
#include "player/core/playback_texts.h"
#include "player/core/view_history.h"
#include "player/window/player_window.h"
#include "player/window/playlist_panel.h"
#include "player/window/task_thread.h"
#include "player/window/video_engine.h"

namespace tessal::player {

using namespace tessal::gui;

namespace {

constexpr int kRefreshTimer = 1;
constexpr int kRefreshPeriodMs = 1000;
constexpr int kArrowStepMs = 5000;
constexpr int kLeftArrow = 37;
constexpr int kRightArrow = 39;
constexpr int kSpace = 32;
constexpr int kEscape = 27;

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

Playback::Playback(PlaybackParts parts) : parts_(std::move(parts)) {
    periodic_save_.setInterval(kPeriodicSaveMs);
    connect(&periodic_save_, &QTimer::timeout, this, [this] { SavePeriodically(); });
}

Playback::~Playback() = default;

void Playback::BindButton(QWidget* element, std::function<void()> action) {
    RegisterEvent(element, kEventButtonClick,
                  [action = std::move(action)](EventArgs&) { action(); });
}

void Playback::Bind() {
    PlayerWindow& window = *parts_.window;
    for (QWidget* play : {window.element(1), window.bar_element(1)})
        BindButton(play, [this] { PlayPause(); });
    for (QWidget* stop : {window.element(10), window.bar_element(10)})
        BindButton(stop, [this] { Stop(); });
    BindButton(window.element(21), [this] { NextSpeed(); });
    for (QWidget* slider : {window.element(2), window.bar_element(2)}) {
        RegisterEvent(slider, kEventSliderChange,
                      [this](EventArgs& args) { SeekTo(SeekTarget(args.key, duration_ms_)); });
    }
    for (QWidget* slider : {window.element(5), window.bar_element(5)})
        RegisterEvent(slider, kEventSliderChange, [this](EventArgs& args) { SetVolume(args.key); });
    RegisterWindowEvent(window.window(), kWindowTimer, [this](EventArgs& args) {
        if (args.key == kRefreshTimer)
            OnRefreshTimer();
    });
}

void Playback::OnState(int state) {
    state_ = state;
    switch (state) {
        case kAPlayerClosed:
            OnClosed();
            break;
        case kAPlayerOpening:
            SetTitle("正在打开");
            SetSpeed(100, "1.0.png", "1.0_1.png");
            break;
        case kAPlayerPausing:
            SetTitle("正在暂停");
            break;
        case kAPlayerPaused:
            ShowPlayImages(false);
            SetTitle("播放暂停");
            break;
        case kAPlayerStarting:
            OnStarting();
            break;
        case kAPlayerPlaying:
            ShowPlayImages(true);
            SetTitle("正在播放:" + QString::fromStdString(viewing_.title));
            break;
        case kAPlayerClosing:
            OnClosing();
            break;
        default:
            break;
    }
    if (listener_.state_changed)
        listener_.state_changed(state);
    Redraw();
}

void Playback::OnStarting() {
    duration_ms_ = parts_.engine->Duration();
    SetWindowTimer(parts_.window->window(), kRefreshTimer, kRefreshPeriodMs);
    SetTitle("正在开始播放");
    // The file that starts is the one opened last; a file closed before it ever
    // started has no viewing of its own.
    viewing_ = pending_;
    viewing_.started = true;
    viewing_.begin = ViewTime(LocalNow());
    periodic_save_.start();
    if (listener_.track_started)
        listener_.track_started(viewing_.title, duration_ms_, viewing_.path);
}

// A file the engine could not open or read (a negative reason) is named in the title, so
// that a damaged or half-downloaded lesson does not just vanish.
void Playback::OnClosed() {
    ResetProgressDisplay();
    SetTitle(QString::fromUtf8(kPlayerTitle));
    viewing_ = {};
    const std::string reason = parts_.engine->Config(kAPlayerConfigCloseReason);
    if (reason.starts_with('-') && !pending_.path.empty()) {
        SetTitle("无法播放:" + QString::fromStdString(pending_.title));
        parts_.log("OpenFail:" + pending_.path + " " + reason);
        pending_.path.clear();
    }
    if (!halted_ && reason == "0")
        AutoAdvance();
}

void Playback::OnClosing() {
    KillWindowTimer(parts_.window->window(), kRefreshTimer);
    periodic_save_.stop();
    SetTitle("正在结束");
    if (!viewing_.started)
        return;
    if (viewing_.lesson && !viewing_.awaiting_resume)
        SaveProgress(viewing_.title, parts_.engine->Position());
    WriteHistory(viewing_, ViewTime(LocalNow()));
    viewing_.started = false;
}

void Playback::SaveProgress(const std::string& key, int position_ms) {
    PlayProgress* progress = parts_.progress;
    parts_.disk->Queue([progress, key, position_ms] {
        if (progress->EnsureOpen())
            progress->Save(key, position_ms);
    });
}

// Only while the cache database is open: its failure to open is told at a lesson's
// open and end, not every few seconds.
void Playback::SavePeriodically() {
    if (!viewing_.started || !viewing_.lesson || viewing_.awaiting_resume ||
        state_ != kAPlayerPlaying)
        return;
    PlayProgress* progress = parts_.progress;
    const std::string key = viewing_.title;
    const int position = parts_.engine->Position();
    parts_.disk->Queue([progress, key, position] {
        if (progress->is_open())
            progress->Save(key, position);
    });
}

void Playback::WriteHistory(const Viewing& viewing, const std::string& end) {
    const auto folder = parts_.program_folder;
    const std::string begin = viewing.begin;
    parts_.disk->Queue([folder, begin, end] {
        const std::string uid =
            ReadProfileString(folder / "UserInfo.ini", "Login", "userid", "", 30);
        WriteViewRecord(folder / "cache" / "History", ViewRecord{uid, "", begin, end}, LocalNow());
    });
}

void Playback::AutoAdvance() {
    PlaylistPanel* playlist = parts_.playlist;
    if (playlist == nullptr)
        return;
    const int current = playlist->current_item();
    if (!playlist->IsLesson(current))
        return;
    const int next = playlist->NextLesson(current);
    if (next == kNoItem)
        return;
    const QString path = playlist->PathOf(next);
    if (path.isEmpty()) {
        parts_.log("OnTerrLButtonDBClick path is null");
        return;
    }
    parts_.open_lesson(path.toStdString());
    playlist->Select(next);
    playlist->SetCurrentItem(next);
}

void Playback::OnRefreshTimer() {
    const int position = parts_.engine->Position();
    if (position >= duration_ms_)
        return;
    SetSliders(SliderValue(position, duration_ms_));
    const QString text = QString::fromStdString(TimeText(position, duration_ms_));
    SetElementText(parts_.window->element(3), text);
    SetElementText(parts_.window->bar_element(3), text);
}

// The slider follows the position without seeking, and leaves alone a thumb the member
// is dragging.
void Playback::SetSliders(int value) {
    for (QWidget* element : {parts_.window->element(2), parts_.window->bar_element(2)}) {
        auto* slider = qobject_cast<QAbstractSlider*>(element);
        if (slider == nullptr || slider->isSliderDown())
            continue;
        const QSignalBlocker quiet(slider);
        slider->setValue(value);
        slider->update();
    }
}

void Playback::ResetProgressDisplay() {
    ShowPlayImages(false);
    SetSliders(0);
    for (QWidget* text : {parts_.window->element(3), parts_.window->bar_element(3)})
        SetElementText(text, "00:00:00/00:00:00");
}

void Playback::ShowPlayImages(bool playing) {
    const QString first = playing ? "pause_1.png" : "play_1.png";
    const QString second = playing ? "pause_2.png" : "play_2.png";
    for (QWidget* button : {parts_.window->element(1), parts_.window->bar_element(1)})
        SetPlayerButtonImages(button, first, second);
}

void Playback::SetTitle(const QString& text) {
    SetElementText(parts_.window->element(13), text);
}

void Playback::SetSpeed(int speed, const std::string& normal, const std::string& over) {
    speed_ = speed;
    QWidget* button = parts_.window->element(21);
    ClearStateImages(button);
    SetPlayerButtonImages(button, QString::fromStdString(normal), QString::fromStdString(over));
    parts_.engine->SetConfig(kAPlayerConfigSpeed, std::to_string(speed));
    if (listener_.speed_changed)
        listener_.speed_changed(speed);
}

void Playback::NextSpeed() {
    const SpeedStep step = player::NextSpeed(speed_);
    SetSpeed(step.speed, step.normal_image, step.over_image);
}

void Playback::PlayItem(int item) {
    PlaylistPanel* playlist = parts_.playlist;
    if (playlist == nullptr || !playlist->IsLesson(item))
        return;
    const QString path = playlist->PathOf(item);
    if (path.isEmpty())
        return;
    playlist->SetCurrentItem(item);
    parts_.open_lesson(path.toStdString());
}

void Playback::PlayPause() {
    switch (parts_.engine->State()) {
        case kAPlayerClosed:
            if (parts_.playlist != nullptr)
                PlayItem(parts_.playlist->Selected());
            break;
        case kAPlayerPaused:
            parts_.engine->Play();
            break;
        case kAPlayerPlaying:
            parts_.engine->Pause();
            break;
        default:
            break;
    }
}

void Playback::Stop() {
    parts_.engine->Close();
    SetSliders(0);
}

void Playback::SeekTo(int position_ms) {
    EndAwaitingResume();
    Seek(position_ms);
}

void Playback::Seek(int position_ms) {
    if (parts_.engine->SetPosition(position_ms) == 0 && listener_.seeked)
        listener_.seeked(position_ms);
}

void Playback::EndAwaitingResume() {
    if (pending_.start == viewing_.start)
        pending_.awaiting_resume = false;
    viewing_.awaiting_resume = false;
}

void Playback::SetVolume(int volume) {
    parts_.engine->SetVolume(volume);
    for (QWidget* element : {parts_.window->element(5), parts_.window->bar_element(5)}) {
        if (auto* slider = qobject_cast<QAbstractSlider*>(element)) {
            const QSignalBlocker quiet(slider);
            slider->setValue(volume);
            slider->update();
        }
    }
    if (listener_.volume_changed)
        listener_.volume_changed(volume);
}

void Playback::ApplyVolume() {
    if (auto* slider = qobject_cast<QAbstractSlider*>(parts_.window->element(5)))
        SetVolume(slider->value());
}

void Playback::Open(const std::string& path) {
    if (!halted_)
        parts_.open_lesson(path);
}

int Playback::position_ms() const {
    return parts_.engine->Position();
}

bool Playback::HasNext() const {
    return parts_.playlist != nullptr &&
           parts_.playlist->NextLesson(parts_.playlist->current_item()) != kNoItem;
}

bool Playback::HasPrevious() const {
    return parts_.playlist != nullptr &&
           parts_.playlist->PreviousLesson(parts_.playlist->current_item()) != kNoItem;
}

void Playback::Next() {
    if (parts_.playlist != nullptr)
        PlayItem(parts_.playlist->NextLesson(parts_.playlist->current_item()));
}

void Playback::Previous() {
    if (parts_.playlist != nullptr)
        PlayItem(parts_.playlist->PreviousLesson(parts_.playlist->current_item()));
}

void Playback::OnMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
    PlayerWindow& window = *parts_.window;
    if (message == kAPlayerWmKeyUp && (wparam == kRightArrow || wparam == kLeftArrow)) {
        const int step = wparam == kRightArrow ? kArrowStepMs : -kArrowStepMs;
        SeekTo(parts_.engine->Position() + step);
    } else if (message == kAPlayerWmChar && wparam == kSpace) {
        const int state = parts_.engine->State();
        if (state == kAPlayerPlaying)
            parts_.engine->Pause();
        else if (state == kAPlayerPaused)
            parts_.engine->Play();
    } else if (message == kAPlayerWmChar && wparam == kEscape && window.full_screen()) {
        window.ToggleFullScreen(parts_.engine->Window());
    } else if (message == kAPlayerWmMouseMove && window.full_screen()) {
        QWidget* video = parts_.engine->Window();
        const QPoint local(static_cast<short>(lparam & 0xFFFF),
                           static_cast<short>((lparam >> 16) & 0xFFFF));
        window.TrackMouseInFullScreen(video != nullptr ? video->mapToGlobal(local).y() : local.y());
    }
}

void Playback::OpenInEngine(const std::string& path, bool lesson, int stored_ms,
                            std::uint64_t start) {
    // A file that is not a lesson keeps no progress; its name is shown all the same.
    pending_ = Viewing{lesson, false, LessonTitle(path), path, {}, start, stored_ms > 0};
    parts_.engine->Open(path);
}

// The opener's word on the resume of the lesson that plays: where to take it, or -1 for
// nowhere. A member who seeked meanwhile keeps their place.
void Playback::ResumeAt(int position_ms, std::uint64_t start) {
    if (pending_.start != start || viewing_.start != start)
        return;
    const bool awaiting = viewing_.awaiting_resume;
    EndAwaitingResume();
    if (awaiting && position_ms >= 0)
        Seek(position_ms);
}

void Playback::Halt() {
    halted_ = true;
    periodic_save_.stop();
}

void Playback::Redraw() {
    parts_.window->window()->update();
    if (QWidget* bar = parts_.window->bar())
        bar->update();
}

}  // namespace tessal::player
