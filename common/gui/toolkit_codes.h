#pragma once

// The numbers the windows' code is written in: element state flags, event codes and
// Windows key and mouse message numbers. They stay numeric so that every window reads
// the same way, whatever toolkit draws it.

namespace tessal::gui {

// States an image or fill is shown in.
enum StateFlag : int {
    kStateWindowBackground = 1,
    kStateBackground = 4,
    kStateNormal = 16,
    kStateMouseOver = 32,
    kStatePressed = 64,
    kStateChecked = 128,
    kStateUnchecked = 256,
    kStateSecondFill = 512,
};

// Events of an element.
enum ElementEvent : int {
    kEventPaint = 2,
    kEventMouseMove = 5,
    kEventMouseStay = 6,
    kEventMouseLeave = 8,
    kEventMouseWheel = 9,
    kEventLeftButtonDown = 10,
    kEventLeftButtonUp = 11,
    kEventRightButtonDown = 12,
    kEventRightButtonUp = 13,
    kEventLeftDoubleClick = 14,
    kEventTimer = 16,
    kEventSetFocus = 31,
    kEventKillFocus = 32,
    kEventDestroy = 33,
    kEventKeyDown = 39,
    kEventKeyUp = 40,
    kEventChar = 41,
    kEventButtonClick = 34,
    kEventSize = 36,
    kEventSliderChange = 63,
    kEventTreeTemplateChoose = 121,
    kEventTreeTemplateCreated = 122,
    kEventTreeSelect = 126,
    kEventEditChange = 161,
};

// Events of a window.
enum WindowEvent : int {
    kWindowSize = 5,       // WM_SIZE
    kWindowKeyDown = 256,  // WM_KEYDOWN
    kWindowTimer = 275,    // WM_TIMER
    kWindowTrayIcon = 2027,
    kWindowMessage = 0x7002,     // private messages 2024 to 2029
    kWindowMenuSelect = 0x700D,  // a popup menu item was chosen
};

// Mouse messages a tray icon reports.
enum TrayMouseMessage : int {
    kTrayLeftButtonDown = 513,   // WM_LBUTTONDOWN
    kTrayLeftDoubleClick = 515,  // WM_LBUTTONDBLCLK
    kTrayRightButtonUp = 517,    // WM_RBUTTONUP
};

}  // namespace tessal::gui
