#pragma once
// Watches the tracked sites' folders (inotify, through QFileSystemWatcher: each folder and
// every folder below it) and reports changes in bursts: many changes close together are one
// report, so that a build that rewrites a hundred pages asks one reload question.

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

namespace tw::app {

class ChangeNotifier : public QObject {
    Q_OBJECT
  public:
    explicit ChangeNotifier(int quietMs = 400);
    // Watches the folder and everything below it; `site` is passed back with each report.
    void Install(const QString& folder, void* site);
    void RemoveAll();
    int WatchedFolders() const { return watcher_.directories().size(); }

  signals:
    // Something changed in the watched folders of these sites since the last report.
    void Changed(const QList<void*>& sites);

  private:
    void Noted(const QString& path);
    void AddTree(const QString& folder, void* site);

    QFileSystemWatcher watcher_;
    QHash<QString, void*> siteOf_;
    QSet<void*> pending_;
    QTimer quiet_;
};

}  // namespace tw::app
