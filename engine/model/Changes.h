#pragma once
// One place where every change to the files, the node tree and the link web is announced.
// Commands, site loading and link updates report what they changed; the views and the command
// line subscribe and redraw only that. Changes made inside a batch (one command, one undo,
// one load) reach the listeners once, together, when the outermost batch ends.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct ChangeBatch {
    std::vector<std::string> added;                            // files and folders that appeared
    std::vector<std::string> removed;                          // ... that disappeared
    std::vector<std::pair<std::string, std::string>> renamed;  // (old path, new path)
    std::vector<std::string> folders;  // folders whose listing should be read again
    std::vector<std::string> pages;    // pages whose links or link status changed
    bool orphans = false;              // the orphan set of a site changed
    bool everything = false;           // the views should be rebuilt from the disk

    bool Empty() const;
};

class IChangeListener {
  public:
    virtual ~IChangeListener() = default;
    virtual void OnChanges(const ChangeBatch& batch) = 0;
};

class EChanges {
  public:
    static EChanges& Instance();

    void Subscribe(IChangeListener* listener);
    void Unsubscribe(IChangeListener* listener);

    void Added(std::string_view path);
    void Removed(std::string_view path);
    void Renamed(std::string_view oldPath, std::string_view newPath);
    void FolderChanged(std::string_view folder);
    void PageLinksChanged(std::string_view page);
    void OrphansChanged();
    void Everything();

    // Collects the changes of its lifetime into one delivery (batches nest).
    class Batch {
      public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
    };

  private:
    void Deliver();

    std::vector<IChangeListener*> listeners_;
    ChangeBatch pending_;
    int depth_ = 0;
};

// Subscribes for the lifetime of the object.
class ScopedChangeListener {
  public:
    explicit ScopedChangeListener(IChangeListener* listener) : listener_(listener) {
        EChanges::Instance().Subscribe(listener_);
    }
    ~ScopedChangeListener() { EChanges::Instance().Unsubscribe(listener_); }
    ScopedChangeListener(const ScopedChangeListener&) = delete;
    ScopedChangeListener& operator=(const ScopedChangeListener&) = delete;

  private:
    IChangeListener* listener_;
};

}  // namespace tw
