#pragma once

// Shared by the render tests: a window's elements given their images and texts as the
// programs give them, the window rendered for review into rendered/ in the build folder,
// and the check that no visible text is cut off.

#include <QImage>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <memory>

namespace tessal::test {

// "url(...)" of an installed file, for a style sheet.
QString ImageUrl(const QString& relative);

// State images through a style sheet, as the programs set them: normal, mouse over, pressed.
void SetButtonImages(QWidget* button, const QString& normal, const QString& hover,
                     const QString& pressed);
void SetPicture(QWidget* element, const QString& relative);
void SetText(QWidget* element, const QString& text);
void SetButtonText(QWidget* element, const QString& text);
void SetVisible(QWidget* root, std::initializer_list<int> ids, bool visible);

// Shows `root` and renders it over `background` (an installed image painted under the
// elements, as the programs paint a window's background; none when empty).
QImage Render(QWidget* root, const QString& background);
void SaveRender(const QImage& image, const QString& name);

// A visible text element narrower or lower than its text shows it cut off. Elements
// below `cut_off_allowed` (a list whose rows show the full text as a tooltip) are skipped.
void ExpectTextsFit(QWidget* root, const QString& view, const QWidget* cut_off_allowed = nullptr);

// The layout, loaded by the toolkit's loader; null (and a failure) when it does not load.
std::unique_ptr<QWidget> Load(const QString& layout);

// Layouts name their own images relative to the program folder, which is the programs'
// current folder: the installation folder while this lives.
class InInstallationFolder {
public:
    InInstallationFolder();
    ~InInstallationFolder();
    InInstallationFolder(const InInstallationFolder&) = delete;
    InInstallationFolder& operator=(const InInstallationFolder&) = delete;

private:
    QString previous_;
};

}  // namespace tessal::test
