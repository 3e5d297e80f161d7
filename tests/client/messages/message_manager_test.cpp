// The message manager on a demo installation's cache database: pages of thirty and the
// page buttons, reload's and previous page's rules, delete, opening a link, what is
// never listed, and the failure paths.

#include "client/messages/message_manager.h"

#include <QWidget>
#include <cstdio>
#include <memory>

#include "common/gui/template_tree.h"
#include "tests/client/messages/cache_file.h"
#include "tests/client/messages/message_windows_fixture.h"

namespace tessal::client::test {
namespace {

using gui::kNoItem;
using gui::kRootItem;
using tessal::test::RunSql;

constexpr const char* kAccount = "demo";

// Times that sort as text in the order given: message `n` is newer than `n - 1`.
std::string TimeOf(int n) {
    char time[32];
    std::snprintf(time, sizeof time, "2024-6-1    10:%02d:%02d", n / 60, n % 60);
    return time;
}

// What the member sees after each click: rows, page index, previous and next shown.
struct View {
    size_t rows;
    int page;
    bool previous;
    bool next;
    bool operator==(const View&) const = default;
};

void PrintTo(const View& view, std::ostream* out) {
    *out << "{rows " << view.rows << ", page " << view.page << ", previous " << view.previous
         << ", next " << view.next << "}";
}

class MessageManagerTest : public MessageWindowsTest {
protected:
    void SetUp() override {
        MessageWindowsTest::SetUp();
        store_ = std::make_unique<MessageStore>(Database());
        MakeManager();
    }
    void TearDown() override {
        manager_.reset();
        store_.reset();
        Settle();
        MessageWindowsTest::TearDown();
    }
    void MakeManager() {
        manager_ = std::make_unique<MessageManager>(MessageManagerContext{
            folder(), store_.get(), &boxes_, Log(), Browser(), [] { return kAccount; }, QIcon()});
    }
    std::filesystem::path Database() const { return folder() / kCacheDatabaseFile; }

    // Rows straight into the shipped database, as the poller (type 1) and older clients
    // (type 2) left them.
    void Store(const std::string& time, const std::string& text, const std::string& link,
               int type = 1, const std::string& account = kAccount) const {
        RunSql(Database(), "INSERT INTO t_Message (FAccount,FContent,Furl,Ftype,Ftime) VALUES ('" +
                               account + "','" + text + "','" + link + "','" +
                               std::to_string(type) + "','" + time + "')");
    }
    void StoreMessages(int count) const {
        for (int n = 0; n < count; ++n)
            Store(TimeOf(n), "消息 " + std::to_string(n),
                  "http://site.test/m/" + std::to_string(n));
    }

    QWidget* Window() const { return manager_->window(); }
    bool Shown(int id) const {
        const QWidget* element = gui::FindElement(Window(), id);
        return element != nullptr && element->isVisibleTo(Window());
    }
    // The listed messages' times, top to bottom.
    std::vector<std::string> Listed() const {
        std::vector<std::string> times;
        const gui::TemplateTree* list = manager_->list();
        for (int item = list->FirstChild(kRootItem); item != kNoItem;
             item = list->NextSibling(item))
            times.push_back(list->Text(item, "name").toStdString());
        return times;
    }
    int ItemAt(const std::string& time) const {
        const gui::TemplateTree* list = manager_->list();
        for (int item = list->FirstChild(kRootItem); item != kNoItem;
             item = list->NextSibling(item))
            if (list->Text(item, "name").toStdString() == time)
                return item;
        return kNoItem;
    }
    View Now() const { return {Listed().size(), manager_->page_index(), Shown(7), Shown(8)}; }
    void DoubleClick(const std::string& time) {
        const int item = ItemAt(time);
        ASSERT_NE(item, kNoItem) << time;
        manager_->list()->RefreshNow();
        QWidget* row = manager_->list()->RowWidget(item);
        ASSERT_NE(row, nullptr);
        auto* view = qobject_cast<QTreeView*>(gui::FindElement(Window(), 5));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row->geometry().center());
    }

    std::unique_ptr<MessageStore> store_;
    std::unique_ptr<MessageManager> manager_;
};

TEST_F(MessageManagerTest, SixtyOneMessagesArePagedThirtyThirtyOne) {
    StoreMessages(61);
    manager_->Open();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("消息管理器"));
    EXPECT_EQ(manager_->total_count(), 61);
    EXPECT_EQ(Now(), (View{30, 0, false, true}));
    EXPECT_EQ(Listed().front(), TimeOf(60));  // newest first
    Click(Window(), 8);
    EXPECT_EQ(Now(), (View{30, 1, true, true}));
    EXPECT_EQ(Listed().front(), TimeOf(30));
    Click(Window(), 8);
    EXPECT_EQ(Now(), (View{1, 2, true, false}));
    EXPECT_EQ(Listed(), std::vector{TimeOf(0)});
    Click(Window(), 7);
    EXPECT_EQ(Now(), (View{30, 1, true, true}));
    Click(Window(), 7);
    EXPECT_EQ(Now(), (View{30, 0, false, true}));
}

