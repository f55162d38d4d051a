// The directory watchers against real file changes in a temporary folder.
// Callbacks come through Synchronize, so every wait here pumps messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/threading/Thread.h"
#include "shell/Shellnotify.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

using testsupport::PumpFor;
using testsupport::PumpUntil;

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
// Timer granularity and scheduling: a quiet period may look this much shorter.
constexpr ULONGLONG kSlack = 100;

struct Call {
  fw::Object* sender;
  std::string path;
  DWORD thread;
  ULONGLONG time;
};

// Collects change calls; touched on the UI thread only.
struct Recorder {
  std::vector<Call> calls;
  TShChangeNotifyEvent Handler() {
    return [this](fw::Object* sender, const std::string& path) {
      calls.push_back({sender, path, ::GetCurrentThreadId(), ::GetTickCount64()});
    };
  }
};

// Delay data whose lifetime the tests follow.
struct Counted : fw::Object {
  static int alive;
  int id;
  explicit Counted(int i) : id(i) { ++alive; }
  ~Counted() override { --alive; }
};
int Counted::alive = 0;

// Stops a watcher and pumps until its thread has told the UI thread it ended.
template <typename W>
void StopAndWaitEnd(W* w) {
  bool ended = false;
  w->OnTerminate = [&ended](fw::Object*) { ended = true; };
  w->Stop();
  ASSERT_TRUE(PumpUntil([&] { return ended; }, 5000));
}

void MakeDir(const std::string& path) { ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr)) << path; }

class WatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::InitThreadSync();
    Counted::alive = 0;
  }
  testsupport::TempDir tmp;
};

TEST_F(WatcherTest, FilesWatcherReportsABurstOnceAfterTheQuietPeriod) {
  // The last byte of "ソ" is 0x5C: the watched path must survive untouched.
  const std::string dir = tmp / "ソース";
  MakeDir(dir);
  Recorder rec;
  auto* w = new TShFilesWatcher(dir, rec.Handler(), kNames);
  PumpFor(300);  // the thread opens its change handle
  ULONGLONG lastChange = 0;
  for (int i = 0; i < 10; ++i) {
    testsupport::WriteFile(dir + "\\f" + std::to_string(i) + ".txt", "x");
    lastChange = ::GetTickCount64();
    PumpFor(150);
  }
  EXPECT_TRUE(rec.calls.empty()) << "called during the burst";
  ASSERT_TRUE(PumpUntil([&] { return !rec.calls.empty(); }, 6000));
  PumpFor(2500);  // nothing more may follow
  ASSERT_EQ(rec.calls.size(), 1u);
  const Call& c = rec.calls[0];
  EXPECT_GE(c.time - lastChange, TShFilesWatcher::kQuietPeriod - kSlack);
  EXPECT_EQ(c.path, dir);
  EXPECT_EQ(c.thread, ::GetCurrentThreadId());
  EXPECT_EQ(c.sender, static_cast<fw::Object*>(w));
  StopAndWaitEnd(w);
}

TEST_F(WatcherTest, DirWatcherReportsABurstInAnyFolderOnceAfterTheQuietPeriod) {
  const std::string a = tmp / "A";
  const std::string so = tmp / "ソ";
  MakeDir(a);
  MakeDir(so);
  Recorder rec;
  std::vector<std::string> folders{so, a, tmp / "missing"};
  auto* w = new TShDirWatcher(&folders, rec.Handler(), nullptr, FILE_NOTIFY_CHANGE_DIR_NAME);
  // Missing folders left out; the others sorted, each with one delimiter
  // (found by whole characters: "ソ" ends in 0x5C itself).
  EXPECT_EQ(w->GetFolders(), (std::vector<std::string>{a + "\\", so + "\\"}));
  ASSERT_TRUE(PumpUntil([&] { return w->WaitSetBuilds() == 1; }, 2000));

  ULONGLONG lastChange = 0;
  bool changingSeen = false;
  for (int i = 0; i < 8; ++i) {
    MakeDir((i % 2 ? a : so) + "\\d" + std::to_string(i));
    lastChange = ::GetTickCount64();
    PumpFor(150);
    changingSeen = changingSeen || w->GetChangeing();
  }
  EXPECT_TRUE(changingSeen);
  EXPECT_TRUE(rec.calls.empty()) << "called during the burst";
  ASSERT_TRUE(PumpUntil([&] { return !rec.calls.empty(); }, 5000));
  PumpFor(2000);
  ASSERT_EQ(rec.calls.size(), 1u);
  EXPECT_GE(rec.calls[0].time - lastChange, TShDirWatcher::kQuietPeriod - kSlack);
  EXPECT_EQ(rec.calls[0].path, "");
  EXPECT_EQ(rec.calls[0].thread, ::GetCurrentThreadId());
  EXPECT_FALSE(w->GetChangeing());
  StopAndWaitEnd(w);
}

