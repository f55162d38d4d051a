// Benchmarks of the folder contents list on large folders. Every measure runs
// the raw platform work on the same data in the same run and prints our
// figure, the floor and their ratio beside the target.
//
// The folders (10,000 and 100,000 empty files) are made once and kept in
// ORVANE_BENCH_DATA (default: "bench-data" beside the build's bin folder).
// scripts/bench.sh makes them from the host side, which is much faster than
// through Wine; the program makes them itself when they are missing.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "shell/ShellListView.h"
#include "tests/common/MessagePump.h"

void RunListBenchmarks();

namespace {

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(freq.QuadPart);
}

void Report(const char* name, double ours, double floor, double target, const char* unit = "ms") {
  double ratio = floor > 0 ? ours / floor : 0;
  std::printf("%-52s ours %10.1f %s  floor %10.1f %s  ratio %5.2f (target <= %.1f)%s\n", name, ours, unit, floor, unit,
              ratio, target, ratio <= target ? "" : "  OVER");
}

std::string DataRoot() {
  char buf[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("ORVANE_BENCH_DATA", buf, MAX_PATH) > 0) return buf;
  ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string exe = buf;
  std::string dir = exe.substr(0, exe.rfind('\\'));
  return dir.substr(0, dir.rfind('\\')) + "\\bench-data";
}

// A folder of count empty files, made once (a marker says it is complete).
std::string FilesFolder(int count) {
  std::string root = DataRoot();
  ::CreateDirectoryA(root.c_str(), nullptr);
  std::string folder = root + "\\files" + std::to_string(count);
  std::string marker = root + "\\files" + std::to_string(count) + ".complete";
  if (::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return folder;
  ::CreateDirectoryA(folder.c_str(), nullptr);
  double start = Now();
  char name[32];
  for (int i = 0; i < count; ++i) {
    // Not in name order, so that the sort has work to do.
    int n = static_cast<int>((static_cast<long long>(i) * 7919) % count);
    std::snprintf(name, sizeof name, "\\f%06d.txt", n);
    HANDLE h = ::CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  HANDLE m = ::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (m != INVALID_HANDLE_VALUE) ::CloseHandle(m);
  std::printf("(made %d files in %s in %.1f s)\n", count, folder.c_str(), Now() - start);
  return folder;
}

// Committed private memory of the process. GetProcessMemoryInfo's
// PrivateUsage reads 0 under Wine, so the address space is walked instead.
SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  if (::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc) &&
      pmc.PrivateUsage > 0)
    return pmc.PrivateUsage;
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION mbi{};
  for (const char* p = nullptr; ::VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= p) break;
    p = next;
  }
  return total;
}

// The raw platform work: the folder's enumeration and a quicksort of the
// same item IDs by the folder's CompareIDs, with nothing of ours around it.
struct RawList {
  fw::ComPtr<IShellFolder> folder;
  std::vector<UniqueIDList> ids;

  explicit RawList(const std::string& path) {
    fw::ComPtr<IShellFolder> desktop;
    ::SHGetDesktopFolder(desktop.Put());
    UniqueIDList list;
    GetIDListFromPath(path, list);
    desktop->BindToObject(list.get(), nullptr, IID_IShellFolder, folder.PutVoid());
  }
  void Enumerate() {
    ids.clear();
    fw::ComPtr<IEnumIDList> e;
    if (FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, e.Put())) ||
        !e)
      return;
    for (;;) {
      UniqueIDList id;
      ULONG fetched = 0;
      if (e->Next(1, id.put(), &fetched) != S_OK || fetched != 1) break;
      ids.push_back(std::move(id));
    }
  }
  int Compare(LPCITEMIDLIST a, LPCITEMIDLIST b, int direction) {
    HRESULT hr = folder->CompareIDs(0, a, b);
    return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr)) * direction;
  }
  void Sort(int low, int high, int direction) {
    while (low < high) {
      int i = low, j = high;
      LPCITEMIDLIST pivot = ids[static_cast<std::size_t>((low + high) / 2)].get();
      do {
        while (Compare(ids[static_cast<std::size_t>(i)].get(), pivot, direction) < 0) ++i;
        while (Compare(ids[static_cast<std::size_t>(j)].get(), pivot, direction) > 0) --j;
        if (i <= j) std::swap(ids[static_cast<std::size_t>(i++)], ids[static_cast<std::size_t>(j--)]);
      } while (i <= j);
      if (j - low < high - i) {
        if (low < j) Sort(low, j, direction);
        low = i;
      } else {
        if (i < high) Sort(i, high, direction);
        high = j;
      }
    }
  }
  void SortAll(int direction) {
    if (!ids.empty()) Sort(0, static_cast<int>(ids.size()) - 1, direction);
  }
};

