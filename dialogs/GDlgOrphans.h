#pragma once
// "Remove Orphans": the files of a site that no page leads to, each with a box — ticked ones go
// to the trash or to a folder (keeping their places below the site's folder), unticked ones are
// remembered and left alone next time. Orphans a staying page still names (a script may build
// their URLs) start unticked. A move to a folder can be undone from the Edit menu.

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "dialogs/CommandRunner.h"
#include "ui/components/FilePreview.h"

namespace tw {
class EAppSite;
}

namespace tw::dialogs {

class GDlgOrphans : public QDialog {
    Q_OBJECT
  public:
    GDlgOrphans(EAppSite& site, CommandRunner execute, QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }
    QRadioButton* ToFolder() const { return toFolder_; }
    QRadioButton* ToTrash() const { return toTrash_; }
    QLineEdit* Folder() const { return folder_; }
    // OK: the ticked files removed, the unticked ones remembered.
    void accept() override;

  private:
    void Fill();

    EAppSite& site_;
    CommandRunner execute_;
    QListWidget* list_;
    QRadioButton* toFolder_;
    QRadioButton* toTrash_;
    QLineEdit* folder_;
    QCheckBox* showPreview_;
    ui::FilePreview* preview_;
};

}  // namespace tw::dialogs
