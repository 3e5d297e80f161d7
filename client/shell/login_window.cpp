#include "client/shell/login_window.h"

#include <QLayout>

#include "client/shell/user_info.h"
#include "client/shell/user_profile.h"
#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/toolkit_setup.h"
#include "common/gui/virtual_keys.h"
#include "common/gui/window_frame.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

// The head picture slides 130 pixels, one every 10 ms, while a login runs.
constexpr int kSlideSteps = 130;
constexpr int kSlideIntervalMs = 10;
constexpr int kSlideWidth = 500;
constexpr int kHeadSize = 80;
constexpr QPoint kHeadPlace{22, 185};

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

LoginWindow::LoginWindow(QWidget* window, SettingsStore& settings, const SiteSettings& site,
                         LoginService& service, LoginWindowHooks hooks)
    : window_(window),
      settings_(settings),
      site_(site),
      service_(service),
      hooks_(std::move(hooks)) {
    slide_.setInterval(kSlideIntervalMs);
    connect(&slide_, &QTimer::timeout, this, [this] { SlideStep(); });
}

LoginWindow::~LoginWindow() {
    if (login_thread_.joinable())
        login_thread_.join();
}

QWidget* LoginWindow::Element(int id) const {
    return FindElement(window_.get(), id);
}

QString LoginWindow::Image(const char* relative) const {
    return QString::fromStdString((settings_.Snapshot().program_folder / relative).string());
}

