#pragma once
// "Replace Link": a new target for one link of one page, in that page or in every page of the
// site that has it. The change is made by a fix-links command through the window's command
// history, so it can be undone.

#include <QDialog>
#include <QRadioButton>

#include "dialogs/CommandRunner.h"
#include "dialogs/TargetChooser.h"
#include "engine/model/Url.h"

namespace tw {
class EHtmlNode;
}

namespace tw::dialogs {

class GDlgFixLink : public QDialog {
    Q_OBJECT
  public:
    // `url` is one URL of the page at `page`; `execute` runs a command through the history.
    GDlgFixLink(const QString& page, const EUrl& url, CommandRunner execute,
                QWidget* parent = nullptr);
    ~GDlgFixLink() override;

    TargetChooser* Chooser() const { return chooser_; }
    QRadioButton* AllInSite() const { return allInSite_; }
    // The link as the site sees it: a URL from the site's root (external links as written).
    const QString& OldLink() const { return oldLink_; }
    // OK: runs the fix when a new target was chosen, else says how to choose one.
    void accept() override;

  signals:
    // "Edit Full File...": the page is to be opened in the HTML editor.
    void EditRequested(const QString& page);

  private:
    QString page_;
    EUrl url_;
    CommandRunner execute_;
    std::unique_ptr<EHtmlNode> temporary_;  // the page read for the dialog outside the sites
    EHtmlNode* node_ = nullptr;
    QString oldLink_;
    TargetChooser* chooser_ = nullptr;
    QRadioButton* allInFile_ = nullptr;
    QRadioButton* allInSite_ = nullptr;
};

// Message 342, shown when no new target was chosen; true when the user asks to search on.
bool AskForNewTarget(QWidget* parent, const QString& link);

}  // namespace tw::dialogs
