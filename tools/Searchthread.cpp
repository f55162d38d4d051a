#include "tools/Searchthread.h"

#include <cstring>
#include <mutex>

#include "framework/base/Mbcs.h"

namespace orvane {
namespace {

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')); }

// A batch goes over at least this often while rows are found, and when this
// many have gathered; more often only when the window waits for work.
constexpr DWORD kHandIntervalMs = 30;
constexpr std::size_t kHandRows = 4096;

}  // namespace

// ------------------------------------------------------------------ feed

void TSearchFeed::Add(std::vector<TSearchRow>& rows) {
  std::lock_guard<fw::CriticalSection> guard(m_lock);
  if (m_rows.empty()) {
    m_rows.swap(rows);
  } else {
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    rows.clear();
  }
  NotifyLocked();
}

void TSearchFeed::Finish() {
  std::lock_guard<fw::CriticalSection> guard(m_lock);
  m_finished = true;
  NotifyLocked();
}

void TSearchFeed::NotifyLocked() {
  // One message per batch: the window takes everything that arrived until it
  // answers. A post that fails is tried again with the next row.
  if (m_posted.load() || !m_target) return;
  m_posted.store(::PostMessageA(m_target, m_message, 0, 0) != FALSE);
}

TSearchFeed::Batch TSearchFeed::Take() {
  Batch batch;
  std::lock_guard<fw::CriticalSection> guard(m_lock);
  batch.rows.swap(m_rows);
  batch.finished = m_finished;
  m_posted.store(false);
  return batch;
}

void TSearchFeed::Detach() {
  std::lock_guard<fw::CriticalSection> guard(m_lock);
  m_target = nullptr;
}

// ------------------------------------------------------------------ worker

OSearchS::OSearchS(std::shared_ptr<TSearchFeed> feed) : m_feed(std::move(feed)) {}

OSearchS::~OSearchS() {
  // Execute uses this object's fields: it must be over before they go.
  if (Started() && !Finished()) {
    Terminate();
    try {
      WaitFor();
    } catch (...) {
      // Only a wait from inside the worker itself gets here; the base
      // destructor has nothing better to do either.
    }
  }
}

void OSearchS::Execute() {
  // However Execute leaves, what was found goes over and the window learns
  // that the search is over.
  struct Finish {
    OSearchS& self;
    ~Finish() {
      try {
        self.Hand(true);
      } catch (...) {
        // Out of memory while handing over: the rows found are lost, the end is not.
      }
      self.m_feed->Finish();
    }
  } finish{*this};
  m_matchesAll = SearchMaskMatchesAll(Mask);

  // The start folder's own entries first, then level by level: the folders
  // of one level in the order found, each matched as soon as it is found.
  Pending start;
  start.path = StartFolder;
  CurrentFolder = StartFolder;
  if (!MatchCurrent(start)) return;
  std::vector<Pending> level, next;
  if (!Descend(start, level)) return;
  while (!level.empty()) {
    next.clear();
    for (Pending& p : level)
      if (!Descend(p, next)) return;
    level.swap(next);
  }
}

bool OSearchS::MatchCurrent(Pending& p) {
  // Rows held back for the interval go over now if it has passed, even when
  // no further match follows for a long walk.
  Hand(false);
  p.listed = m_matchesAll;
  const auto folder = std::make_shared<const std::string>(CurrentFolder + "\\");
  WIN32_FIND_DATAA data;
  fw::FindHandle find(::FindFirstFileA((*folder + Mask).c_str(), &data));
  if (!find) return !Terminated();  // nothing matches, or the folder cannot be read
  do {
    if (Terminated()) return false;
    if (IsDots(data.cFileName)) continue;
    TSearchRow row;
    row.name = data.cFileName;
    row.folder = folder;
    row.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    row.lastWrite = data.ftLastWriteTime;
    row.attributes = data.dwFileAttributes;
    // When every name matches, this listing is also the folder listing the
    // descent would make later: keep its subfolders instead of asking again.
    if (m_matchesAll && SearchDescendsInto(data)) p.subfolders.push_back(row.name);
    m_found.push_back(std::move(row));
    Hand(false);
  } while (::FindNextFileA(find.get(), &data));
  return !Terminated();
}

void OSearchS::Hand(bool force) {
  if (m_found.empty()) return;
  const DWORD now = ::GetTickCount();
  // The first row goes at once, so the list starts filling without delay.
  if (!force && m_handedAny && m_found.size() < kHandRows && (m_feed->Waiting() || now - m_lastHand < kHandIntervalMs))
    return;
  m_feed->Add(m_found);
  m_lastHand = now;
  m_handedAny = true;
}

bool OSearchS::Descend(Pending& p, std::vector<Pending>& next) {
  auto enter = [&](const std::string& name) {
    next.emplace_back();
    next.back().path = p.path + "\\" + name;
    CurrentFolder = next.back().path;
    return MatchCurrent(next.back());
  };
  if (p.listed) {
    std::vector<std::string> names;
    names.swap(p.subfolders);
    for (const std::string& name : names)
      if (Terminated() || !enter(name)) return false;
    return true;
  }
  WIN32_FIND_DATAA data;
  fw::FindHandle find(::FindFirstFileA((p.path + "\\*.*").c_str(), &data));
  if (!find) return !Terminated();
  do {
    if (Terminated()) return false;
    if (SearchDescendsInto(data) && !enter(data.cFileName)) return false;
  } while (::FindNextFileA(find.get(), &data));
  return !Terminated();
}

// ------------------------------------------------------------------ rules

std::string SearchStartFolder(const std::string& location) {
  if (fw::EndsWithChar(location, '\\')) return location.substr(0, location.size() - 1);
  return location;
}

std::string SearchSizeText(std::uint64_t size) { return std::to_string(size) + "B"; }

std::string SearchDateText(const FILETIME& lastWrite) {
  FILETIME local;
  SYSTEMTIME st;
  if (!::FileTimeToLocalFileTime(&lastWrite, &local) || !::FileTimeToSystemTime(&local, &st)) return {};
  char buf[80];
  int n = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n - 1)) : std::string();
}

bool SearchMaskMatchesAll(std::string_view mask) { return mask == "*" || mask == "*.*"; }

bool SearchDescendsInto(const WIN32_FIND_DATAA& data) {
  // Equality, not a bit test: hidden, system, read-only, archive, reparse
  // points and the like are listed but never entered.
  return data.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY && !IsDots(data.cFileName);
}

}  // namespace orvane
