#pragma once
// The views of the third pane. Each has the same header: a small button that shows or hides
// the tracking strip (a reminder that moves keep links only in tracked sites, the "Track site"
// button and, for pages, the switch between details and links), then the item's icon and
// name. Below it:
//   GViewNone      nothing is selected: blank;
//   GViewMultiple  a folder, or several files: their thumbnails (GViewMultiple.h);
//   GViewUnlinked  a file that is no page: size, type, dates, and a preview of a picture;
//   GViewHtml      a page, details preferred: size, title, dates, and the page rendered;
//   GViewLink      a page, links preferred: the list of its links.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/components/ImageLoader.h"
#include "views/GCtrlLink.h"

namespace tw::views {

// The main window's commands the header offers as buttons.
struct PaneActions {
    QAction* trackSite = nullptr;
    QAction* viewDetails = nullptr;
    QAction* viewLinks = nullptr;
};

class GViewDetails : public QWidget {
    Q_OBJECT
  public:
    // `switchTo` is the page views' button to the other view (null elsewhere).
    GViewDetails(const PaneActions& actions, QAction* switchTo, QWidget* parent = nullptr);
    // Shows the item: `path` is the current item, `selected` how many items are selected.
    virtual void Refresh(const QString& path, int selected);
    // Stops background work (previews being made).
    virtual void StopWork() {}
    const QString& Path() const { return path_; }
    QLabel* NameLabel() const { return name_; }
    QWidget* Strip() const { return strip_; }

  signals:
    // The preview was clicked: the file is to be opened.
    void OpenRequested(const QString& path);

  protected:
    QVBoxLayout* Body() const { return body_; }
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowStrip(bool on);
    void ElideName();

    QToolButton* toggle_;
    QWidget* strip_;
    QLabel* icon_;
    QLabel* name_;
    QVBoxLayout* body_;
    QString path_;
};

class GViewNone : public GViewDetails {
  public:
    explicit GViewNone(const PaneActions& actions, QWidget* parent = nullptr);
};

// The information text and the preview shared by the two detail views.
class GViewPreviewed : public GViewDetails {
    Q_OBJECT
  public:
    GViewPreviewed(const PaneActions& actions, QAction* switchTo, QWidget* parent = nullptr);
    void Refresh(const QString& path, int selected) override;
    void StopWork() override { loader_.Cancel(); }
    QTextEdit* Information() const { return information_; }
    QCheckBox* ShowPreview() const { return showPreview_; }
    // What the preview shows now: a picture, a page, or the message that there is none.
    QWidget* PreviewWidget() const { return preview_->currentWidget(); }
    QTextBrowser* PagePreview() const { return page_; }
    QLabel* PicturePreview() const { return picture_; }

  protected:
    // The lines above the dates ("Size:\t...", "Title:\t..." or "Type:\t...").
    virtual QString Description(const QString& path) const = 0;
    virtual void LoadPreview(const QString& path) = 0;
    void ShowPage(const QString& path);
    void ShowPicture(const QString& path);
    void ShowNoPreview();
    void WriteInformation();
    bool eventFilter(QObject* watched, QEvent* event) override;

    ui::ImageLoader loader_;
    ui::ImageFacts facts_;  // of the picture shown, when there is one
    bool hasPicture_ = false;

  private:
    int selected_ = 0;
    QTextEdit* information_;
    QCheckBox* showPreview_;
    QStackedWidget* preview_;
    QLabel* none_;
    QLabel* picture_;
    QTextBrowser* page_;
};

class GViewUnlinked : public GViewPreviewed {
  public:
    explicit GViewUnlinked(const PaneActions& actions, QWidget* parent = nullptr);

  protected:
    QString Description(const QString& path) const override;
    void LoadPreview(const QString& path) override;
};

class GViewHtml : public GViewPreviewed {
  public:
    explicit GViewHtml(const PaneActions& actions, QWidget* parent = nullptr);

  protected:
    QString Description(const QString& path) const override;
    void LoadPreview(const QString& path) override { ShowPage(path); }
};

class GViewLink : public GViewDetails {
  public:
    explicit GViewLink(const PaneActions& actions, QWidget* parent = nullptr);
    void Refresh(const QString& path, int selected) override;
    GCtrlLink* List() const { return list_; }

  private:
    GCtrlLink* list_;
};

// "Size:\t12 KB": the first line of every description.
QString SizeLine(const QString& path);

}  // namespace tw::views
