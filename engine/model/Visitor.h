#pragma once
// The base of every pass over nodes. A visit returns whether the node counts; setting `stop`
// ends the traversal after the current node (counted as a cancel).

namespace tw {

class ESection;
class EFileNode;
class EHtmlNode;
class EDirNode;

class EVisitor {
  public:
    virtual ~EVisitor() = default;
    virtual bool VisitFile(EFileNode*) { return false; }
    virtual bool VisitHtml(EHtmlNode*) { return false; }
    virtual bool VisitDir(EDirNode*) { return false; }

    bool stop = false;
    ESection* section = nullptr;  // where the pass writes; null when it does not log
    int count = 0;
};

}  // namespace tw
