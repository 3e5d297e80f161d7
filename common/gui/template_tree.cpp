#include "common/gui/template_tree.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QPixmapCache>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVariantMap>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"

namespace tessal::gui {
namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kColumnsRole = Qt::UserRole + 2;
constexpr int kHeightRole = Qt::UserRole + 3;
constexpr const char* kColumnProperty = "column";
// Rows out of view kept per template: a page or two of rows is all a scroll needs.
constexpr int kMaxSpareRows = 64;

// Rows are widgets; the delegate only gives each row its height.
class RowHeights : public QStyledItemDelegate {
public:
    RowHeights(QTreeView* view, const int& normal, const int& selected)
        : QStyledItemDelegate(view), view_(view), normal_(normal), selected_(selected) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const QVariant own = index.data(kHeightRole);
        if (own.isValid())
            return {1, own.toInt()};
        const bool selected = view_->selectionModel() && view_->selectionModel()->isSelected(index);
        return {1, selected ? selected_ : normal_};
    }
    void paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const override {}

    void Changed(const QModelIndex& index) { emit sizeHintChanged(index); }

private:
    QTreeView* view_;
    const int& normal_;
    const int& selected_;
};

// Pictures are shown small: a larger one is decoded at this size at most, so that a
// huge file costs neither the memory of its full size nor a slow decode at every row.
constexpr int kLargestPicture = 512;

// One decoded pixmap per file, however many rows show it.
QPixmap PixmapOf(const QString& path) {
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.width() > kLargestPicture || size.height() > kLargestPicture)
        reader.setScaledSize(size.scaled(kLargestPicture, kLargestPicture, Qt::KeepAspectRatio));
    pixmap = QPixmap::fromImage(reader.read());
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

}  // namespace

TemplateTree::TemplateTree(QTreeView* view) : QObject(view), view_(view) {
    model_ = new QStandardItemModel(this);
    view_->setModel(model_);
    view_->setHeaderHidden(true);
    view_->setRootIsDecorated(false);
    view_->setIndentation(0);
    view_->setUniformRowHeights(false);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* heights = new RowHeights(view_, normal_height_, selected_height_);
    view_->setItemDelegate(heights);
    refresh_.setSingleShot(true);
    connect(&refresh_, &QTimer::timeout, this, [this] { RefreshNow(); });
    connect(&prepare_, &QTimer::timeout, this, [this] { PrepareSome(); });
    // A tree built while its window was hidden has the rows of a tiny viewport: showing
    // or resizing it builds the rows that now come into view.
    view_->viewport()->installEventFilter(this);
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { ScheduleRefresh(); });
    connect(view_, &QTreeView::expanded, this, [this] { ScheduleRefresh(); });
    connect(view_, &QTreeView::collapsed, this, [this] { ScheduleRefresh(); });
    connect(model_, &QStandardItemModel::rowsInserted, this, [this] { ScheduleRefresh(); });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, heights](const QItemSelection& now, const QItemSelection& before) {
                for (const auto& range : {now, before}) {
                    for (const QModelIndex& index : range.indexes())
                        heights->Changed(index);
                }
                ScheduleRefresh();
                if (!now.indexes().isEmpty()) {
                    EventArgs selected{kEventTreeSelect};
                    selected.key = IdOf(now.indexes().front());
                    SendEvent(view_, selected);
                }
            });
}

// Only the viewport is watched; it may still get events while the view is being
// destroyed, so the view is not asked for anything here.
bool TemplateTree::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
        ScheduleRefresh();
    return false;
}

void TemplateTree::AddColumn(const QString& name) {
    columns_ << name;
}

void TemplateTree::SetItemTemplate(const QString& path) {
    item_template_ = path;
}

void TemplateTree::SetSelectedItemTemplate(const QString& path) {
    selected_template_ = path;
}

void TemplateTree::SetItemHeights(int normal, int selected) {
    normal_height_ = normal;
    selected_height_ = selected;
    view_->doItemsLayout();
}

void TemplateTree::SetItemHeight(int item, int height) {
    if (QStandardItem* found = ItemOf(item))
        found->setData(height, kHeightRole);
}

int TemplateTree::InsertItem(int parent) {
    QStandardItem* under = parent == kRootItem ? model_->invisibleRootItem() : ItemOf(parent);
    if (under == nullptr)
        return kNoItem;
    auto* item = new QStandardItem;
    const int id = next_id_++;
    item->setData(id, kIdRole);
    item->setData(QVariantMap(), kColumnsRole);
    items_.insert(id, item);
    under->appendRow(item);
    return id;
}

