// The lesson window's panel toggle and its online play: the lesson list folds away and
// comes back at a quarter of the window's width, and a selected lesson loads once the app
// API host has told its time.

#include <QLabel>
#include <QLayout>
#include <algorithm>

#include "client/catalogue/lesson_window.h"
#include "client/catalogue/online_lesson_loader.h"
#include "client/catalogue/online_play.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/toolkit_setup.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

// The share of the lesson area a long lesson name may take before it is cut short.
constexpr double kLessonNameShare = 0.6;
constexpr int kLessonNameLeast = 120;

}  // namespace

void LessonWindow::BindWindowEvents() {
    RegisterWindowEvent(window_, kWindowSize, [this](EventArgs&) { OnSize(); });
    RegisterEvent(FindElement(window_, 13), kEventButtonClick, [this](EventArgs& args) {
        args.handled = true;
        TogglePanel();
    });
}

// A collapsed panel stays collapsed, whatever the size.
void LessonWindow::OnSize() {
    QWidget* panel = FindElement(window_, 9);
    if (panel == nullptr || IsChecked(FindElement(window_, 13)))
        return;
    panel->setFixedWidth(static_cast<int>(window_->width() * 0.25));
}

// The toggle's check state says the panel is collapsed. A checkable button has already
// changed its state when its click comes, so the state before the click decides.
void LessonWindow::TogglePanel() {
    QWidget* toggle = FindElement(window_, 13);
    QWidget* panel = FindElement(window_, 9);
    if (toggle == nullptr || panel == nullptr)
        return;
    const bool was_collapsed = !IsChecked(toggle);
    if (was_collapsed) {
        SetToggleImages("you");
        panel->setFixedWidth(static_cast<int>(window_->width() * 0.25));
        SetChecked(toggle, false);
    } else {
        SetToggleImages("zuo");
        panel->setFixedWidth(0);
        SetChecked(toggle, true);
    }
    SendWindowEvent(window_, kWindowSize);
}

void LessonWindow::SetToggleImages(const char* prefix) {
    QWidget* toggle = FindElement(window_, 13);
    if (toggle == nullptr)
        return;
    ClearStateImages(toggle);
    const std::pair<int, int> states[] = {
        {kStateNormal, 1}, {kStateMouseOver, 2}, {kStatePressed, 3}};
    for (const auto& [state, number] : states) {
        const std::string path =
            std::string("IMAGE/player/") + prefix + "_" + std::to_string(number) + ".png";
        AddStateImage(toggle, state, Image(path.c_str()));
    }
}

void LessonWindow::PlayOnline(const std::string& lesson_id) {
    if (!IsDecimalId(course_id_) || !IsDecimalId(lesson_id)) {
        context_.log("PlayLessonOnline id erro courseid:" + course_id_ + " lessonid:" + lesson_id);
        // The member chose another lesson: the one chosen before must not load late.
        context_.loader->Forget(ticket_);
        return;
    }
    const std::string name =
        context_.catalogue->Lookup(CatalogueLookup::kLessonIdtoName, {lesson_id});
    const std::string url = context_.site.HostUrl(SiteHost::kAppApi) + kTimestampPath;
    ticket_ = context_.loader->Fetch(url, [this, lesson_id, name, url](const std::string& reply) {
        ShowLesson(lesson_id, name, url, reply);
    });
}

void LessonWindow::ShowLesson(const std::string& lesson_id, const std::string& name,
                              const std::string& url, const std::string& reply) {
    if (reply.empty()) {
        context_.log(url + "  return is null");
        return;
    }
    const auto timestamp = TimestampOf(reply);
    if (!timestamp)
        return;
    const std::string page =
        MiniplayerUrl(context_.site, {context_.uid, course_id_, lesson_id, *timestamp});
    if (web_view_ != nullptr)
        web_view_->LoadURL(QString::fromStdString(page));
    ShowLessonName(name);
}

// The name's box is as wide as the name, up to a share of the lesson area; a longer
// name is cut short and shown whole in its tooltip.
void LessonWindow::ShowLessonName(const std::string& name) {
    auto* text = qobject_cast<QLabel*>(FindElement(window_, 8));
    QWidget* box = FindElement(window_, 2);
    if (text == nullptr || box == nullptr)
        return;
    text->setFont(SystemFont(12));
    const QString full = QString::fromStdString(name);
    const QWidget* area = FindElement(window_, 6);
    const int room =
        std::max(kLessonNameLeast,
                 static_cast<int>((area ? area->width() : window_->width()) * kLessonNameShare));
    const QFontMetrics metrics(text->font());
    text->setText(metrics.elidedText(full, Qt::ElideRight, room));
    text->setToolTip(full);
    box->setFixedWidth(text->sizeHint().width());
    text->update();
    box->update();
    window_->layout()->activate();
}

}  // namespace tessal::client
