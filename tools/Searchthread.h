#pragma once
// The file search's worker: a breadth-first walk below a start folder that
// reports every entry matching one wildcard pattern. The worker never touches
// a control. Its rows go into a feed shared with the user-interface thread;
// the first row of each batch posts one message to the feed's window, and the
// user-interface thread takes everything gathered so far in one pass. The
// worker therefore never waits for a busy window, and at most one message is
// on its way at any time.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/threading/Thread.h"

namespace orvane {

// One match as the worker found it; the texts are made only when a row is drawn.
struct TSearchRow {
  std::string name;
  // The folder that holds the entry, ending in "\"; shared by its entries.
  std::shared_ptr<const std::string> folder;
  std::uint64_t size = 0;
  FILETIME lastWrite{};
  DWORD attributes = 0;
};

// What the worker hands over. Shared by the worker and the user-interface
// side, so whichever goes away first leaves the other a valid object.
class TSearchFeed {
 public:
  // target: the window that receives msg when a batch starts (may be null).
  TSearchFeed(HWND target, UINT msg) : m_target(target), m_message(msg) {}
  TSearchFeed(const TSearchFeed&) = delete;
  TSearchFeed& operator=(const TSearchFeed&) = delete;

  // Worker side: appends rows (taking them from rows) and tells the window
  // unless a message is already on its way.
  void Add(std::vector<TSearchRow>& rows);
  // The worker has ended (stopped or done); nothing follows.
  void Finish();
  // A message is on its way and the window has not taken the rows yet.
  bool Waiting() const noexcept { return m_posted.load(std::memory_order_relaxed); }

  // User-interface side: everything gathered since the last call; finished
  // tells that the worker has ended and nothing more will come.
  struct Batch {
    std::vector<TSearchRow> rows;
    bool finished = false;
  };
  Batch Take();
  // No more messages: the window goes away or the search was replaced.
  void Detach();

 private:
  void NotifyLocked();

  fw::CriticalSection m_lock;
  HWND m_target;
  UINT m_message;
  std::atomic<bool> m_posted{false};
  std::vector<TSearchRow> m_rows;
  bool m_finished = false;
};

// The worker of one search. Created suspended: the start folder and mask are
// set before Start, and not touched by anyone else afterwards.
class OSearchS : public fw::Thread {
 public:
  explicit OSearchS(std::shared_ptr<TSearchFeed> feed);
  ~OSearchS() override;

  // The folder to search, without a trailing "\" (empty: the current drive's root).
  std::string StartFolder;
  // The wildcard pattern, handed to the platform's matching as one pattern.
  std::string Mask;
  // The folder whose entries are being matched (the worker's own).
  std::string CurrentFolder;

 protected:
  void Execute() override;

 private:
  // A folder to descend into later, with its subfolders when the match
  // already listed them (a pattern that matches everything).
  struct Pending {
    std::string path;
    std::vector<std::string> subfolders;
    bool listed = false;
  };
  // Matches the entries of CurrentFolder and gathers its subfolders into p
  // when the pattern matches everything. False when stopped.
  bool MatchCurrent(Pending& p);
  // Appends the qualifying subfolders of p to next, matching each at once.
  bool Descend(Pending& p, std::vector<Pending>& next);
  // Hands the rows found so far to the feed: at once while the window is
  // idle, else together once a while has passed or many have gathered.
  void Hand(bool force);

  std::shared_ptr<TSearchFeed> m_feed;
  bool m_matchesAll = false;
  std::vector<TSearchRow> m_found;  // not yet handed over
  DWORD m_lastHand = 0;
  bool m_handedAny = false;
};

// Rules of the search that need no window.

// The typed location as the search's start folder: one trailing "\" removed
// (a whole character: a double-byte name may end in the byte 0x5C).
std::string SearchStartFolder(const std::string& location);
// The size column: bytes as a decimal number and "B", no separators, all 64 bits.
std::string SearchSizeText(std::uint64_t size);
// The date column: the last write as a local date in the short date format.
std::string SearchDateText(const FILETIME& lastWrite);
// True for a pattern that every name matches ("*", "*.*").
bool SearchMaskMatchesAll(std::string_view mask);
// The entry's subfolder qualifies for descent: exactly the directory
// attribute and nothing else; "." and ".." never.
bool SearchDescendsInto(const WIN32_FIND_DATAA& data);

}  // namespace orvane