void ShowDesktop(TShellListView* lv) {
  UniqueIDList desktop;
  GetSpecialFolderID(sfidDeskTop, desktop);
  lv->SetNameSpace(desktop.get());
}

void BenchListing(TShellListView* lv, int count, bool reportMemory) {
  std::string path = FilesFolder(count);
  UniqueIDList list;
  GetIDListFromPath(path, list);

  // Best of three on each side, taken in turns (the machine is shared and
  // one run is noisy), after one walk that warms the host's caches. Memory
  // is taken from the first round of each.
  double rawEnum = 1e300, rawSort = 1e300, ours = 1e300;
  SIZE_T rawBytes = 0, before = 0, after = 0;
  RawList raw(path);
  raw.Enumerate();
  for (int round = 0; round < 3; ++round) {
    raw.ids.clear();
    raw.ids.shrink_to_fit();
    SIZE_T start = PrivateBytes();
    double t0 = Now();
    raw.Enumerate();
    double t1 = Now();
    raw.SortAll(1);
    double t2 = Now();
    if (round == 0) rawBytes = PrivateBytes() - start;
    if ((t2 - t0) * 1e3 < rawEnum + rawSort) {
      rawEnum = (t1 - t0) * 1e3;
      rawSort = (t2 - t1) * 1e3;
    }
    raw.ids.clear();
    raw.ids.shrink_to_fit();

    ShowDesktop(lv);
    start = PrivateBytes();
    t0 = Now();
    lv->SetNameSpace(list.get());
    ours = std::min(ours, (Now() - t0) * 1e3);
    if (round == 0) {
      before = start;
      after = PrivateBytes();
    }
  }
  int rows = lv->FileList()->Count();
  char name[96];
  std::snprintf(name, sizeof name, "list %d files, sorted by name (%d rows)", count, rows);
  Report(name, ours, rawEnum + rawSort, 2.0);
  std::printf("    floor: EnumObjects walk %.1f ms + CompareIDs quicksort %.1f ms\n", rawEnum, rawSort);
  if (reportMemory && rows > 0) {
    double perRow = static_cast<double>(after - before) / rows;
    double rawPerRow = static_cast<double>(rawBytes) / rows;
    // The floor is the item IDs alone, as the enumeration hands them out.
    std::printf("%-52s ours %10.0f B    floor %10.0f B    ratio %5.2f (target <= 700 B per row)%s\n",
                "memory per row (private bytes)", perRow, rawPerRow, rawPerRow > 0 ? perRow / rawPerRow : 0,
                perRow <= 700 ? "" : "  OVER");
  }
}

void BenchResort(TShellListView* lv, int count, int selected) {
  std::string path = FilesFolder(count);
  UniqueIDList list;
  GetIDListFromPath(path, list);
  lv->SetNameSpace(list.get());
  lv->Sort(hcName, true);
  lv->ClearSelection();
  for (int i = 0; i < selected; ++i) lv->SetItemState(i * (count / 10 - 1), LVIS_SELECTED, LVIS_SELECTED);

  // Best of three on each side: the machine is shared, one run is noisy.
  RawList raw(path);
  raw.Enumerate();
  double floor = 1e300, ours = 1e300;
  for (int round = 0; round < 3; ++round) {
    raw.SortAll(1);
    double t0 = Now();
    raw.SortAll(-1);
    floor = std::min(floor, (Now() - t0) * 1e3);

    lv->Sort(hcName, true);
    t0 = Now();
    lv->Sort(hcName, false);
    ours = std::min(ours, (Now() - t0) * 1e3);
  }
  char name[96];
  std::snprintf(name, sizeof name, "re-sort %d rows by name, %d selected", lv->FileList()->Count(), lv->SelCount());
  Report(name, ours, floor, 1.2);
}