TEST_F(WatcherTest, DirWatcherRebuildsOnlyWhenTheFolderSetReallyChanges) {
  const std::string a = tmp / "a";
  const std::string b = tmp / "b";
  MakeDir(a);
  MakeDir(b);
  std::vector<std::string> ab{a, b};
  auto* w = new TShDirWatcher(&ab, nullptr, nullptr, FILE_NOTIFY_CHANGE_DIR_NAME);
  ASSERT_TRUE(PumpUntil([&] { return w->WaitSetBuilds() == 1; }, 2000));

  // Same folders, other order, other spelling of the delimiter: same sorted list.
  w->SetFolders(std::vector<std::string>{b + "\\", a});
  w->Add(a);         // already watched
  w->Add(b + "\\");  // already watched
  w->Add(tmp / "nowhere");
  PumpFor(400);
  EXPECT_EQ(w->WaitSetBuilds(), 1u);
  EXPECT_EQ(w->GetFolders(), (std::vector<std::string>{a + "\\", b + "\\"}));

  w->SetFolders(std::vector<std::string>{a});
  ASSERT_TRUE(PumpUntil([&] { return w->WaitSetBuilds() == 2; }, 2000));
  EXPECT_EQ(w->GetFolders(), (std::vector<std::string>{a + "\\"}));

  w->Add(b);
  ASSERT_TRUE(PumpUntil([&] { return w->WaitSetBuilds() == 3; }, 2000));
  EXPECT_EQ(w->GetFolders(), (std::vector<std::string>{a + "\\", b + "\\"}));

  // Null suspends: nothing watched, and changes no longer reach anyone.
  Recorder rec;
  w->OnChangeNotify = rec.Handler();
  w->SetFolders(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return w->WaitSetBuilds() == 4; }, 2000));
  EXPECT_TRUE(w->GetFolders().empty());
  MakeDir(a + "\\while-suspended");
  PumpFor(2000);
  EXPECT_TRUE(rec.calls.empty());
  StopAndWaitEnd(w);
}

TEST_F(WatcherTest, FilesWatcherWithAMissingPathStaysIdleUntilGivenAFolder) {
  const std::string dir = tmp.Path();
  Recorder rec;
  auto* w = new TShFilesWatcher("", rec.Handler(), kNames);
  w->SetPath(dir + "\\does-not-exist");
  EXPECT_EQ(w->GetPath(), "");
  PumpFor(200);
  testsupport::WriteFile(dir + "\\ignored.txt", "x");
  PumpFor(TShFilesWatcher::kQuietPeriod + 600);
  EXPECT_TRUE(rec.calls.empty());

  w->SetPath(dir);
  EXPECT_EQ(w->GetPath(), dir);
  PumpFor(300);
  testsupport::WriteFile(dir + "\\seen.txt", "x");
  ASSERT_TRUE(PumpUntil([&] { return !rec.calls.empty(); }, 5000));
  EXPECT_EQ(rec.calls[0].path, dir);

  // Moving to another folder: changes in the old one no longer count.
  const std::string other = tmp / "other";
  MakeDir(other);
  PumpFor(TShFilesWatcher::kQuietPeriod + 300);  // the mkdir above is reported
  rec.calls.clear();
  w->SetPath(other);
  PumpFor(300);
  testsupport::WriteFile(dir + "\\old-folder.txt", "x");
  PumpFor(TShFilesWatcher::kQuietPeriod + 500);
  EXPECT_TRUE(rec.calls.empty());
  testsupport::WriteFile(other + "\\new-folder.txt", "x");
  ASSERT_TRUE(PumpUntil([&] { return !rec.calls.empty(); }, 5000));
  EXPECT_EQ(rec.calls[0].path, other);
  StopAndWaitEnd(w);
}

