#include "app/ChangeNotifier.h"

#include <QDirIterator>

#include "core/log/Log.h"

namespace tw::app {

ChangeNotifier::ChangeNotifier(int quietMs) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(quietMs);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &ChangeNotifier::Noted);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &ChangeNotifier::Noted);
    connect(&quiet_, &QTimer::timeout, this, [this] {
        const QList<void*> sites(pending_.begin(), pending_.end());
        pending_.clear();
        emit Changed(sites);
    });
}

void ChangeNotifier::AddTree(const QString& folder, void* site) {
    QStringList folders{folder};
    QDirIterator below(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (below.hasNext()) folders << below.next();
    for (const QString& f : folders) siteOf_.insert(f, site);
    const QStringList failed = watcher_.addPaths(folders);
    if (!failed.isEmpty())
        ELog::Instance().WriteLogFile("Error in Notify(): " + failed.first().toStdString());
}

void ChangeNotifier::Install(const QString& folder, void* site) {
    AddTree(folder, site);
    ELog::Instance().WriteLogFile("# Notifier installed (" +
                                  std::to_string(watcher_.directories().size()) + ")");
}

void ChangeNotifier::RemoveAll() {
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    siteOf_.clear();
    pending_.clear();
    quiet_.stop();
}

void ChangeNotifier::Noted(const QString& path) {
    void* site = siteOf_.value(path);
    // A folder made in a watched folder is watched from now on.
    QDirIterator entries(path, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    while (entries.hasNext()) {
        const QString folder = entries.next();
        if (!siteOf_.contains(folder)) AddTree(folder, site);
    }
    pending_.insert(site);
    quiet_.start();  // restarted by every change of the burst
}

}  // namespace tw::app