// Shows the first, the middle and the last page of the report view and
// compares the shell work done with the rows drawn and hinted.
void BenchPaging(TShellListView* lv, int count) {
  std::string path = FilesFolder(count);
  UniqueIDList list;
  GetIDListFromPath(path, list);
  ShowDesktop(lv);
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  lv->SetNameSpace(list.get());
  std::set<int> drawn;
  std::set<int> hinted;
  lv->OnData = [&](fw::Object*, fw::ListItem* item) { drawn.insert(item->Index()); };
  lv->OnDataHint = [&](fw::Object*, int from, int to) {
    for (int i = from; i <= to; ++i) hinted.insert(i);
  };
  TShellFileListCounters& counters = lv->FileList()->Counters();
  counters = TShellFileListCounters{};
  const int rows = lv->FileList()->Count();
  const char* names[] = {"report view: first page", "report view: middle page", "report view: last page"};
  RawList raw(path);
  std::size_t done = 0;
  const int targets[] = {0, rows / 2, rows - 1};
  for (int p = 0; p < 3; ++p) {
    double t0 = Now();
    ::SendMessageA(lv->Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(targets[p]), FALSE);
    ::InvalidateRect(lv->Handle(), nullptr, TRUE);
    ::UpdateWindow(lv->Handle());
    testsupport::PumpFor(20);
    double ms = (Now() - t0) * 1e3;
    std::set<int> both = drawn;
    both.insert(hinted.begin(), hinted.end());
    std::size_t fresh = both.size() - done;
    done = both.size();
    // The floor: the same number of rows asked the shell directly for their
    // caption and their small icon with the type name, nothing else.
    double f0 = Now();
    for (std::size_t k = 0; k < fresh; ++k) {
      TShellFileItem* item = lv->GetFileItem(static_cast<int>((static_cast<std::size_t>(targets[p]) + k) % rows));
      STRRET name{};
      raw.folder->GetDisplayNameOf(item->GetItemID(), SHGDN_INFOLDER, &name);
      if (name.uType == STRRET_WSTR) ::CoTaskMemFree(name.pOleStr);
      UniqueIDList abs(ConcatItemIDList(list.get(), item->GetItemID()));
      SHFILEINFOA info{};
      ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(abs.get()), 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_PIDL | SHGFI_TYPENAME);
    }
    double floor = (Now() - f0) * 1e3;
    std::printf("%-52s ours %10.1f ms  floor %10.1f ms  ratio %5.2f\n", names[p], ms, floor,
                floor > 0 ? ms / floor : 0);
    std::printf("    %s: %.1f ms; rows drawn %zu, hinted %zu, either %zu; captions %u, icons %u, type names %u%s\n",
                names[p], ms, drawn.size(), hinted.size(), both.size(), counters.captions, counters.icons,
                counters.typeNames,
                (counters.captions <= both.size() && counters.icons <= both.size() && counters.typeNames <= both.size())
                    ? ""
                    : "  OVER");
  }
  lv->OnData = nullptr;
  lv->OnDataHint = nullptr;

  // Where a drawn row's time goes: each step on rows not yet drawn.
  const int first = rows / 3, n = 20;
  auto step = [&](const char* what, const std::function<void(TShellFileItem*)>& fn) {
    double t0 = Now();
    for (int i = first; i < first + n; ++i) fn(lv->GetFileItem(i));
    std::printf("    per row: %-28s %8.2f ms\n", what, (Now() - t0) * 1e3 / n);
  };
  step("path", [](TShellFileItem* it) { it->GetPath(); });
  step("caption", [](TShellFileItem* it) { it->GetCaption(); });
  step("small icon and type name", [](TShellFileItem* it) { it->GetImageIndex(); });
  step("file record", [](TShellFileItem* it) { it->GetAttributes(); });
  step("attributes of a path", [&](TShellFileItem* it) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    ::GetFileAttributesExA((path + "\\" + it->GetCaption()).c_str(), GetFileExInfoStandard, &d);
  });
  step("size text", [](TShellFileItem* it) { it->GetSizeText(); });
  step("last write text", [](TShellFileItem* it) { it->GetLastWrite(); });
  step("overlay", [](TShellFileItem* it) { it->GetOverlayIconIndex(); });
}

}  // namespace

void RunListBenchmarks() {
  fw::Application().Initialize();
  fw::ComponentPtr<fw::Form> form(new fw::Form(nullptr));
  form->SetBorderStyle(fw::TFormBorderStyle::bsNone);
  form->SetBounds(0, 0, 800, 600);
  form->Show();
  auto* lv = fw::Make<TShellListView>(form.get());
  lv->SetParent(form.get());
  lv->SetAlign(fw::TAlign::alClient);
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  lv->Handle();
  testsupport::PumpFor(50);

  std::printf("\n-- folder contents list --\n");
  BenchListing(lv, 10000, false);
  BenchListing(lv, 100000, true);
  BenchResort(lv, 100000, 0);
  BenchResort(lv, 100000, 10);
  BenchPaging(lv, 100000);
  ShowDesktop(lv);
}
