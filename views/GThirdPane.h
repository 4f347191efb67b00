#pragma once
// The third pane's view chooser: nothing, a folder or several files, a file, or a page (its
// details or its links, as "0PreferLinkView" says). A view already showing is only
// refreshed; changing the view first stops the old one's background work. The pane also owns
// the link toolbar's filter switches, which act on the links view.

#include <QStackedWidget>

#include "views/GViewDetails.h"
#include "views/GViewMultiple.h"

namespace tw::views {

class GThirdPane : public QStackedWidget {
    Q_OBJECT
  public:
    enum Kind { kNone, kMultiple, kUnlinked, kHtml, kLink };

    GThirdPane(const PaneActions& actions, QWidget* parent = nullptr);
    ~GThirdPane() override;

    // Chooses the view for the selection and refreshes it: `current` is the current item (a
    // file, or the folder), `selection` every selected path.
    void Update(const QString& current, const QStringList& selection, bool isFolder);
    // Shows the last selection again (after a command changed files, or a switch changed).
    void RefreshView();
    void StopWork();
    Kind CurrentKind() const { return kind_; }
    bool ShowsPage() const { return kind_ == kHtml || kind_ == kLink; }

    GViewMultiple* Multiple() const { return multiple_; }
    GViewUnlinked* Unlinked() const { return unlinked_; }
    GViewHtml* Html() const { return html_; }
    GViewLink* Links() const { return link_; }
    GViewDetails* Current() const { return static_cast<GViewDetails*>(currentWidget()); }
    // Filter good, Filter broken, Filter external, (separator), Filter content links, Filter
    // embedded, (separator), Collapse list: the link toolbar's switches.
    QList<QAction*> FilterActions() const { return filterActions_; }

  signals:
    void KindChanged(tw::views::GThirdPane::Kind kind);
    void OpenRequested(const QString& path);
    void FileChosen(const QString& path);
    // A link of the page shown is to be repaired (the index into the links view's URLs).
    void RepairRequested(const QString& page, int urlIndex);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildFilters();
    void UpdateFilters();

    GViewNone* none_;
    GViewMultiple* multiple_;
    GViewUnlinked* unlinked_;
    GViewHtml* html_;
    GViewLink* link_;
    QList<QAction*> filterActions_;
    Kind kind_ = kNone;
    QString current_;
    QStringList selection_;
    bool isFolder_ = false;
    bool stale_ = false;  // a selection arrived while the pane was hidden
};

}  // namespace tw::views
