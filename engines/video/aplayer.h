#pragma once

// The binary interface of the video engine libAPlayerCaller.so: twenty-five entry points
// with C linkage. TessalPlayer and TessalClient load the library at run time and resolve
// the entry points by name, in the order of kAPlayerEntryPointNames. The caller forwards
// each call to the same name in libAPlayer.so beside it, loaded on the first call.
//
// Toolkit and threads
// - The "native window" of this interface is an opaque pointer to a Qt widget
//   (QWidget*): APlayer_Create takes the parent widget, APlayer_GetWindow returns the
//   video window, a real (native) child window of that parent.
// - The thread that calls APlayer_Create is the engine's GUI thread: it must be the
//   thread of the QApplication. Every callback arrives on that thread, always, and from
//   the event loop, never from inside an entry point, with one exception: APlayer_Destroy
//   delivers the state changes still due before it returns (below).
// - Every entry point may be called from any thread. Getters answer from the engine's
//   last known values and never wait. A call that changes something, made from another
//   thread, waits until the GUI thread has run it (it only queues work for mpv, so that
//   takes microseconds); the GUI thread must therefore never wait for such a thread.
//
// Destroying an engine
// - APlayer_Destroy runs on the GUI thread; a call from another thread is carried there
//   and returns when it is done. It first ends a file that is open or closing as a close
//   by the player: the state goes through 6 if the file was open (states 2 to 5), then
//   to 0, and item 7 becomes "1". It then stops mpv and removes the video window, and
//   finally delivers every state change not yet delivered, in order, before it returns.
//   No callback follows its return. So the player's shutdown, APlayer_Close then
//   APlayer_Destroy in one handler, still sees 6 (and saves the position) and 0.
// - The callbacks it delivers may call back with the same handle without deadlock:
//   getters answer (the position is the closing position, the duration stays readable,
//   item 7 is "1" unless the file had already played to its end), and every call that
//   would start or change something (APlayer_OpenA/W, Play, Pause, SetPosition, Close,
//   SetConfigA/W, SetVolume, SetCustomLogo, SetSize, Destroy) is refused with -1 (0 for
//   SetCustomLogo), so nothing starts on an engine that is going away.
// - APlayer_Destroy may be called from inside the state or the message callback.
// - Another thread inside an entry point while the handle is destroyed finishes safely:
//   it gets the last values or -1. Once APlayer_Destroy returned, the handle is unknown:
//   getters answer 0 (or "" or null), everything else -1. Handles are never reused.
//
// Text is 8-bit UTF-8 ("A" entry points) or NUL-terminated UTF-16 ("W" entry points).
// Times are integers in milliseconds.

#include <cstdint>

