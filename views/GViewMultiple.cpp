#include "views/GViewMultiple.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>

#include "core/settings/SettingsStore.h"
#include "ui/components/EmptyText.h"

namespace tw::views {
namespace {

constexpr QSize kThumbnail(100, 100);
// A folder of many thousands of files shows its first ones: thumbnails are for looking at.
constexpr int kMostShown = 1000;

}  // namespace

GViewMultiple::GViewMultiple(const PaneActions& actions, QWidget* parent)
    : GViewDetails(actions, nullptr, parent),
      showPreviews_(new QCheckBox("Show file previews", this)),
      list_(new ui::TEmptyText<QListWidget>("The current selection contains no files", this)) {
    list_->setViewMode(QListView::IconMode);
    list_->setIconSize(kThumbnail);
    list_->setGridSize(kThumbnail + QSize(25, 35));
    list_->setSpacing(15);
    list_->setResizeMode(QListView::Adjust);
    list_->setMovement(QListView::Static);
    list_->setUniformItemSizes(true);
    list_->setWordWrap(true);
    Body()->addWidget(showPreviews_);
    Body()->addWidget(list_, 1);
    connect(showPreviews_, &QCheckBox::toggled, this, [this](bool on) {
        loader_.Cancel();
        SettingsStore::Instance().WriteBool("1ShowPreview", on);
        if (on) RequestThumbnails();
    });
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        emit FileChosen(item->data(Qt::UserRole).toString());
    });
    connect(&loader_, &ui::ImageLoader::Loaded, this,
            [this](const QString& path, const QImage& image, const ui::ImageFacts&, int) {
                if (QListWidgetItem* item = items_.value(path))
                    item->setIcon(QPixmap::fromImage(image));
            });
}

void GViewMultiple::ShowSelection(const QStringList& selection) {
    loader_.Cancel();
    const QString current =
        selection.size() == 1 ? selection.front() : QFileInfo(selection.value(0)).absolutePath();
    GViewDetails::Refresh(current, static_cast<int>(selection.size()));
    list_->clear();
    items_.clear();
    QStringList files;
    if (selection.size() == 1 && QFileInfo(selection.front()).isDir()) {
        QDir folder(selection.front());
        for (const QFileInfo& entry :
             folder.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
            if (files.size() >= kMostShown) break;
            files << entry.absoluteFilePath();
        }
    } else {
        for (const QString& path : selection)
            if (!QFileInfo(path).isDir()) files << path;
    }
    static const QFileIconProvider icons;
    for (const QString& path : files) {
        const QFileInfo info(path);
        auto* item = new QListWidgetItem(icons.icon(info), info.fileName(), list_);
        item->setData(Qt::UserRole, path);
        item->setToolTip(path);
        // The file's icon stands in until its thumbnail is made.
        if (ui::ImageLoader::CanDecode(path)) items_.insert(path, item);
    }
    const bool on = SettingsStore::Instance().ReadBool("1ShowPreview");
    {
        const QSignalBlocker quiet(showPreviews_);
        showPreviews_->setChecked(on);
    }
    if (on) RequestThumbnails();
}

void GViewMultiple::RequestThumbnails() {
    // In the list's order, so that the first rows fill first.
    for (int row = 0; row < list_->count(); ++row) {
        const QString path = list_->item(row)->data(Qt::UserRole).toString();
        if (items_.contains(path)) loader_.Request(path, kThumbnail, 0);
    }
}

}  // namespace tw::views