void TemplateTree::RemoveItem(int item) {
    QStandardItem* found = ItemOf(item);
    if (found == nullptr)
        return;
    for (int child = FirstChild(item); child != kNoItem;) {
        const int next = NextSibling(child);
        RemoveItem(child);
        child = next;
    }
    if (built_.contains(item))
        ReleaseRow(item);
    items_.remove(item);
    QStandardItem* parent = found->parent() ? found->parent() : model_->invisibleRootItem();
    parent->removeRow(found->row());
    ScheduleRefresh();
}

void TemplateTree::SetText(int item, const QString& column, const QString& text) {
    SetCell(item, column, text);
}

void TemplateTree::SetImage(int item, const QString& column, const QPixmap& image) {
    SetCell(item, column, image);
}

void TemplateTree::SetImageFile(int item, const QString& column, const QString& path, bool reread) {
    if (reread)
        QPixmapCache::remove(path);
    SetCell(item, column, QVariant::fromValue(ImageFile{path}));
}

void TemplateTree::SetCells(int item, const QVariantMap& cells) {
    QStandardItem* found = ItemOf(item);
    if (found == nullptr)
        return;
    QVariantMap values = found->data(kColumnsRole).toMap();
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        if (columns_.contains(it.key()))
            values.insert(it.key(), it.value());
    }
    found->setData(values, kColumnsRole);
    if (QWidget* row = RowWidget(item))
        FillRow(item, row);
}

void TemplateTree::SetCell(int item, const QString& column, const QVariant& value) {
    QStandardItem* found = ItemOf(item);
    if (found == nullptr || !columns_.contains(column))
        return;
    QVariantMap values = found->data(kColumnsRole).toMap();
    values.insert(column, value);
    found->setData(values, kColumnsRole);
    if (QWidget* row = RowWidget(item))
        FillRow(item, row);
}

QString TemplateTree::Text(int item, const QString& column) const {
    const QStandardItem* found = ItemOf(item);
    if (found == nullptr)
        return {};
    const QVariant value = found->data(kColumnsRole).toMap().value(column);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

QString TemplateTree::ImagePath(int item, const QString& column) const {
    const QStandardItem* found = ItemOf(item);
    if (found == nullptr)
        return {};
    const QVariant value = found->data(kColumnsRole).toMap().value(column);
    return value.metaType() == QMetaType::fromType<ImageFile>() ? value.value<ImageFile>().path
                                                                : QString();
}

int TemplateTree::FirstChild(int item) const {
    const QStandardItem* parent = item == kRootItem ? model_->invisibleRootItem() : ItemOf(item);
    return parent && parent->rowCount() > 0 ? parent->child(0)->data(kIdRole).toInt() : kNoItem;
}

int TemplateTree::NextSibling(int item) const {
    const QStandardItem* found = ItemOf(item);
    if (found == nullptr)
        return kNoItem;
    const QStandardItem* parent = found->parent() ? found->parent() : model_->invisibleRootItem();
    const int next = found->row() + 1;
    return next < parent->rowCount() ? parent->child(next)->data(kIdRole).toInt() : kNoItem;
}

int TemplateTree::ItemCount() const {
    return static_cast<int>(items_.size());
}

void TemplateTree::Expand(int item, bool expanded) {
    if (QStandardItem* found = ItemOf(item))
        view_->setExpanded(found->index(), expanded);
}

bool TemplateTree::IsExpanded(int item) const {
    const QStandardItem* found = ItemOf(item);
    return found != nullptr && view_->isExpanded(found->index());
}

void TemplateTree::Select(int item) {
    if (QStandardItem* found = ItemOf(item))
        view_->setCurrentIndex(found->index());
    else
        view_->clearSelection();
}

int TemplateTree::Selected() const {
    const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? kNoItem : IdOf(selected.front());
}

int TemplateTree::HitTest(QPoint viewport_point) const {
    const QModelIndex index = view_->indexAt(viewport_point);
    return index.isValid() ? IdOf(index) : kNoItem;
}

QWidget* TemplateTree::RowWidget(int item) const {
    const auto found = built_.constFind(item);
    return found != built_.cend() ? found->widget : nullptr;
}

QStandardItem* TemplateTree::ItemOf(int item) const {
    return items_.value(item, nullptr);
}

int TemplateTree::IdOf(const QModelIndex& index) const {
    return index.data(kIdRole).toInt();
}

void TemplateTree::ScheduleRefresh() {
    if (!refresh_.isActive())
        refresh_.start(0);
}

QString TemplateTree::TemplateFor(int item) const {
    EventArgs choose{kEventTreeTemplateChoose};
    choose.key = item;
    SendEvent(view_, choose);
    if (!choose.text.isEmpty())
        return choose.text;
    return Selected() == item && !selected_template_.isEmpty() ? selected_template_
                                                               : item_template_;
}

std::vector<QModelIndex> TemplateTree::RowsInView() const {
    std::vector<QModelIndex> rows;
    const int bottom = view_->viewport()->height();
    for (QModelIndex index = view_->indexAt(QPoint(1, 1)); index.isValid();
         index = view_->indexBelow(index)) {
        if (view_->visualRect(index).top() >= bottom)
            break;
        rows.push_back(index);
    }
    return rows;
}

void TemplateTree::RefreshNow() {
    refresh_.stop();
    QHash<int, QString> wanted;
    for (const QModelIndex& index : RowsInView())
        wanted.insert(IdOf(index), TemplateFor(IdOf(index)));
    for (const int item : built_.keys()) {
        if (wanted.value(item) != built_.value(item).template_path)
            ReleaseRow(item);
    }
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (built_.contains(it.key()))
            continue;
        if (QWidget* row = RowFor(it.key(), it.value())) {
            built_.insert(it.key(), {it.value(), row});
            view_->setIndexWidget(ItemOf(it.key())->index(), row);
        }
    }
}

