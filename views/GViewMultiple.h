#pragma once
// The third pane for a folder or several files: the files as thumbnails — pictures scaled in
// the background, an icon for everything else — under the common header. A click on one
// selects that file.

#include <QHash>
#include <QListWidget>

#include "views/GViewDetails.h"

namespace tw::views {

class GViewMultiple : public GViewDetails {
    Q_OBJECT
  public:
    explicit GViewMultiple(const PaneActions& actions, QWidget* parent = nullptr);
    // `selection`: the folder alone (its files are shown) or the selected paths.
    void ShowSelection(const QStringList& selection);
    void StopWork() override { loader_.Cancel(); }
    QListWidget* List() const { return list_; }

  signals:
    void FileChosen(const QString& path);

  private:
    void RequestThumbnails();

    QCheckBox* showPreviews_;
    QListWidget* list_;
    ui::ImageLoader loader_;
    QHash<QString, QListWidgetItem*> items_;
};

}  // namespace tw::views