void LoginWindow::SetUp() {
    SetFramedWindow(window_.get(), Shadow{3, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    SetWindowBackground(window_.get(), Image("IMAGE/LOGIN/1.png"));
    if (QWidget* account = Element(3))
        account->setFont(SystemFont(9));
    SetButtonImages(Element(9), Image("IMAGE/LOGIN/login_1.PNG"), Image("IMAGE/LOGIN/login_2.PNG"),
                    Image("IMAGE/LOGIN/login_3.PNG"));
    SetButtonImages(Element(10), Image("IMAGE/LOGIN/min1.jpg"), Image("IMAGE/LOGIN/min2.png"),
                    Image("IMAGE/LOGIN/min3.png"));
    SetButtonImages(Element(11), Image("IMAGE/LOGIN/close1.png"), Image("IMAGE/LOGIN/close2.png"),
                    Image("IMAGE/LOGIN/close3.png"));
    for (const int id : {12, 13}) {
        SetButtonImages(Element(id), Image("IMAGE/LOGIN/confirm_1.png"),
                        Image("IMAGE/LOGIN/confirm_2.png"), Image("IMAGE/LOGIN/confirm_1.png"));
    }
    // The failure texts lie over the form's fields; they must not take the fields' clicks.
    for (const int id : {14, 15}) {
        if (QWidget* text = Element(id))
            text->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const int radio = 19 + settings_.Snapshot().login_channel;  // 20, 21, 22
    SetChecked(Element(radio), true);
    ShowElements(window_.get(), {12, 13, 19}, false);
    BindEvents();
}

void LoginWindow::BindEvents() {
    const auto on_click = [this](int id, std::function<void()> action) {
        RegisterEvent(Element(id), kEventButtonClick, [action](EventArgs&) { action(); });
    };
    RegisterEvent(Element(3), kEventEditChange, [this](EventArgs&) { UpdateHeadPicture(); });
    on_click(6, [this] { OnAutoLoginClicked(); });
    on_click(9, [this] { StartLoginAttempt(); });
    on_click(10, [this] { hooks_.hide(); });
    on_click(25, [this] { hooks_.hide(); });
    on_click(11, [this] { hooks_.shut_down(); });
    on_click(26, [this] { hooks_.shut_down(); });
    on_click(13, [this] { ShowFormView(); });
    on_click(17, [this] { ShowChannelPanel(); });
    on_click(23, [this] { CloseChannelPanel(true); });
    on_click(24, [this] { CloseChannelPanel(false); });
    BindLinks();
    RegisterWindowKeyDown(window_.get(), [this](int key) {
        if (key == kKeyEnter)
            StartLoginAttempt();
    });
}

void LoginWindow::BindLinks() {
    const QString register_page = Text(site_.HostUrl(SiteHost::kPassport) + "/join?ref=bofangqi");
    const QString password_page =
        Text(site_.HostUrl(SiteHost::kMainSite) + "/forgotpw/find_pwd1.aspx#userconsent#");
    const auto open = [this](const QString& url) {
        return [this, url](EventArgs&) { hooks_.open_page(url); };
    };
    RegisterEvent(Element(7), kEventButtonClick, open(register_page));
    RegisterEvent(Element(8), kEventButtonClick, open(password_page));
    RegisterEvent(Element(12), kEventButtonClick, open(password_page));
    for (const int id : {7, 8}) {
        QWidget* link = Element(id);
        RegisterEvent(link, kEventMouseStay,
                      [link](EventArgs&) { SetTextColour(link, ColourFromBgr(0xFDAC5E)); });
        RegisterEvent(link, kEventMouseLeave,
                      [link](EventArgs&) { SetTextColour(link, ColourFromBgr(0xBD750B)); });
    }
}

void LoginWindow::UpdateHeadPicture() {
    const std::string account = ElementText(Element(3)).toStdString();
    const auto own = MemberFolder(settings_.Snapshot().program_folder, account) / "headpic.png";
    std::error_code error;
    const QString picture = !account.empty() && std::filesystem::exists(own, error)
                                ? QString::fromStdString(own.string())
                                : Image("IMAGE/MainW/headpic_default.png");
    QWidget* head = Element(2);
    ClearStateImages(head);
    for (const int state : {kStateNormal, kStateMouseOver, kStatePressed})
        AddStateImage(head, state, picture);
}

void LoginWindow::OnAutoLoginClicked() {
    // The box has changed already: it was ticked when it is not now.
    if (!IsChecked(Element(6))) {
        WriteAutoLoginOff(settings_.Snapshot().program_folder / kUserInfoFileName);
        return;
    }
    SetChecked(Element(5), true);
}

void LoginWindow::ShowChannelPanel() {
    SetWindowBackground(window_.get(), Image("IMAGE/LOGIN/3.png"));
    ShowElements(window_.get(), {18}, false);
    ShowElements(window_.get(), {19}, true);
}

void LoginWindow::CloseChannelPanel(bool store) {
    if (store) {
        const int channel = IsChecked(Element(20)) ? 1 : IsChecked(Element(21)) ? 2 : 3;
        settings_.Change([channel](ClientSettings& settings) { settings.login_channel = channel; });
        WriteLoginChannel(settings_.Snapshot(), channel);
    }
    SetWindowBackground(window_.get(), Image("IMAGE/LOGIN/1.png"));
    ShowElements(window_.get(), {18}, true);
    ShowElements(window_.get(), {19}, false);
}

bool LoginWindow::LayoutIsUsable(const QWidget* window) {
    const QWidget* slider = FindElement(window, 16);
    return slider == nullptr || slider->layout() != nullptr;
}

void LoginWindow::ShowFormView() {
    SetWindowBackground(window_.get(), Image("IMAGE/LOGIN/1.png"));
    ShowElements(window_.get(), {3, 4, 7, 8, 6, 5, 9, 2}, true);
    ShowElements(window_.get(), {12, 13}, false);
    SetElementText(Element(14), {});
    SetElementText(Element(15), {});
    SetButtonImages(Element(9), Image("IMAGE/LOGIN/login_1.png"), Image("IMAGE/LOGIN/login_2.png"),
                    Image("IMAGE/LOGIN/login_3.png"));
    if (QWidget* slider = Element(16)) {
        const int margin = ShadowMargin(window_.get());
        slider->setGeometry(
            QRect(kHeadPlace + QPoint(margin, margin), QSize(kHeadSize, kHeadSize)));
        slider->layout()->setContentsMargins(0, 0, 0, 0);
    }
}

void LoginWindow::ShowLoggingInView() {
    SetWindowBackground(window_.get(), Image("IMAGE/LOGIN/1.png"));
    ShowElements(window_.get(), {3, 4, 7, 8, 6, 5, 12, 13}, false);
    SetElementText(Element(14), {});
    SetElementText(Element(15), {});
    ShowElements(window_.get(), {9, 2}, true);
    SetButtonImages(Element(9), Image("IMAGE/LOGIN/cancel_1.png"),
                    Image("IMAGE/LOGIN/cancel_2.png"), Image("IMAGE/LOGIN/cancel_1.png"));
    if (QWidget* slider = Element(16))
        slider->resize(kSlideWidth, slider->height());
    slide_step_ = 0;
    slide_.start();
}

void LoginWindow::SlideStep() {
    QWidget* slider = Element(16);
    if (slider != nullptr) {
        slider->layout()->setContentsMargins(slide_step_, 0, 0, 0);
        slider->layout()->activate();
    }
    if (++slide_step_ < kSlideSteps)
        return;
    slide_.stop();
    if (result_ready_)
        FinishAttempt();
}

void LoginWindow::ShowFailureView(const QString& message) {
    SetWindowBackground(window_.get(), Image("IMAGE/LOGIN/2.png"));
    ShowElements(window_.get(), {3, 4, 7, 8, 6, 5, 9, 2}, false);
    ShowElements(window_.get(), {12, 13}, true);
    SetElementText(Element(14), message);
    SetElementText(Element(15), kHotlineText + Text(site_.hotline()));
}

void LoginWindow::StartLoginAttempt() {
    // A second click or Enter while a login runs would start a second login thread.
    if (attempt_running_)
        return;
    attempt_running_ = true;
    result_ready_ = false;
    account_ = ElementText(Element(3)).toStdString();
    password_ = ElementText(Element(4)).toStdString();
    ShowLoggingInView();
    if (login_thread_.joinable())
        login_thread_.join();
    if (account_.empty() || password_.empty()) {
        OnLoginResult(kFieldsEmpty);
        return;
    }
    const int channel = settings_.Snapshot().login_channel;
    login_thread_ = std::thread([this, account = account_, password = password_, channel] {
        const std::string message = service_.Login(account, password, channel);
        QMetaObject::invokeMethod(
            this, [this, message] { OnLoginResult(message); }, Qt::QueuedConnection);
    });
}

void LoginWindow::OnLoginResult(const std::string& message) {
    result_ = message;
    result_ready_ = true;
    if (!slide_.isActive())
        FinishAttempt();
}

void LoginWindow::FinishAttempt() {
    if (result_ == kLoginSuccess)
        AcceptLogin();
    else
        ShowFailureView(result_.empty() ? QString(kServerUnreachable) : Text(result_));
    attempt_running_ = false;
    auto waiting = std::move(when_attempt_ends_);
    when_attempt_ends_.clear();
    for (auto& done : waiting)
        done();
}

void LoginWindow::AcceptLogin() {
    WriteLoginChoices(settings_.Snapshot().program_folder / kUserInfoFileName,
                      IsChecked(Element(5)), IsChecked(Element(6)), account_, password_);
    if (hooks_.remove_tray_icon)
        hooks_.remove_tray_icon();
    window_->hide();
    window_->close();
    ClearStateImages(Element(2));
    if (hooks_.logged_in)
        hooks_.logged_in();
}

void LoginWindow::WhenAttemptEnds(std::function<void()> done) {
    if (!attempt_running_) {
        done();
        return;
    }
    when_attempt_ends_.push_back(std::move(done));
}

void LoginWindow::LoadRememberedLogin() {
    const RememberedLogin remembered =
        ReadRememberedLogin(settings_.Snapshot().program_folder / kUserInfoFileName);
    if (!remembered.remember_password)
        return;
    SetChecked(Element(5), true);
    if (!remembered.account.empty() && !remembered.password.empty()) {
        SetElementText(Element(3), Text(remembered.account));
        SetElementText(Element(4), Text(remembered.password));
        PostEvent(Element(3), kEventEditChange);
    }
    if (!remembered.auto_login)
        return;
    SetChecked(Element(6), true);
    StartLoginAttempt();
}

}  // namespace tessal::client