// The view deletes a row it lets go of; a row kept for reuse is taken back from that.
void TemplateTree::ReleaseRow(int item) {
    const BuiltRow row = built_.take(item);
    if (QStandardItem* found = ItemOf(item))
        view_->setIndexWidget(found->index(), nullptr);
    QList<QWidget*>& spare = spare_[row.template_path];
    if (spare.size() >= kMaxSpareRows)
        return;
    QCoreApplication::removePostedEvents(row.widget, QEvent::DeferredDelete);
    row.widget->hide();
    spare.append(row.widget);
}

void TemplateTree::PrepareRows(const QString& template_path, int count) {
    for (int i = 0; i < count; ++i)
        to_prepare_.append(template_path);
    prepare_.start(0);
}

// A few rows a turn: the member's clicks and the first paint never wait long for them.
void TemplateTree::PrepareSome() {
    for (int made = 0; made < 2 && !to_prepare_.isEmpty(); ++made) {
        const QString path = to_prepare_.takeFirst();
        QList<QWidget*>& spare = spare_[path];
        if (spare.size() >= kMaxSpareRows)
            continue;
        QWidget* row = LoadLayout(path);
        if (row == nullptr)
            continue;
        row->hide();
        row->setParent(view_->viewport());
        row->ensurePolished();
        for (QWidget* object : row->findChildren<QWidget*>())
            object->ensurePolished();
        spare.append(row);
    }
    if (to_prepare_.isEmpty())
        prepare_.stop();
}

// A spare row of the template, or a new one; filled for `item`.
QWidget* TemplateTree::RowFor(int item, const QString& template_path) {
    QList<QWidget*>& spare = spare_[template_path];
    QWidget* row = !spare.isEmpty() ? spare.takeLast() : LoadLayout(template_path);
    if (row == nullptr)
        return nullptr;
    // The tree's heights hold, whatever the template's own size would ask for.
    const QVariant own = ItemOf(item)->data(kHeightRole);
    row->setFixedHeight(own.isValid()        ? own.toInt()
                        : Selected() == item ? selected_height_
                                             : normal_height_);
    row->setProperty(kRowItemProperty, item);
    FillRow(item, row);
    EventArgs created{kEventTreeTemplateCreated};
    created.key = item;
    created.object = row;
    SendEvent(view_, created);
    return row;
}

void TemplateTree::FillRow(int item, QWidget* row) const {
    const QVariantMap values = ItemOf(item)->data(kColumnsRole).toMap();
    QList<QWidget*> objects = row->findChildren<QWidget*>();
    objects.prepend(row);
    for (QWidget* object : objects) {
        const QString column = object->property(kColumnProperty).toString();
        if (column.isEmpty())
            continue;
        // A reused row shows nothing of the item it showed before.
        if (!values.contains(column)) {
            if (auto* label = qobject_cast<QLabel*>(object))
                label->clear();
            else
                SetElementText(object, {});
            continue;
        }
        const QVariant value = values.value(column);
        auto* label = qobject_cast<QLabel*>(object);
        if (value.typeId() == QMetaType::QPixmap && label != nullptr)
            label->setPixmap(value.value<QPixmap>());
        else if (value.metaType() == QMetaType::fromType<ImageFile>() && label != nullptr)
            label->setPixmap(PixmapOf(value.value<ImageFile>().path));
        else if (value.metaType() == QMetaType::fromType<ImageFile>())
            continue;
        else
            SetElementText(object, value.toString());
    }
}

}  // namespace tessal::gui
