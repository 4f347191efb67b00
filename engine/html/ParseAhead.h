#pragma once
// Reading pages on the other cores ahead of the walk over a site's web. A page's reading (its
// tags, its URLs resolved against the path index) depends on nothing the walk changes, so
// workers read the pages the walk is going to ask for, in the order they were announced, while
// the walk records the pages before them. What a worker's reading writes (syntax errors, file
// errors) is kept and written when the walk takes the page, so the output is the same as a
// reading on one core. At most a window of pages is read ahead, so memory stays bounded.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/model/Node.h"
#include "engine/model/ParseResult.h"

namespace tw {

class ESection;

class EParseAhead {
  public:
    // `workers` threads besides the caller's; `window` pages read ahead at most. `syntax`: the
    // pages' syntax errors are wanted (kept for the section given to Take).
    EParseAhead(int workers, bool syntax, std::size_t window = 64);
    ~EParseAhead();
    EParseAhead(const EParseAhead&) = delete;
    EParseAhead& operator=(const EParseAhead&) = delete;

    // The walk will ask for these pages, in this order (pages announced twice are read once).
    void Announce(std::span<EHtmlNode* const> pages);
    void Announce(EHtmlNode* page) { Announce(std::span<EHtmlNode* const>(&page, 1)); }
    // The page's URLs, read: by a worker (waited for, its output written to `section` and the
    // log now) or here. The same result a ParseUrls(section) gives.
    ParseResult Take(EHtmlNode* page, ESection* section);

    // A page's URLs the walk is done with: freed by a worker when they were made on one, as
    // memory is freed most cheaply by the thread that took it.
    void Dispose(std::unique_ptr<EHtmlNode::PageReading> reading);

    // Worker threads the machine's cores allow besides the caller (jobs 0: one per core).
    static int WorkersFor(int jobs);

  private:
    struct Reading;
    void Work();
    // Reads the next page handed out, if any (the lock is let go meanwhile).
    bool ReadNext(std::unique_lock<std::mutex>& lock);
    void TopUp();  // with the lock held: hands pages to workers while the window allows

    std::mutex mutex_;
    std::condition_variable ready_, work_;
    std::deque<EHtmlNode*> announced_;  // not handed to a worker yet
    std::unordered_map<EHtmlNode*, std::unique_ptr<Reading>> readings_;
    std::deque<EHtmlNode*> queue_;  // handed out, waiting for a worker
    std::size_t window_;
    std::size_t ahead_ = 0;  // pages handed out and not taken yet
    bool syntax_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
    std::vector<std::unique_ptr<EHtmlNode::PageReading>> disposed_;  // for the workers to free
};

}  // namespace tw
