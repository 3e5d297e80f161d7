#pragma once

// The three push popups: `PushWnd1` shows a text message, `PushWnd2` a message with a
// picture, `PushWnd3` a message with a page of its own (the custom message). Each opens
// its message's link with its open button, element 3.

#include "client/messages/push_popup.h"

namespace tessal::client {

inline constexpr const char* kTextPopupLayout = "Layout/Tessal_PushWindow1.xml";
inline constexpr const char* kPicturePopupLayout = "Layout/Tessal_PushWindow2.xml";
inline constexpr const char* kCustomPopupLayout = "Layout/Tessal_PushWindow3.xml";
// The picture the push poller downloaded for the last picture message, and the one shown
// when it could not.
inline constexpr const char* kPushPicture = "cache/PushImg.png";
inline constexpr const char* kDefaultPushPicture = "cache/PushImg_def.png";

// Title 1, content 2.
class PushWnd1 final : public PushPopup {
public:
    explicit PushWnd1(const PushWindowsContext& context);

private:
    void Fill(QWidget* window, const PopupData& data) override;
};

// Title 1, content 2, picture 4 (stretched over the element).
class PushWnd2 final : public PushPopup {
public:
    explicit PushWnd2(const PushWindowsContext& context);

private:
    void Fill(QWidget* window, const PopupData& data) override;
    void ShowPicture(QWidget* window, bool downloaded) const;
};

// A web view element in holder 4 shows the custom page, when it is a web page.
class PushWnd3 final : public PushPopup {
public:
    explicit PushWnd3(const PushWindowsContext& context);

private:
    void Fill(QWidget* window, const PopupData& data) override;
};

}  // namespace tessal::client
