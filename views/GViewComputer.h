#pragma once
// The file pane at the computer level: the mounted file systems with "Name", "Type", "Total
// Size" and "Free Space". Opening one makes its root the current folder.

#include <QTreeWidget>

namespace tw::views {

class GViewComputer : public QTreeWidget {
    Q_OBJECT
  public:
    enum Column { kName, kType, kTotal, kFree, kColumns };
    static constexpr int kPathRole = Qt::UserRole + 1;

    explicit GViewComputer(QWidget* parent = nullptr);
    // Lists the drives anew.
    void Fill();
};

}  // namespace tw::views