// The count read at opening decides: 30 / 30 is 1, so reload on page 0 offers a next
// page, which is empty.
TEST_F(MessageManagerTest, ExactlyThirtyMessagesReloadOffersAnEmptyNextPage) {
    StoreMessages(30);
    manager_->Open();
    EXPECT_EQ(Now(), (View{30, 0, false, false}));
    Click(Window(), 1);
    EXPECT_EQ(Now(), (View{30, 0, false, true}));
    Click(Window(), 8);
    EXPECT_EQ(Now(), (View{0, 1, true, false}));
}

TEST_F(MessageManagerTest, PreviousOnPageZeroReadsFromTheStartAndNextComesBack) {
    StoreMessages(5);
    manager_->Open();
    EXPECT_EQ(Now(), (View{5, 0, false, false}));
    Click(Window(), 1);  // few messages: reload offers previous
    EXPECT_EQ(Now(), (View{5, 0, true, false}));
    Click(Window(), 7);
    EXPECT_EQ(Now(), (View{5, -1, true, true}));
    Click(Window(), 8);
    EXPECT_EQ(Now(), (View{5, 0, true, false}));
}

// Arrivals while open show after a reload but leave the count, and the paging, alone.
TEST_F(MessageManagerTest, ReloadShowsNewArrivalsWithoutChangingTheCount) {
    StoreMessages(30);
    manager_->Open();
    Store(TimeOf(99), "新消息", "http://site.test/new");
    EXPECT_EQ(Listed().front(), TimeOf(29));
    Click(Window(), 1);
    EXPECT_EQ(Listed().front(), TimeOf(99));
    EXPECT_EQ(Listed().size(), 30u);
    EXPECT_EQ(manager_->total_count(), 30);
}

TEST_F(MessageManagerTest, AMessageWithoutTextOrLinkIsNeverListed) {
    Store(TimeOf(1), "", "http://site.test/1");
    Store(TimeOf(2), "有链接", "");
    Store(TimeOf(3), "完整", "http://site.test/3");
    Store("", "无时间", "http://site.test/4");
    manager_->Open();
    EXPECT_EQ(Listed(), std::vector{TimeOf(3)});
    EXPECT_EQ(manager_->total_count(), 4);
}

TEST_F(MessageManagerTest, DeleteRemovesEveryMessageOfThatTimeClassAndAccount) {
    const std::string time = TimeOf(7);
    Store(time, "一", "http://site.test/1");
    Store(time, "二", "http://site.test/2");
    Store(time, "类二", "http://site.test/3", 2);
    Store(time, "他人", "http://site.test/4", 1, "other");
    Store(TimeOf(8), "另一时刻", "http://site.test/5");
    manager_->Open();
    ASSERT_EQ(Listed(), (std::vector{TimeOf(8), time, time}));
    manager_->list()->Select(ItemAt(time));
    Click(Window(), 2);
    EXPECT_EQ(Listed(), std::vector{TimeOf(8)});
    EXPECT_EQ(RunSql(Database(), "SELECT FContent FROM t_Message ORDER BY FContent"),
              (std::vector<std::string>{"他人", "另一时刻", "类二"}));
    // Nothing selected: nothing goes.
    manager_->list()->Select(kNoItem);
    Click(Window(), 2);
    EXPECT_EQ(Listed(), std::vector{TimeOf(8)});
}

// The list shows push messages whatever element 9 says since; a delete removes the
// message the member chose, not one of the other class.
TEST_F(MessageManagerTest, DeleteRemovesTheListedClassEvenWhenTheCheckButtonChanged) {
    const std::string time = TimeOf(7);
    Store(time, "推送", "http://site.test/1");
    Store(time, "类二", "http://site.test/2", 2);
    manager_->Open();
    auto* check = qobject_cast<QAbstractButton*>(gui::FindElement(Window(), 9));
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isChecked());
    check->setChecked(false);
    manager_->list()->Select(ItemAt(time));
    Click(Window(), 2);
    EXPECT_EQ(RunSql(Database(), "SELECT FContent FROM t_Message"),
              std::vector<std::string>{"类二"});
}

TEST_F(MessageManagerTest, TheUncheckedClassPagesTypeTwoMessages) {
    StoreMessages(31);
    Store(TimeOf(90), "类二", "http://site.test/t2", 2);
    manager_->Open();
    qobject_cast<QAbstractButton*>(gui::FindElement(Window(), 9))->setChecked(false);
    Click(Window(), 8);  // page 1 of class 2 is empty
    EXPECT_EQ(Now(), (View{0, 1, true, false}));
    Click(Window(), 7);
    EXPECT_EQ(Listed(), std::vector{TimeOf(90)});
}

