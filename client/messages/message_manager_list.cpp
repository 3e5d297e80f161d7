// The message manager's list: a page of stored messages, reload, previous and next page,
// delete, and a message's link opened by double click.

#include <QStyle>
#include <QTreeView>
#include <algorithm>
#include <vector>

#include "client/messages/message_manager.h"
#include "client/messages/web_link.h"
#include "common/gui/elements.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kQueryCaption = "数据库执行错误";
constexpr const char* kNoLink = "OnListBoxLButtonDBClick name3 erro";
constexpr const char* kLinkRefused = "OnListBoxLButtonDBClick name3 is not a web page:";

}  // namespace

int MessageManager::MessageClass() const {
    return IsChecked(Element(9)) ? 1 : 2;
}

void MessageManager::ShowElement(int id, bool visible) const {
    if (QWidget* element = Element(id))
        element->setVisible(visible);
}

void MessageManager::ClearList() {
    if (list_ == nullptr)
        return;
    for (int item = list_->FirstChild(kRootItem); item != kNoItem;
         item = list_->FirstChild(kRootItem))
        list_->RemoveItem(item);
}

void MessageManager::ReportQueryFailure(const std::string& error) const {
    context_.log("sql:" + error);
    context_.boxes->Show(nullptr, QString::fromStdString(error), kQueryCaption);
}

// A message is listed only with its time, text and link all there.
bool MessageManager::ShowPage(int type, int offset) {
    std::vector<StoredMessage> rows;
    std::string error;
    if (!context_.store->Page(context_.account(), type, std::max(offset, 0), rows, error)) {
        ReportQueryFailure(error);
        return false;
    }
    listed_type_ = type;
    if (list_ == nullptr)
        return true;
    for (const StoredMessage& row : rows) {
        if (row.time.empty() || row.content.empty() || row.link.empty())
            continue;
        list_->SetCells(list_->InsertItem(kRootItem),
                        {{"name", QString::fromStdString(row.time)},
                         {"name2", QString::fromStdString(row.content)},
                         {"name3", QString::fromStdString(row.link)}});
    }
    return true;
}

// Reload shows type 1 at the page index. The count read at opening decides the buttons:
// with exactly 30 messages, next is offered on page 0 although page 1 is empty.
void MessageManager::OnReload() {
    ClearList();
    if (!context_.store->is_open())
        return;
    const bool further = total_count_ / kMessagePageRows > page_index_;
    ShowElement(7, !further || page_index_ != 0);
    ShowElement(8, further);
    ShowPage(1, page_index_ * kMessagePageRows);
}

// The index may go below 0 (previous on page 0, offered after a reload): the query then
// reads from the start, and next comes back to 0.
void MessageManager::OnPreviousPage() {
    ClearList();
    if (!context_.store->is_open())
        return;
    --page_index_;
    ShowElement(7, page_index_ != 0);
    ShowElement(8, true);
    ShowPage(MessageClass(), page_index_ * kMessagePageRows);
}

void MessageManager::OnNextPage() {
    ClearList();
    if (!context_.store->is_open())
        return;
    ++page_index_;
    ShowElement(7, true);
    ShowElement(8, total_count_ > (page_index_ + 1) * kMessagePageRows);
    ShowPage(MessageClass(), page_index_ * kMessagePageRows);
}

// Messages are told apart by time, class and account only: every message of the listed
// class stored at the selected message's time goes, in the database and in the list.
void MessageManager::OnDelete() {
    if (list_ == nullptr)
        return;
    const int item = list_->Selected();
    if (item == kNoItem)
        return;
    const QString time = list_->Text(item, "name");
    if (time.isEmpty() || !context_.store->is_open())
        return;
    std::string error;
    if (!context_.store->Delete(time.toStdString(), listed_type_, context_.account(), error)) {
        context_.log("sql:" + error);
        return;
    }
    RemoveListed(time);
}

void MessageManager::RemoveListed(const QString& time) {
    for (int item = list_->FirstChild(kRootItem); item != kNoItem;) {
        const int next = list_->NextSibling(item);
        if (list_->Text(item, "name") == time)
            list_->RemoveItem(item);
        item = next;
    }
    if (QWidget* view = Element(5))
        view->update();
}

void MessageManager::MarkSelected() const {
    const int selected = list_->Selected();
    for (int item = list_->FirstChild(kRootItem); item != kNoItem; item = list_->NextSibling(item))
        if (QWidget* row = list_->RowWidget(item))
            MarkRow(row, item == selected);
}

// The row's card carries the property "selected", which the row's style sheet shows.
void MessageManager::MarkRow(QWidget* row, bool selected) {
    QWidget* card = row ? row->findChild<QWidget*>("card") : nullptr;
    if (card == nullptr || card->property("selected").toBool() == selected)
        return;
    card->setProperty("selected", selected);
    card->style()->unpolish(card);
    card->style()->polish(card);
    card->update();
}

void MessageManager::OnListBoxLButtonDBClick(QPoint point) {
    if (list_ == nullptr)
        return;
    const int item = list_->HitTest(point);
    if (item == kNoItem)
        return;
    const QString link = list_->Text(item, "name3");
    if (link.isEmpty()) {
        context_.log(kNoLink);
        return;
    }
    // Links come from the server: only a web page is handed to the browser.
    if (!IsWebLink(link.toStdString())) {
        context_.log(kLinkRefused + link.toStdString());
        return;
    }
    context_.open_page(link);
}

}  // namespace tessal::client
