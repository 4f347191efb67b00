#pragma once
// The third pane for a page: what the page is (its path, title and link counts) above the list
// of its links — line, status, URL and the file it leads to — sorted by line, any column
// sortable. For anything else only the description shows.

#include <QLabel>
#include <QTreeWidget>
#include <QWidget>

namespace tw::views {

class GViewLinks : public QWidget {
    Q_OBJECT
  public:
    enum Column { kLine, kStatus, kUrl, kTarget, kColumns };

    explicit GViewLinks(QWidget* parent = nullptr);
    // Shows a path (a page lists its links), or a count of selected items.
    void Show(const QString& path, int selected);
    QTreeWidget* List() const { return list_; }
    QLabel* Description() const { return description_; }

  private:
    QLabel* description_;
    QTreeWidget* list_;
};

}  // namespace tw::views
