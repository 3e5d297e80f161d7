#pragma once

// The message manager: the member's stored push messages, newest first, thirty to a
// page, with reload, paging, delete and opening a message's link by double click. Made
// on its first opening, destroyed by its own close button (and made again on the next
// opening) or at the client's end. Its queries run on the GUI thread: they are short
// and use the table's index. GUI thread only.

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "client/messages/message_store.h"
#include "common/gui/message_boxes.h"
#include "common/gui/template_tree.h"

namespace tessal::client {

inline constexpr const char* kMessageManagerLayout = "Layout/MessageManager.xml";
inline constexpr const char* kMessageManagerItem = "Layout/ManagerList.xml";

struct MessageManagerContext {
    std::filesystem::path program_folder;
    MessageStore* store = nullptr;
    gui::MessageBoxes* boxes = nullptr;
    std::function<void(const std::string& line)> log;   // the daily log
    std::function<void(const QString& url)> open_page;  // the member's browser
    std::function<std::string()> account;               // the member's account, UTF-8
    QIcon icon;
};

class MessageManager {
public:
    explicit MessageManager(MessageManagerContext context);
    ~MessageManager();
    MessageManager(const MessageManager&) = delete;
    MessageManager& operator=(const MessageManager&) = delete;

    // The main window's button: makes the window with the newest page, or brings the
    // existing one back as it is. Either way the page index returns to 0.
    void Open();
    // The client's end: the window goes.
    void Close();

    QWidget* window() const;
    gui::TemplateTree* list() const { return window() ? list_ : nullptr; }
    int page_index() const { return page_index_; }
    // Type-1 messages of the account when the window was made.
    int total_count() const { return total_count_; }

private:
    QString Path(const char* relative) const;
    // The window's own element `id`; null once the window is gone.
    QWidget* Element(int id) const;
    bool Create();
    void BindButtons();
    void SetUpList();
    void LoadFirstPage();
    void Frame();

    // The list (message_manager_list.cpp).
    void OnReload();
    void OnPreviousPage();
    void OnNextPage();
    void OnDelete();
    void OnListBoxLButtonDBClick(QPoint point);

    // Type 1, or 2 when element 9 is unchecked.
    int MessageClass() const;
    // Shows the page at `offset` of `type` in the cleared list; false when the query
    // failed (reported).
    bool ShowPage(int type, int offset);
    void ReportQueryFailure(const std::string& error) const;
    void ShowElement(int id, bool visible) const;
    void ClearList();
    void RemoveListed(const QString& time);
    // The selected message's row stands out; rows are reused as the list scrolls.
    void MarkSelected() const;
    static void MarkRow(QWidget* row, bool selected);

    MessageManagerContext context_;
    QPointer<QWidget> window_;
    gui::TemplateTree* list_ = nullptr;  // owned by the list element
    // The class of the messages listed now: a delete removes a listed message, whatever
    // element 9 says since.
    int listed_type_ = 1;
    int page_index_ = 0;
    int total_count_ = 0;
};

}  // namespace tessal::client
