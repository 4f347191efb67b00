#pragma once
// The part of the fix-link dialogs where a new target is chosen: the target edit (a URL from
// the site's root), the site's files as a tree, the search for files of the link's name (F3
// forward, Shift+F3 back, wrapping round with a flash of the tree), the wildcard search
// dialog, a preview of the file chosen, and the places the link is written, filled one page
// at a time while the dialog waits for the user.

#include <QCheckBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "ui/components/FilePreview.h"

namespace tw {
class EAppSite;
}

namespace tw::dialogs {

class TargetChooser : public QWidget {
    Q_OBJECT
  public:
    TargetChooser(const QString& siteDirectory, QWidget* parent = nullptr);

    // A new link to find a target for: `link` as a URL from the site's root (or external),
    // `path` the file it names, selected in the tree when it exists.
    void SetLink(const QString& link, const QString& path);
    // Steps to the next (or previous) file named like the link's last part.
    void SearchSameName(bool next);
    // Asks for a wildcard pattern; the files found become the matches.
    void FindWithWildcards();
    // The places the link is written: `count` in all, `pages` to show them from.
    void ShowInstances(const EAppSite* site, int count, const QStringList& pages);

    QLineEdit* Target() const { return target_; }
    QTreeView* Files() const { return files_; }
    QLabel* Status() const { return status_; }
    QTextEdit* Instances() const { return instances_; }
    const QStringList& Matches() const { return matches_; }
    int MatchIndex() const { return matchIndex_; }
    // "/folder/file.html" for a path inside the site.
    QString SiteUrlOf(const QString& path) const;
    const QString& Link() const { return link_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowMatch();
    void Flash();
    void FillNextInstance();
    void ViewSelectedInstance();

    QString siteDirectory_;
    QString link_;
    QLineEdit* target_;
    QFileSystemModel model_;
    QTreeView* files_;
    QLabel* status_;
    QCheckBox* showPreview_;
    ui::FilePreview* preview_;
    QTextEdit* instances_;
    QStringList matches_;
    int matchIndex_ = -1;
    // Pages whose instances are still to be shown, one per turn of the event loop.
    const EAppSite* site_ = nullptr;
    QStringList pendingPages_;
    QTimer instanceTimer_;
};

}  // namespace tw::dialogs
