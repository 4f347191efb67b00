#pragma once
// What is selected — a folder, a single file, or several files — held in one place: the panes
// report their selections here and never talk to each other; the main window's commands read
// it. Until the first idle moment after start-up enables it, a selection is only recorded.

#include <QObject>
#include <QStringList>

namespace tw::ui {

class SelectionCoordinator : public QObject {
    Q_OBJECT
  public:
    static SelectionCoordinator& Instance();

    void SelectDir(const QString& path, QObject* source = nullptr);
    void SelectFile(const QString& path, QObject* source = nullptr);
    void SelectMultiple(const QStringList& paths, QObject* source = nullptr);
    void Enable(bool on);
    bool Enabled() const { return enabled_; }

    // The folder shown in the file pane, with a trailing separator (empty: the computer level).
    const QString& CurrentFolder() const { return folder_; }
    const QString& CurrentFile() const { return file_; }
    const QStringList& Selection() const { return selection_; }
    bool IsFolder() const { return isFolder_; }
    // A folder chosen as such (SelectDir): no file of it is selected.
    bool FolderOnly() const {
        return isFolder_ && selection_.size() == 1 && file_ + "/" == folder_;
    }
    bool IsFile() const { return isFile_; }

  signals:
    // The selection changed (only while enabled); `source` is the pane that reported it.
    void Changed(QObject* source);

  private:
    void Notify(QObject* source);

    QString folder_, file_;
    QStringList selection_;
    bool isFolder_ = false, isFile_ = false, enabled_ = false;
};

}  // namespace tw::ui
