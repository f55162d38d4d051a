// Benchmarks: timed loops printed as "name: time per operation". Not tests;
// run with the `bench` target.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/settings/IniFile.h"
#include "shell/Shellidfunc.h"
#include "tests/bench/BenchSupport.h"
#include "tests/common/TempDir.h"

void RunStartupBenchmarks();
void RunListBenchmarks();
void RunCommandBenchmarks();
void RunNavBenchmarks();
void RunPreviewBenchmarks();
void RunSearchBenchmarks();

namespace {

using benchsupport::Seconds;

void Run(const char* name, int count, const std::function<void(int)>& body) {
  double start = Seconds();
  for (int i = 0; i < count; ++i) body(i);
  double total = Seconds() - start;
  std::printf("%-44s %8d ops  %10.3f us/op  %8.1f ms total\n", name, count, total * 1e6 / count, total * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  ShellidfuncScope shell;
  testsupport::TempDir dir;

  // The settings file is read and written through at once, so its cost per
  // call matters for start-up (about 60 reads) and shutdown (about 30 writes).
  fw::IniFile ini(dir / "bench.ini");
  for (int i = 0; i < 40; ++i) ini.WriteInteger("section" + std::to_string(i % 8), "key" + std::to_string(i), i);
  Run("IniFile::ReadInteger (40-key file)", 2000,
      [&](int i) { ini.ReadInteger("section3", "key" + std::to_string(i % 40), 0); });
  Run("IniFile::WriteInteger (40-key file)", 500, [&](int i) { ini.WriteInteger("section5", "key21", i); });
  std::vector<std::string> keys;
  Run("IniFile::ReadSection", 2000, [&](int) { ini.ReadSection("section1", keys); });

  // Item ID list arithmetic on a real deep list.
  std::string deep = dir.Path();
  for (int i = 0; i < 6; ++i) {
    deep += "\\フォルダ" + std::to_string(i);
    ::CreateDirectoryA(deep.c_str(), nullptr);
  }
  UniqueIDList list;
  GetIDListFromPath(deep, list);
  Run("CopyItemIDList (deep list)", 100000, [&](int) { UniqueIDList c(CopyItemIDList(list.get())); });
  Run("GetParentItemIDRoot + ConcatItemIDList", 100000, [&](int) {
    UniqueIDList parent(GetParentItemIDRoot(list.get()));
    UniqueIDList last(GetLastItemID(list.get()));
    UniqueIDList joined(ConcatItemIDList(parent.get(), last.get()));
  });
  Run("GetIDListFromPath (deep path)", 200, [&](int) {
    UniqueIDList l;
    GetIDListFromPath(deep, l);
  });
  // Groups named on the command line run alone ("bench.sh nav search");
  // without names every group runs.
  const struct {
    const char* name;
    void (*run)();
  } groups[] = {
      {"startup", RunStartupBenchmarks},  // tests/bench/StartupBench.cpp
      {"list", RunListBenchmarks},        // tests/bench/ListBench.cpp
      {"command", RunCommandBenchmarks},  // tests/bench/CommandBench.cpp
      {"nav", RunNavBenchmarks},          // tests/bench/NavBench.cpp
      {"preview", RunPreviewBenchmarks},  // tests/bench/PreviewBench.cpp
      {"search", RunSearchBenchmarks},    // tests/bench/SearchBench.cpp
  };
  for (const auto& group : groups) {
    bool wanted = argc < 2;
    for (int i = 1; i < argc; ++i) wanted = wanted || std::string(argv[i]) == group.name;
    if (wanted) group.run();
  }
  return 0;
}