TEST_F(WatcherTest, InvokeDeleyEventWithoutOnDelayLeavesTheDataWithTheCaller) {
  auto* w = new TShDirWatcher(nullptr, nullptr, nullptr, FILE_NOTIFY_CHANGE_DIR_NAME);
  std::unique_ptr<fw::Object> data = std::make_unique<Counted>(1);
  EXPECT_FALSE(w->InvokeDeleyEvent(std::move(data)));
  ASSERT_TRUE(data);
  EXPECT_EQ(Counted::alive, 1);
  data.reset();
  EXPECT_EQ(Counted::alive, 0);
  StopAndWaitEnd(w);
}

TEST_F(WatcherTest, DelayDataReachesOnDelayAfterTheDelayAndBelongsToTheReceiver) {
  std::vector<std::unique_ptr<fw::Object>> received;
  std::vector<ULONGLONG> times;
  std::vector<DWORD> threads;
  auto* w = new TShDirWatcher(
      nullptr, nullptr,
      [&](fw::Object*, std::unique_ptr<fw::Object> data) {
        received.push_back(std::move(data));
        times.push_back(::GetTickCount64());
        threads.push_back(::GetCurrentThreadId());
      },
      FILE_NOTIFY_CHANGE_DIR_NAME);
  PumpFor(100);

  // One object.
  ULONGLONG sent = ::GetTickCount64();
  std::unique_ptr<fw::Object> one = std::make_unique<Counted>(1);
  ASSERT_TRUE(w->InvokeDeleyEvent(std::move(one)));
  EXPECT_FALSE(one);
  ASSERT_TRUE(PumpUntil([&] { return received.size() == 1; }, 4000));
  EXPECT_GE(times[0] - sent, TShDirWatcher::kDelayPeriod - kSlack);
  EXPECT_EQ(threads[0], ::GetCurrentThreadId());
  EXPECT_EQ(static_cast<Counted*>(received[0].get())->id, 1);
  EXPECT_EQ(Counted::alive, 1);  // alive until the receiver lets go
  received.clear();
  EXPECT_EQ(Counted::alive, 0);

  // A newer object during the wait: neither is lost, they come in order, once
  // the newer has waited its full delay.
  ASSERT_TRUE(w->InvokeDeleyEvent(std::make_unique<Counted>(2)));
  PumpFor(500);
  EXPECT_TRUE(received.empty());
  sent = ::GetTickCount64();
  ASSERT_TRUE(w->InvokeDeleyEvent(std::make_unique<Counted>(3)));
  ASSERT_TRUE(PumpUntil([&] { return received.size() == 2; }, 4000));
  EXPECT_GE(times.back() - sent, TShDirWatcher::kDelayPeriod - kSlack);
  EXPECT_EQ(static_cast<Counted*>(received[0].get())->id, 2);
  EXPECT_EQ(static_cast<Counted*>(received[1].get())->id, 3);
  PumpFor(1500);
  EXPECT_EQ(received.size(), 2u);  // nothing delivered twice
  received.clear();
  EXPECT_EQ(Counted::alive, 0);

  // Stopped before the delay ran out: never delivered, and freed by the watcher.
  ASSERT_TRUE(w->InvokeDeleyEvent(std::make_unique<Counted>(4)));
  EXPECT_EQ(Counted::alive, 1);
  StopAndWaitEnd(w);
  PumpUntil([] { return Counted::alive == 0; }, 2000);  // the thread deletes itself after its notice
  EXPECT_EQ(Counted::alive, 0);
  EXPECT_TRUE(received.empty());
}

TEST_F(WatcherTest, AFailingCallbackEndsTheWatcherAndOnlyForeignErrorsAreReported) {
  std::vector<std::string> reported;
  fw::SetThreadExceptionHandler([&](const std::exception& e) { reported.push_back(e.what()); });
  int ended = 0;
  auto make = [&](auto thrower) {
    auto* w = new TShDirWatcher(
        nullptr, nullptr, [thrower](fw::Object*, std::unique_ptr<fw::Object>) { thrower(); },
        FILE_NOTIFY_CHANGE_DIR_NAME);
    w->OnTerminate = [&ended](fw::Object*) { ++ended; };
    EXPECT_TRUE(w->InvokeDeleyEvent(std::make_unique<Counted>(1)));
  };
  make([] { throw fw::EOSError(ERROR_ACCESS_DENIED, "quiet"); });
  make([] { throw fw::Exception("受け手の失敗"); });
  // Both threads end by themselves and tell their owner; the data went to the
  // receiver, which dropped it while throwing.
  ASSERT_TRUE(PumpUntil([&] { return ended == 2; }, 5000));
  PumpUntil([] { return Counted::alive == 0; }, 1000);
  EXPECT_EQ(Counted::alive, 0);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "受け手の失敗");
  fw::SetThreadExceptionHandler(nullptr);
}

