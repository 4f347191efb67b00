#include "app/SizeCounter.h"

#include <chrono>
#include <string>
#include <vector>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"

namespace tw::app {

SizeCounter::~SizeCounter() {
    Stop();
}

void SizeCounter::Stop() {
    if (stop_) *stop_ = true;
    if (worker_.joinable()) worker_.join();
    stop_.reset();
}

void SizeCounter::Start(const QStringList& paths, bool recursive) {
    Stop();
    emit Counted(0, 0, paths.isEmpty());
    if (paths.isEmpty()) return;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    std::vector<std::string> pending;
    for (const QString& path : paths) pending.push_back(path.toStdString());
    worker_ = std::thread([this, stop = stop_, pending = std::move(pending), recursive]() mutable {
        using Clock = std::chrono::steady_clock;
        qint64 files = 0, bytes = 0;
        auto reported = Clock::now();
        // The totals go to the window a few times a second, not after every file.
        auto report = [&](bool done) {
            if (!done && Clock::now() - reported < std::chrono::milliseconds(100)) return;
            reported = Clock::now();
            QMetaObject::invokeMethod(
                this, [this, files, bytes, done] { emit Counted(files, bytes, done); },
                Qt::QueuedConnection);
        };
        std::vector<std::pair<std::string, bool>> work;  // path, whether it was asked for
        for (auto it = pending.rbegin(); it != pending.rend(); ++it) work.emplace_back(*it, true);
        while (!work.empty() && !*stop) {
            auto [path, top] = std::move(work.back());
            work.pop_back();
            const FileStamp stamp = StampOf(path);
            if (!stamp.isFolder || stamp.isLink) {
                ++files;
                bytes += stamp.size;
                report(false);
                continue;
            }
            if (!top && !recursive) continue;
            DirectoryEnumerator entries(std::string(StripTrailingSep(path)) + kPathSep, "*");
            std::string entry;
            while (!*stop && entries.Next(entry, true)) work.emplace_back(entry, false);
        }
        if (!*stop) report(true);
    });
}

}  // namespace tw::app
