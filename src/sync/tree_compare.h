// Comparing two folder trees on a thread of its own: both walked together, depth first, each folder
// listed whole (a pause lets go of every handle and lists that folder again), the names of a
// folder paired as the two file systems compare them; then, by content, the bytes of each pair of
// one size compared a block at a time. Links are never followed; nothing is ever written.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "panes/background_work.h"
#include "platform/window_news.h"
#include "sync/sync_rules.h"

namespace bivane {

struct TreeQuery {
    std::string left, right;  // full folder paths
    bool wholeTrees = true;   // else this level only (a folder on one side only is still walked whole)
    sync::CompareOptions options;
    bool caseApart = false;            // both sides tell names apart by letter case
    std::vector<char16_t> upper;       // the system's upper case of every unit, for names compared without case
};

struct TreeProgress {
    std::int64_t folders = 0, names = 0;
    std::int64_t contentBytes = 0, contentDone = 0;  // by content: the bytes of both copies
    std::string current;  // the folder or file being read
    bool running = false;
};

struct TreeResult {
    std::vector<sync::Line> lines;
    std::string failure;  // a top folder that could not be read: no lines
    bool stopped = false;
};

class TreeComparer : public HandleWalker {
public:
    explicit TreeComparer(std::function<bool()> post);
    ~TreeComparer() override;
    TreeComparer(const TreeComparer&) = delete;
    TreeComparer& operator=(const TreeComparer&) = delete;

    // The window's thread. A comparison under way stops; its lines are dropped.
    void Start(TreeQuery query);
    void Stop();
    TreeProgress Progress() const;
    // The comparison's end, once (null while it runs, and after it was taken).
    std::unique_ptr<TreeResult> Take();

    // Tests: runs before each folder or file is opened (another program acting meanwhile).
    std::function<void(const std::string& path)> BeforeOpen;

private:
    struct Listed;
    void Work() noexcept;
    TreeResult Compare(const TreeQuery& q, unsigned generation);
    // Lists folder whole into out; false when it cannot be read, or only in part (what it listed is
    // in out). Throws Stopped.
    bool List(const std::wstring& folder, bool caseApart, const std::vector<char16_t>& upper, Listed& out,
              unsigned generation);
    void CompareContent(const TreeQuery& q, std::vector<sync::Line>& lines, unsigned generation);
    sync::Content SameBytes(const std::wstring& left, const std::wstring& right, std::int64_t size, unsigned generation,
                            std::vector<char>& a, std::vector<char>& b);
    void Tell(const std::string& current, bool force = false);

    WindowNews news_;
    std::unique_ptr<TreeQuery> next_;
    std::unique_ptr<TreeResult> result_;
    TreeProgress progress_;
    std::int64_t lastTold_ = 0;
};

}  // namespace bivane
