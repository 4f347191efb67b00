#pragma once
// Counts the files and bytes of a pane's folder or selection on a worker thread and reports
// the running totals to the pane's status bar. Starting a new count for a pane stops the one
// before; a count can be stopped between any two items.

#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

namespace tw::app {

class SizeCounter : public QObject {
    Q_OBJECT
  public:
    SizeCounter() = default;
    ~SizeCounter() override;
    // Counts the paths: a folder's entries (and, when `recursive`, everything below), a file
    // itself. An empty list counts nothing (the totals show 0).
    void Start(const QStringList& paths, bool recursive);
    void Stop();

  signals:
    // The running totals; `done` on the last report of a count.
    void Counted(qint64 files, qint64 bytes, bool done);

  private:
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_;
};

}  // namespace tw::app
