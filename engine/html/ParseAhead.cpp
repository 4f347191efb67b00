#include "engine/html/ParseAhead.h"

#include <exception>

#include "core/log/Recorder.h"
#include "engine/model/Node.h"

namespace tw {

// A page handed to the workers: its state, and what its reading gave and wrote.
struct EParseAhead::Reading {
    enum class State { Queued, Reading, Done, Taken } state = State::Queued;
    ParseResult result = ParseResult::Ok;
    std::exception_ptr failure;  // memory ran out on the worker: thrown again on the walk
    ERecordingSection section;
    ERecordingLog log;
};

EParseAhead::EParseAhead(int workers, bool syntax, std::size_t window)
    : window_(window), syntax_(syntax) {
    for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

EParseAhead::~EParseAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& t : threads_) t.join();
    // Pages read for a walk that ended before it reached them (a cancel) keep nothing.
    for (auto& [page, reading] : readings_) {
        if (!reading || reading->state != Reading::State::Done) continue;
        page->ClearTags();
        page->ClearUrls();
    }
}

int EParseAhead::WorkersFor(int jobs) {
    if (jobs <= 0) jobs = static_cast<int>(std::thread::hardware_concurrency());
    return jobs > 1 ? jobs - 1 : 0;
}

void EParseAhead::Announce(std::span<EHtmlNode* const> pages) {
    std::lock_guard lock(mutex_);
    for (EHtmlNode* page : pages)
        if (readings_.try_emplace(page, nullptr).second) announced_.push_back(page);
    TopUp();
}

void EParseAhead::TopUp() {
    bool handed = false;
    while (ahead_ < window_ && !announced_.empty()) {
        EHtmlNode* page = announced_.front();
        announced_.pop_front();
        auto it = readings_.find(page);
        if (it == readings_.end() || it->second) continue;  // taken by the walk meanwhile
        it->second = std::make_unique<Reading>();
        queue_.push_back(page);
        ++ahead_;
        handed = true;
    }
    if (handed) work_.notify_all();
}

bool EParseAhead::ReadNext(std::unique_lock<std::mutex>& lock) {
    while (!queue_.empty()) {
        EHtmlNode* page = queue_.front();
        queue_.pop_front();
        auto it = readings_.find(page);
        Reading& reading = *it->second;
        if (reading.state == Reading::State::Taken) {  // the walk read it itself
            readings_.erase(it);
            continue;
        }
        reading.state = Reading::State::Reading;
        lock.unlock();
        try {
            ScopedThreadLog threadLog(reading.log);
            reading.result = page->ParseUrls(syntax_ ? &reading.section : nullptr);
        } catch (...) {
            reading.failure = std::current_exception();
        }
        lock.lock();
        reading.state = Reading::State::Done;
        ready_.notify_all();
        return true;
    }
    return false;
}

void EParseAhead::Dispose(std::unique_ptr<EHtmlNode::PageReading> reading) {
    if (!reading || threads_.empty() || reading->madeBy == std::this_thread::get_id()) return;
    std::lock_guard lock(mutex_);
    disposed_.push_back(std::move(reading));
}

void EParseAhead::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        if (!disposed_.empty()) {
            std::vector<std::unique_ptr<EHtmlNode::PageReading>> freeing;
            freeing.swap(disposed_);
            lock.unlock();
            freeing.clear();
            lock.lock();
        }
        ReadNext(lock);
    }
}

ParseResult EParseAhead::Take(EHtmlNode* page, ESection* section) {
    std::unique_lock lock(mutex_);
    auto it = readings_.find(page);
    if (it == readings_.end() || !it->second || it->second->state == Reading::State::Queued) {
        // Not started: read here. A page still waiting for a worker is passed by when met.
        if (it != readings_.end()) {
            if (it->second) {
                it->second->state = Reading::State::Taken;
                --ahead_;
            } else {
                readings_.erase(it);
            }
        }
        TopUp();
        lock.unlock();
        return page->ParseUrls(section);
    }

    std::unique_ptr<Reading> reading = std::move(it->second);
    // While a worker reads the page wanted, this thread reads the next ones instead of idling.
    while (reading->state != Reading::State::Done)
        if (!ReadNext(lock)) ready_.wait(lock);
    readings_.erase(page);
    --ahead_;
    TopUp();
    lock.unlock();
    if (reading->failure) std::rethrow_exception(reading->failure);
    // Written now, in the walk's order, as a reading here would have.
    if (section) reading->section.Replay(*section);
    reading->log.Replay(ELog::Instance());
    return reading->result;
}

}  // namespace tw
