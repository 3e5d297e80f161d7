#include "client/messages/push_wnd.h"

#include <QEvent>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QPixmap>

#include "client/messages/web_link.h"
#include "common/gui/elements.h"
#include "common/gui/web/xweb.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

// A one-line label's text, ending in an ellipsis whenever the label is too narrow for it.
class ElidedText final : public QObject {
public:
    ElidedText(QLabel* label, QString text)
        : QObject(label), label_(label), text_(std::move(text)) {
        label->installEventFilter(this);
        Elide();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            Elide();
        return false;
    }

private:
    void Elide() {
        const int width = label_->contentsRect().width();
        SetElementText(label_, width > 0
                                   ? label_->fontMetrics().elidedText(text_, Qt::ElideRight, width)
                                   : text_);
    }

    QLabel* label_;
    QString text_;
};

// Texts come from the server: shown as they are, never as markup.
void ShowTexts(QWidget* window, const PopupData& data) {
    if (auto* title = FindElementAs<QLabel>(window, 1))
        new ElidedText(title, QString::fromStdString(data.title));
    SetElementText(FindElement(window, 2), QString::fromStdString(data.content));
}

// The picture scaled to the element as it is read, so that a large download costs no
// more than what is shown; null when the file is missing or not an image.
// A picture from the server is decoded on the GUI thread: one whose header promises more
// pixels than this is not decoded at all (the default picture shows), so a small file
// of huge dimensions cannot freeze the window for seconds.
constexpr qint64 kMaxPicturePixels = 4096LL * 4096;

QPixmap ReadPicture(const QString& path, const QSize& size) {
    QImageReader reader(path);
    const QSize stored = reader.size();
    if (!stored.isValid() || qint64{stored.width()} * stored.height() > kMaxPicturePixels)
        return {};
    reader.setAutoTransform(true);
    if (!size.isEmpty())
        reader.setScaledSize(size);
    return QPixmap::fromImage(reader.read());
}

}  // namespace

PushWnd1::PushWnd1(const PushWindowsContext& context)
    : PushPopup(context, kTextPopupLayout, "CreatePushWndFail1") {}

void PushWnd1::Fill(QWidget* window, const PopupData& data) {
    ShowTexts(window, data);
    BindOpenButton(window, data.link, "PushWndBtnClick");
}

PushWnd2::PushWnd2(const PushWindowsContext& context)
    : PushPopup(context, kPicturePopupLayout, "CreatePushWndFail2") {}

void PushWnd2::Fill(QWidget* window, const PopupData& data) {
    ShowTexts(window, data);
    ShowPicture(window, data.picture_downloaded);
    BindOpenButton(window, data.link, "PushWndBtnClick2");
}

// The poller refreshed the cached picture for this message, or the download failed; a
// file that is not an image counts as a failed download.
void PushWnd2::ShowPicture(QWidget* window, bool downloaded) const {
    auto* picture = FindElementAs<QLabel>(window, 4);
    if (picture == nullptr)
        return;
    QPixmap pixmap;
    if (downloaded)
        pixmap = ReadPicture(Path(kPushPicture), picture->size());
    if (pixmap.isNull())
        pixmap = ReadPicture(Path(kDefaultPushPicture), picture->size());
    picture->setScaledContents(true);
    picture->setPixmap(pixmap);
}

PushWnd3::PushWnd3(const PushWindowsContext& context)
    : PushPopup(context, kCustomPopupLayout, "CreatePushWndFail3") {}

// The page comes from the server: only a web page is loaded, never a local file or
// another scheme.
void PushWnd3::Fill(QWidget* window, const PopupData& data) {
    QWidget* holder = FindElement(window, 4);
    QWidget* web = nullptr;
    if (holder != nullptr && holder->layout() != nullptr) {
        web = XWeb_Create(holder->width(), holder, context_.web_engine);
        if (web != nullptr)
            holder->layout()->addWidget(web);
    }
    if (!IsWebLink(data.custom_url))
        context_.log("PushWnd3 FDiyUrl is not a web page:" + data.custom_url);
    else if (WebView* view = web ? XWeb_GetWebView(web) : nullptr)
        view->LoadURL(QString::fromStdString(data.custom_url));
    BindOpenButton(window, data.link, "PushWndBtnClick3");
}

}  // namespace tessal::client
