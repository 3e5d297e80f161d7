// Windows from layout files: elements by ID, what a missing or broken file gives, and
// the element helpers every window uses.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "tests/support/temp_folder.h"

namespace tessal::gui {
namespace {

constexpr const char* kLayout = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Login</class>
 <widget class="QWidget" name="Login">
  <property name="geometry"><rect><x>0</x><y>0</y><width>300</width><height>200</height></rect></property>
  <layout class="QVBoxLayout" name="column">
   <item><widget class="QLineEdit" name="account"><property name="id" stdset="0"><number>3</number></property></widget></item>
   <item><widget class="QCheckBox" name="remember"><property name="id" stdset="0"><number>5</number></property><property name="text"><string>记住密码</string></property></widget></item>
   <item><widget class="QWidget" name="panel"><property name="id" stdset="0"><number>18</number></property>
     <layout class="QHBoxLayout" name="row">
      <item><widget class="QPushButton" name="login"><property name="id" stdset="0"><number>9</number></property></widget></item>
      <item><widget class="QLabel" name="message"><property name="id" stdset="0"><number>14</number></property></widget></item>
     </layout></widget></item>
  </layout>
 </widget>
</ui>
)";

class LayoutTest : public ::testing::Test {
protected:
    std::unique_ptr<QWidget> Load(const std::string& text) {
        const auto file = folder_.Write("Layout/layout.xml", text);
        return std::unique_ptr<QWidget>(LoadLayout(QString::fromStdString(file.string())));
    }
    TempFolder folder_;
};

TEST_F(LayoutTest, ElementsAreFoundByIdAtAnyDepthWithTheirKinds) {
    const auto window = Load(kLayout);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(FindElementAs<QLineEdit>(window.get(), 3), nullptr);
    EXPECT_NE(FindElementAs<QCheckBox>(window.get(), 5), nullptr);
    EXPECT_NE(FindElementAs<QPushButton>(window.get(), 9), nullptr);  // inside panel 18
    EXPECT_EQ(FindElementAs<QLabel>(window.get(), 9), nullptr);       // wrong kind
    EXPECT_EQ(FindElement(window.get(), 4), nullptr);
    EXPECT_EQ(FindElement(nullptr, 3), nullptr);
    EXPECT_EQ(ElementId(FindElement(window.get(), 18)), 18);
    EXPECT_EQ(ElementId(window.get()), 0);
}

TEST_F(LayoutTest, AMissingOrBrokenFileGivesNoWindowAndSaysWhy) {
    QString error;
    EXPECT_EQ(
        LoadLayout(QString::fromStdString((folder_.path() / "none.xml").string()), nullptr, &error),
        nullptr);
    EXPECT_TRUE(error.contains("none.xml")) << error.toStdString();

    for (const std::string broken : {"", "<ui version=\"4.0\"><widget class=", "not xml at all"}) {
        EXPECT_EQ(Load(broken), nullptr) << broken;
    }
}

TEST_F(LayoutTest, TextsChecksAndVisibilityThroughTheCommonHelpers) {
    const auto window = Load(kLayout);
    ASSERT_NE(window, nullptr);
    QWidget* account = FindElement(window.get(), 3);
    QWidget* remember = FindElement(window.get(), 5);
    QWidget* message = FindElement(window.get(), 14);
    SetElementText(account, "学员01");
    SetElementText(message, "账号或者密码不能为空");
    EXPECT_EQ(ElementText(account), "学员01");
    EXPECT_EQ(ElementText(message), "账号或者密码不能为空");
    EXPECT_EQ(ElementText(remember), "记住密码");
    EXPECT_EQ(ElementText(nullptr), "");

    EXPECT_FALSE(IsChecked(remember));
    SetChecked(remember, true);
    EXPECT_TRUE(IsChecked(remember));
    SetChecked(message, true);  // not checkable: nothing happens
    EXPECT_FALSE(IsChecked(message));
    EXPECT_FALSE(IsChecked(FindElement(window.get(), 9)));

    window->show();
    ShowElements(window.get(), {3, 5, 404}, false);
    EXPECT_FALSE(account->isVisible());
    EXPECT_FALSE(remember->isVisible());
    EXPECT_TRUE(message->isVisible());
    ShowElements(window.get(), {3}, true);
    EXPECT_TRUE(account->isVisible());
}

// Caption buttons act by the role their layout gives them; a window held by another
// (a template row) keeps its buttons inert.
TEST_F(LayoutTest, CaptionButtonsDoWhatTheirRoleSays) {
    const auto button = [](int id, const char* role) {
        return std::string("<item><widget class=\"QPushButton\" name=\"b") + std::to_string(id) +
               "\"><property name=\"id\" stdset=\"0\"><number>" + std::to_string(id) +
               "</number></property><property name=\"role\" stdset=\"0\"><string>" + role +
               "</string></property></widget></item>";
    };
    const std::string text =
        "<ui version=\"4.0\"><widget class=\"QWidget\" name=\"W\"><layout class=\"QHBoxLayout\" "
        "name=\"row\">" +
        button(3, "minimize") + button(4, "maximize") + button(5, "close") + button(6, "unknown") +
        "</layout></widget></ui>";
    const auto window = Load(text);
    ASSERT_NE(window, nullptr);
    window->show();
    const auto click = [&](int id) {
        qobject_cast<QPushButton*>(FindElement(window.get(), id))->click();
    };
    click(6);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMaximized() || window->isMinimized());
    click(4);
    EXPECT_TRUE(window->isMaximized());
    click(4);
    EXPECT_FALSE(window->isMaximized());
    click(3);
    EXPECT_TRUE(window->isMinimized());
    window->showNormal();
    click(5);
    EXPECT_FALSE(window->isVisible());

    QWidget holder;
    const auto file = folder_.Write("Layout/row.xml", text);
    QWidget* row = LoadLayout(QString::fromStdString(file.string()), &holder);
    ASSERT_NE(row, nullptr);
    holder.show();
    qobject_cast<QPushButton*>(FindElement(row, 5))->click();
    EXPECT_TRUE(holder.isVisible());
}

TEST(ColourTest, WindowsColoursKeepRedInTheLowByte) {
    EXPECT_EQ(ColourFromBgr(0xFDAC5E), QColor(0x5E, 0xAC, 0xFD));
    EXPECT_EQ(ColourFromBgr(0xBD750B), QColor(0x0B, 0x75, 0xBD));
    EXPECT_EQ(ColourFromBgr(0x1E1E1E), QColor(0x1E, 0x1E, 0x1E));
}

}  // namespace
}  // namespace tessal::gui