TEST_F(WatcherTest, AStoppedWatcherNeverCallsBackEvenWithACallAlreadyUnderWay) {
  const std::string dir = tmp.Path();
  Recorder stoppedRec;
  Recorder liveRec;
  std::vector<std::string> folders{dir};
  std::vector<TShFilesWatcher*> files;
  for (int i = 0; i < 3; ++i) files.push_back(new TShFilesWatcher(dir, stoppedRec.Handler(), kNames));
  auto* folder = new TShDirWatcher(&folders, stoppedRec.Handler(), nullptr, kNames);
  auto* live = new TShFilesWatcher(dir, liveRec.Handler(), kNames);
  PumpFor(300);

  int n = 0;
  for (int i = 0; i < 10; ++i, ++n) {
    testsupport::WriteFile(dir + "\\pour" + std::to_string(n), "x");
    PumpFor(40);
  }
  // Without pumping, the quiet periods run out and every watcher blocks in
  // its call to this thread; then they are stopped, with the calls queued.
  ::Sleep(TShFilesWatcher::kQuietPeriod + 700);
  int ended = 0;
  for (TShFilesWatcher* w : files) {
    w->OnTerminate = [&ended](fw::Object*) { ++ended; };
    w->Stop();
  }
  folder->OnTerminate = [&ended](fw::Object*) { ++ended; };
  folder->Stop();
  // Changes keep pouring in after the stop.
  for (int i = 0; i < 20; ++i, ++n) {
    testsupport::WriteFile(dir + "\\pour" + std::to_string(n), "x");
    PumpFor(50);
  }
  ASSERT_TRUE(PumpUntil([&] { return ended == 4; }, 5000));
  PumpFor(TShFilesWatcher::kQuietPeriod + 500);
  EXPECT_TRUE(stoppedRec.calls.empty());
  // The watcher that kept running shows that the calls were really there.
  EXPECT_GE(liveRec.calls.size(), 1u);
  StopAndWaitEnd(live);
}

TEST_F(WatcherTest, TwoHundredStartStopCyclesLeaveNoThreadOrHandleBehind) {
  const std::string dir = tmp.Path();
  std::vector<std::string> folders{dir};
  int ended = 0;
  auto cycle = [&](int i) {
    auto* f = new TShFilesWatcher(dir, nullptr, kNames);
    auto* d = new TShDirWatcher(&folders, nullptr, nullptr, FILE_NOTIFY_CHANGE_DIR_NAME);
    f->OnTerminate = [&ended](fw::Object*) { ++ended; };
    d->OnTerminate = [&ended](fw::Object*) { ++ended; };
    if (i % 2) ::Sleep(3);  // half of them get as far as their wait
    f->Stop();
    d->Stop();
  };
  auto settle = [] {
    // The threads end after their notice ran; give the system time to reap them.
    PumpFor(300);
  };
  cycle(0);
  ASSERT_TRUE(PumpUntil([&] { return ended == 2; }, 5000));
  settle();
  const int threadsBefore = testsupport::CountProcessThreads();
  const int handlesBefore = testsupport::CountProcessHandles();
  ASSERT_GT(threadsBefore, 0);

  ended = 0;
  for (int i = 0; i < 200; ++i) {
    cycle(i);
    PumpUntil([&] { return ended == 2 * (i + 1); }, 5000);
  }
  EXPECT_EQ(ended, 400);
  EXPECT_TRUE(PumpUntil([&] { return testsupport::CountProcessThreads() <= threadsBefore; }, 10000))
      << testsupport::CountProcessThreads() << " threads, " << threadsBefore << " before";
  if (handlesBefore < 0) GTEST_SKIP() << "the system does not count handles";
  EXPECT_TRUE(PumpUntil([&] { return testsupport::CountProcessHandles() <= handlesBefore; }, 5000))
      << testsupport::CountProcessHandles() << " handles, " << handlesBefore << " before";
}

}  // namespace
