#pragma once
// The folder history box above the folder tree: the folders recently current, newest first,
// kept in the settings ("RecentFolders", at most "25FolderHistoryLength" of them). Choosing
// one makes it the current folder; it then moves to the top. It is the location bar too: a
// path typed in it (completed from the disk, "~" for the home folder) is gone to with Enter.

#include <QComboBox>

namespace tw::views {

class GPathCB : public QComboBox {
    Q_OBJECT
  public:
    explicit GPathCB(QWidget* parent = nullptr);
    // Puts the current folder at the top (once, while the list is closed) and saves the list.
    void Remember(const QString& folder);
    QStringList Entries() const;
    // Ctrl+L: the current folder's path, selected for typing over (completion offers the
    // folders on the disk); Enter goes there.
    void EditLocation();

  signals:
    void FolderChosen(const QString& folder);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void showPopup() override;

  private:
    void Save() const;
    bool completesFolders_ = false;  // the disk's folders complete what is typed
};

}  // namespace tw::views
