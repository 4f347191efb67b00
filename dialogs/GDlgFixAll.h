#pragma once
// "Fix All Broken Links": every broken link of a site, in groups ("_Broken", "_Fixed",
// "_Ignore", "_Filtered out" and the user's own), one row per link with its instances. Choose
// a link, choose its new target, "Fix it": the pages are rewritten through the command
// history and the link moves to "_Fixed". Links are moved between groups by dragging them or
// with Cut and Paste; a link put in "_Ignore" is no longer counted as broken. The groups are
// kept in the site's links file when the dialog closes.

#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>

#include "dialogs/CommandRunner.h"
#include "dialogs/TargetChooser.h"
#include "engine/maintenance/LinksTree.h"

namespace tw {
class EAppSite;
}

namespace tw::dialogs {

class GDlgFixAll : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kGroupRole = Qt::UserRole + 1;  // the group's index in the model
    static constexpr int kLinkRole = Qt::UserRole + 2;   // a link's site-relative path

    GDlgFixAll(EAppSite& site, CommandRunner execute, QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return tree_; }
    TargetChooser* Chooser() const { return chooser_; }
    const GLinksTree& Groups() const { return groups_; }
    // The link chosen in the tree (empty when a group is).
    const QString& CurrentLink() const { return link_; }
    void SelectLink(const QString& link);
    // "Fix it": the chosen link gets the target in the edit, in every page of the site.
    void FixIt();
    // Moves the selected links to the group (as a drag would); false when not allowed.
    bool MoveSelectedTo(std::size_t group);
    void NewGroup();
    void RenameGroup();
    void RemoveGroup();
    void SaveList();
    // "Done" (and Escape): the groups go to the site's links file.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Rebuild(const QString& select = {});
    void OnCurrentChanged();
    void ShowTreeMenu(const QPoint& at);
    std::size_t GroupOf(const QTreeWidgetItem* item) const;
    std::vector<std::string> SelectedLinks(std::size_t* group) const;

    EAppSite& site_;
    CommandRunner execute_;
    GLinksTree groups_;
    QTreeWidget* tree_;
    TargetChooser* chooser_;
    QPushButton* renameGroup_;
    QPushButton* removeGroup_;
    QString link_;
    std::vector<std::string> cut_;  // links cut with the tree's menu
    std::size_t cutFrom_ = 0;
};

}  // namespace tw::dialogs
