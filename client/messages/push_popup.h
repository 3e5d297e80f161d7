#pragma once

// One kind of push popup: a small frameless, topmost tool window (no taskbar entry) in
// the lower right corner of the work area, at most one of its kind at a time. It stays
// until the member opens its link or closes it. GUI thread only.

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "client/messages/pending_popups.h"
#include "common/gui/message_boxes.h"
#include "common/gui/web/ewe_library.h"

namespace tessal::client {

struct PushWindowsContext {
    std::filesystem::path program_folder;
    gui::MessageBoxes* boxes = nullptr;
    std::function<void(const std::string& line)> log;   // the daily log
    std::function<void(const QString& url)> open_page;  // the member's browser
    std::shared_ptr<gui::EweLibrary> web_engine;        // the custom popup's page
    QIcon icon;
};

class PushPopup {
public:
    // `layout` relative to the program folder; `failure` the box text and log line when
    // it does not load.
    PushPopup(const PushWindowsContext& context, const char* layout, const char* failure);
    virtual ~PushPopup();
    PushPopup(const PushPopup&) = delete;
    PushPopup& operator=(const PushPopup&) = delete;

    // A new window showing `data` in place of any open one, in place `slot`: that many
    // popup heights above the bottom of the work area, in further columns to the left
    // when the work area is too low.
    void Show(const PopupData& data, int slot);
    // Destroys the window now (a newer message, or the client's end).
    void Close();
    // Shown and not being closed.
    bool IsOpen() const;
    QWidget* window() const { return window_; }
    // The place the open window took.
    int slot() const { return slot_; }

protected:
    // Fills the elements of the new window, laid out but not yet shown, from `data`.
    virtual void Fill(QWidget* window, const PopupData& data) = 0;
    // Element 3 opens `link` in the member's browser, then the popup closes.
    void BindOpenButton(QWidget* window, const std::string& link, const char* handler_name);
    QString Path(const char* relative) const;

    const PushWindowsContext& context_;

private:
    QWidget* Load() const;
    void Frame(QWidget* window) const;
    static void Place(QWidget* window, int slot);
    void OpenAndClose(const std::string& link, const char* handler_name);

    const char* layout_;
    const char* failure_;
    QPointer<QWidget> window_;
    int slot_ = 0;
};

}  // namespace tessal::client