extern "C" {

// Engine states, as APlayer_GetState and the state callback report them.
enum APlayerState : std::int32_t {
    kAPlayerClosed = 0,    // nothing open; ready for a new file
    kAPlayerOpening = 1,   // a file is being opened
    kAPlayerPausing = 2,   // a pause was asked for
    kAPlayerPaused = 3,    // paused
    kAPlayerStarting = 4,  // the file is open and its duration known
    kAPlayerPlaying = 5,   // playing
    kAPlayerClosing = 6,   // the file is being closed; the position is still readable
};

// Configuration items (APlayer_SetConfigA / APlayer_GetConfigA, decimal text).
enum APlayerConfigItem : std::int32_t {
    // Read only. How the last file ended: "0" it played to its end, "1" it was closed
    // by APlayer_Close, a negative mpv error code (e.g. "-13") it could not be opened or
    // read. Empty before the first file ended.
    kAPlayerConfigCloseReason = 7,
    // Play speed in percent, 50 to 400 ("100" at start). Kept across files.
    kAPlayerConfigSpeed = 104,
    // Render path: "1" mpv's OpenGL renderer with hardware decoding where available
    // (falls back to "2" when no OpenGL context can be made), "2" mpv's software
    // renderer, which works everywhere. Applies from the next APlayer_OpenA. Reads back
    // the mode asked for, also after a fall back to "2".
    kAPlayerConfigRenderMode = 201,
};

// Windows message numbers and virtual-key codes that the message callback receives.
enum APlayerWindowMessage : std::uint32_t {
    kAPlayerWmKeyDown = 0x0100,
    kAPlayerWmKeyUp = 0x0101,
    kAPlayerWmChar = 0x0102,
    kAPlayerWmMouseMove = 0x0200,
    kAPlayerWmLButtonDown = 0x0201,
    kAPlayerWmLButtonUp = 0x0202,
    kAPlayerWmLButtonDblClk = 0x0203,
    kAPlayerWmRButtonDown = 0x0204,
    kAPlayerWmRButtonUp = 0x0205,
};

using APlayerHandle = void*;

// The video window's input: (message, wParam, lParam) as on Windows. WM_KEYDOWN and
// WM_KEYUP carry the virtual-key code (left 37, up 38, right 39, down 40, space 32,
// Esc 27, return 13, 'A'-'Z', '0'-'9', F1-F12 112-123); WM_CHAR the character (space 32,
// Esc 27); mouse messages the button flags (left 1, right 2, middle 0x10) and the cursor
// position in the window as x in the low and y in the high 16 bits of lParam. The
// return value is ignored.
using APlayerMessageCallback = std::intptr_t (*)(std::uint32_t message, std::uintptr_t wparam,
                                                 std::intptr_t lparam);
// A state change: the state before and the new state.
using APlayerStateCallback = void (*)(std::int32_t previous_state, std::int32_t new_state);
// The six further notification slots of APlayer_Create. Kept for callers written against
// the eight-callback signature; this engine calls none of them. Null is allowed.
using APlayerNotifyCallback = void (*)(std::intptr_t first, std::intptr_t second);

// The entry points, as function types; the loader holds one pointer per name.

// Creates the engine and its video window as a child of `parent_window` (QWidget*) at
// (x, y) with the given size, shown. Null when the parent is null, no QApplication runs
// on this thread, or mpv cannot be started. The callbacks may be null.
using APlayer_Create_t = APlayerHandle(void* parent_window, std::int32_t x, std::int32_t y,
                                       std::int32_t width, std::int32_t height,
                                       APlayerMessageCallback on_message,
                                       APlayerStateCallback on_state, APlayerNotifyCallback notify1,
                                       APlayerNotifyCallback notify2, APlayerNotifyCallback notify3,
                                       APlayerNotifyCallback notify4, APlayerNotifyCallback notify5,
                                       APlayerNotifyCallback notify6);
// Opens a file (UTF-16 path) and plays it: states 1, then 4, then 5; a file that cannot
// be opened, or whose loading mpv refuses, gives 0 without 4, and item 7 then holds the
// (negative) error. A folder, a playlist or an archive is not one media file: 0 without
// 4, item 7 "-17", and nothing of it plays. Only in state 0: returns 0 when the open was started,
// -1 otherwise (wrong state, null or empty path).
using APlayer_OpenW_t = std::int32_t(APlayerHandle player, const char16_t* path);
// The same with a UTF-8 path.
using APlayer_OpenA_t = std::int32_t(APlayerHandle player, const char* path);
// Closes the file: 6 then 0 while it plays or pauses (item 7 becomes "1", even if the
// file reaches its end meanwhile); while it is still being opened, 0 alone, once mpv has
// the file or has refused it. Nothing happens in states 0 and 6. 0 when a close was
// started, -1 otherwise.
using APlayer_Close_t = std::int32_t(APlayerHandle player);
// Calls that ask mpv for something (play, pause, seek, volume, speed) answer -1 and
// change nothing when mpv refuses the request, as it does while its queue of unread
// replies is full (the GUI thread did not return to its event loop for a thousand
// calls); they can be made again once the event loop ran.
//
// Resumes from state 3: 5 follows. 0 when started, -1 in other states.
using APlayer_Play_t = std::int32_t(APlayerHandle player);
// Pauses from state 5: 2, then 3. 0 when started, -1 in other states.
using APlayer_Pause_t = std::int32_t(APlayerHandle player);
// "APlayerCaller <version> (mpv <version>)", owned by the engine.
using APlayer_GetVersion_t = const char*(APlayerHandle player);
// The picture (a file path, UTF-8; any format Qt reads, BMP included) shown centred in
// the video window while no video frame is shown. Null or an unreadable file removes
// the logo. 1 when a picture was loaded, 0 otherwise.
using APlayer_SetCustomLogo_t = std::int32_t(APlayerHandle player, const char* image_path);
// The state (APlayerState); 0 for a null handle.
using APlayer_GetState_t = std::int32_t(APlayerHandle player);
// The duration in ms, known from state 4 until the next open; 0 before.
using APlayer_GetDuration_t = std::int32_t(APlayerHandle player);
// The position in ms. In states 6 and 0 the last position of the file closed last (its
// duration when it played to its end), as the state-6 callback may run when the engine
// is already in 0; 0 while a file is being opened.
using APlayer_GetPosition_t = std::int32_t(APlayerHandle player);
// Seeks to `position_ms` (below 0 means 0; past the end ends the file) in states 2 to 5.
// GetPosition answers the target at once. 0 when started, -1 otherwise.
using APlayer_SetPosition_t = std::int32_t(APlayerHandle player, std::int32_t position_ms);
// Size of the video in pixels; 0 while unknown.
using APlayer_GetVideoWidth_t = std::int32_t(APlayerHandle player);
using APlayer_GetVideoHeight_t = std::int32_t(APlayerHandle player);
// Volume 0 to 100 (50 at start). Set clamps to that range and holds across files; 0, or
// -1 when refused.
using APlayer_GetVolume_t = std::int32_t(APlayerHandle player);
using APlayer_SetVolume_t = std::int32_t(APlayerHandle player, std::int32_t volume);
// 1 while a seek has not landed yet, else 0.
using APlayer_IsSeeking_t = std::int32_t(APlayerHandle player);
// Percent of the read-ahead cache that is filled while mpv waits for data; 100 when not
// waiting, 0 in states 0 and 1.
using APlayer_GetBufferProgress_t = std::int32_t(APlayerHandle player);
// The value of a configuration item as text kept for the calling thread: valid until
// the same thread reads the same item again (of any engine), whatever other threads do
// meanwhile, destroying the engine included. Empty for an unknown item or handle.
using APlayer_GetConfigA_t = const char*(APlayerHandle player, std::int32_t item);
using APlayer_GetConfigW_t = const char16_t*(APlayerHandle player, std::int32_t item);
// Sets a configuration item; 0 when accepted, -1 for an unknown or read-only item or a
// value out of its range.
using APlayer_SetConfigW_t = std::int32_t(APlayerHandle player, std::int32_t item,
                                          const char16_t* value);
using APlayer_SetConfigA_t = std::int32_t(APlayerHandle player, std::int32_t item,
                                          const char* value);
// Ends the file as a close, stops mpv, removes the video window and delivers the state
// changes still due, all before it returns ("Destroying an engine" above); the handle is
// unknown afterwards. 0, or -1 for an unknown handle or one already being destroyed.
using APlayer_Destroy_t = std::int32_t(APlayerHandle player);
// The video window (QWidget*), a native child of the parent; null for a null handle and
// once the window is gone (deleted with its parent).
using APlayer_GetWindow_t = void*(APlayerHandle player);
// Moves and resizes the video window within its parent; the place and size are clamped
// to what a widget holds (0 to 16777215 for a size). 0, or -1 for a null handle.
using APlayerCaller_SetSize_t = std::int32_t(APlayerHandle player, std::int32_t x, std::int32_t y,
                                             std::int32_t width, std::int32_t height);

}  // extern "C"

// The names, in the order the programs resolve them.
inline constexpr const char* kAPlayerEntryPointNames[] = {
    "APlayer_Create",        "APlayer_OpenW",          "APlayer_OpenA",
    "APlayer_Close",         "APlayer_Play",           "APlayer_Pause",
    "APlayer_GetVersion",    "APlayer_SetCustomLogo",  "APlayer_GetState",
    "APlayer_GetDuration",   "APlayer_GetPosition",    "APlayer_SetPosition",
    "APlayer_GetVideoWidth", "APlayer_GetVideoHeight", "APlayer_GetVolume",
    "APlayer_SetVolume",     "APlayer_IsSeeking",      "APlayer_GetBufferProgress",
    "APlayer_GetConfigA",    "APlayer_GetConfigW",     "APlayer_SetConfigW",
    "APlayer_SetConfigA",    "APlayer_Destroy",        "APlayer_GetWindow",
    "APlayerCaller_SetSize",
};
