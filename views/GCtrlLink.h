#pragma once
// The links of one page as a list: status, URL and line, filtered by the six switches of the
// link toolbar (good, broken, external, content links, embedded content, one row per target)
// and sorted by any column. A click on a row, Enter, or "Replace Link..." asks for that link
// to be repaired.

#include <QTreeWidget>
#include <vector>

#include "engine/model/Url.h"

namespace tw::views {

// The list's switches, kept in the settings ("1ShowGoodLinks", ...).
struct LinkFilters {
    bool good = true, bad = true, external = true, href = true, embedded = true, combine = false;
    static LinkFilters Load();
    void Save() const;
};

class GCtrlLink : public QTreeWidget {
    Q_OBJECT
  public:
    enum Column { kStatus, kUrl, kLine, kColumns };
    static constexpr int kUrlIndexRole = Qt::UserRole + 1;

    explicit GCtrlLink(QWidget* parent = nullptr);
    ~GCtrlLink() override;

    // Reads the page's links (no list for a path that is no page) and fills the list with
    // the filters and sort from the settings.
    void ShowPage(const QString& path);
    // Fills the list again: with `reload` the switches and the sort are read from the
    // settings, otherwise the ones in use are kept and written back.
    void Fill(bool reload);
    LinkFilters& Filters() { return filters_; }
    const QString& Page() const { return page_; }
    bool InTrackedSite() const { return tracked_; }
    const std::vector<EUrl>& Urls() const { return urls_; }
    // "Good link", "Broken link", ... as the status column says it.
    static QString StatusText(const EUrl& url, bool tracked);

  signals:
    // The URL at this index of Urls() is to be repaired.
    void RepairRequested(int urlIndex);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool Passes(const EUrl& url) const;
    void SaveLayout() const;

    QString page_;
    std::vector<EUrl> urls_;
    std::string baseDirectory_;
    bool tracked_ = false;
    LinkFilters filters_;
};

}  // namespace tw::views