TEST_F(MessageManagerTest, DoubleClickOpensOnlyAWebLink) {
    Store(TimeOf(1), "网页", "https://site.test/1?uid=7&from=client");
    Store(TimeOf(2), "本地文件", "file:///etc/passwd?uid=7&from=client");
    manager_->Open();
    Window()->resize(640, 600);
    QApplication::processEvents();
    DoubleClick(TimeOf(1));
    EXPECT_EQ(opened_, std::vector<std::string>{"https://site.test/1?uid=7&from=client"});
    DoubleClick(TimeOf(2));
    EXPECT_EQ(opened_.size(), 1u);
    EXPECT_EQ(log_, std::vector<std::string>{"OnListBoxLButtonDBClick name3 is not a web "
                                             "page:file:///etc/passwd?uid=7&from=client"});
}

TEST_F(MessageManagerTest, OpeningAgainRestoresTheWindowAsItIs) {
    StoreMessages(40);
    manager_->Open();
    QWidget* first = Window();
    Click(Window(), 8);
    Store(TimeOf(99), "新消息", "http://site.test/new");
    Window()->showMinimized();
    manager_->Open();
    EXPECT_EQ(Window(), first);
    EXPECT_FALSE(Window()->isMinimized());
    EXPECT_EQ(manager_->page_index(), 0);
    EXPECT_EQ(Listed().size(), 10u);  // still page 1, not reloaded
}

TEST_F(MessageManagerTest, ItsCloseButtonDestroysItAndTheNextOpeningMakesItAgain) {
    StoreMessages(3);
    manager_->Open();
    QAbstractButton* close = nullptr;
    for (auto* button : Window()->findChildren<QAbstractButton*>())
        close = button->property("role").toString() == "close" ? button : close;
    ASSERT_NE(close, nullptr);
    close->click();
    Settle();
    EXPECT_EQ(Window(), nullptr);
    Store(TimeOf(9), "新消息", "http://site.test/new");
    manager_->Open();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(manager_->total_count(), 4);
    EXPECT_EQ(Listed().front(), TimeOf(9));
}

TEST_F(MessageManagerTest, AMissingLayoutWritesItsLogLineAndShowsNothing) {
    std::filesystem::remove(folder() / kMessageManagerLayout);
    manager_->Open();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(log_, std::vector<std::string>{"CreatehWINDOW_MessageManagerFail"});
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MessageManagerTest, ADatabaseThatWillNotOpenLeavesTheListEmptyAndTheButtonsIdle) {
    StoreMessages(40);
    store_ = std::make_unique<MessageStore>(folder() / "cache" / "missing" / "cache.dll");
    MakeManager();
    manager_->Open();
    ASSERT_NE(Window(), nullptr);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown.front().rfind("连接数据库异常!|Open cachedatabase fail:", 0), 0u)
        << boxes_.shown.front();
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ("连接数据库异常!|" + log_.front(), boxes_.shown.front());
    for (const int button : {1, 8, 7, 2})
        if (Shown(button))
            Click(Window(), button);
    EXPECT_EQ(Now().rows, 0u);
    EXPECT_EQ(manager_->page_index(), 0);
}

TEST_F(MessageManagerTest, AFailedQueryShowsTheDatabaseErrorAndLogsIt) {
    std::string error;
    ASSERT_TRUE(store_->Open(error)) << error;
    RunSql(Database(), "ALTER TABLE t_Message RENAME TO t_Gone");
    manager_->Open();
    ASSERT_NE(Window(), nullptr);
    ASSERT_FALSE(boxes_.shown.empty());
    EXPECT_EQ(boxes_.shown.front().rfind("数据库执行错误|", 0), 0u) << boxes_.shown.front();
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.front().rfind("sql:", 0), 0u) << log_.front();
    EXPECT_TRUE(Listed().empty());
}

TEST_F(MessageManagerTest, Screenshot) {
    const char* texts[] = {
        "新课上线：《Python 数据分析实战》第二期开放报名，前 100 名学员享受八折优惠，"
        "报名截止到本月底，名额有限，欲报从速。",
        "您关注的课程《会计基础入门》已更新第 5 章。",
        "<b>系统维护通知</b>：本周六 02:00 至 04:00 暂停服务。",
        "学习提醒：您已连续学习 7 天，继续保持！",
    };
    int n = 0;
    for (const char* text : texts) {
        Store(TimeOf(n), text,
              "http://www.tessal.test/news/" + std::to_string(n) + "?uid=10086&from=client");
        ++n;
    }
    manager_->Open();
    ASSERT_NE(Window(), nullptr);
    manager_->list()->Select(ItemAt(TimeOf(2)));
    manager_->list()->RefreshNow();
    QApplication::processEvents();
    SaveScreenshot(Window()->grab().toImage(), "message_manager");
    EXPECT_EQ(Listed().size(), 4u);
}

}  // namespace
}  // namespace tessal::client::test
