#pragma once

// A tree whose rows are drawn from item templates (layout files whose objects name the
// column they show in their `column` property). Row widgets exist only for the rows in
// view: scrolling, expanding or selecting gives the rows that come into view a row
// widget, reusing those of rows that left it (a template is loaded only when no spare
// row of it is left), so that a long catalogue scrolls smoothly. The tree raises its
// events on the view element: kEventTreeTemplateChoose when a row comes into view (a
// handler may name another template in `text`), kEventTreeTemplateCreated each time a
// row's objects were given an item and filled (the row in `object`; the same objects may
// come again for another item, so handlers set what they set every time and bind
// handlers once), kEventTreeSelect when an item becomes selected; the item is in `key`.

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <vector>

class QStandardItem;
class QStandardItemModel;
class QTreeView;
class QModelIndex;

namespace tessal::gui {

// An image cell given by its file, stretched over the object that shows it. It is read
// when a row that shows it is built, once per file for all rows, so that a tree of
// thousands of items costs no decoding before it is shown.
struct ImageFile {
    QString path;
};

inline constexpr int kRootItem = 0;
// The property of a row widget that holds the item it shows now.
inline constexpr const char* kRowItemProperty = "treeItem";
inline constexpr int kNoItem = -1;

class TemplateTree : public QObject {
    Q_OBJECT
public:
    // Builds the tree in `view`, the tree element of a layout; the view owns it.
    explicit TemplateTree(QTreeView* view);

    void AddColumn(const QString& name);
    void SetItemTemplate(const QString& path);
    void SetSelectedItemTemplate(const QString& path);
    void SetItemHeights(int normal, int selected);
    void SetItemHeight(int item, int height);

    // A new item, last under `parent` (kRootItem for the top level); its id.
    int InsertItem(int parent = kRootItem);
    void SetText(int item, const QString& column, const QString& text);
    void SetImage(int item, const QString& column, const QPixmap& image);
    // With `reread`, the file is read again (it was replaced since).
    void SetImageFile(int item, const QString& column, const QString& path, bool reread = false);
    // Several cells at once (text, QPixmap or ImageFile values), for filling new items.
    void SetCells(int item, const QVariantMap& cells);
    // Removes `item` and the items under it; a row that showed one is let go of.
    void RemoveItem(int item);
    bool Exists(int item) const { return items_.contains(item); }
    QString Text(int item, const QString& column) const;
    // The file of an image cell set by SetImageFile; empty for other cells.
    QString ImagePath(int item, const QString& column) const;

    int FirstChild(int item) const;  // kNoItem when none
    int NextSibling(int item) const;
    int ItemCount() const;
    void Expand(int item, bool expanded);
    bool IsExpanded(int item) const;
    void Select(int item);
    int Selected() const;
    int HitTest(QPoint viewport_point) const;

    // The rows built now: at most those in view.
    int BuiltRows() const { return static_cast<int>(built_.size()); }
    QWidget* RowWidget(int item) const;
    // Builds the rows in view now instead of on the next turn of the event loop.
    void RefreshNow();
    // Makes `count` spare rows of the template ahead of need, a few at each turn of the
    // event loop, so that the member's first scroll finds them ready.
    void PrepareRows(const QString& template_path, int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetCell(int item, const QString& column, const QVariant& value);
    QStandardItem* ItemOf(int item) const;
    int IdOf(const QModelIndex& index) const;
    QString TemplateFor(int item) const;
    QWidget* RowFor(int item, const QString& template_path);
    void ReleaseRow(int item);
    void PrepareSome();
    void FillRow(int item, QWidget* row) const;
    std::vector<QModelIndex> RowsInView() const;
    void ScheduleRefresh();

    QTreeView* view_;
    QStandardItemModel* model_;
    QStringList columns_;
    QString item_template_;
    QString selected_template_;
    int normal_height_ = 30;
    int selected_height_ = 30;
    QHash<int, QStandardItem*> items_;
    struct BuiltRow {
        QString template_path;
        QWidget* widget;
    };
    QHash<int, BuiltRow> built_;
    QHash<QString, QList<QWidget*>> spare_;  // rows out of view, by template
    QStringList to_prepare_;                 // one entry per row still to make
    QTimer prepare_;
    int next_id_ = 1;
    QTimer refresh_;
};

}  // namespace tessal::gui

Q_DECLARE_METATYPE(tessal::gui::ImageFile)
