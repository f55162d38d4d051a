#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "framework/threading/Thread.h"
#include "tests/common/MessagePump.h"

namespace {

// A thread whose body is given by the test.
class TestThread : public fw::Thread {
 public:
  using Body = std::function<void(TestThread&)>;
  explicit TestThread(Body body, std::atomic<int>* destroyed = nullptr)
      : m_body(std::move(body)), m_destroyed(destroyed) {}
  ~TestThread() override {
    // The body is ours: the thread must be done with it before it goes.
    if (Started() && !GetFreeOnTerminate() && ::GetCurrentThreadId() != ThreadID()) {
      Terminate();
      WaitFor();
    }
    if (m_destroyed) ++*m_destroyed;
  }
  using fw::Thread::SetReturnValue;
  using fw::Thread::Synchronize;

 protected:
  void Execute() override { m_body(*this); }

 private:
  Body m_body;
  std::atomic<int>* m_destroyed;
};

class ThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::InitThreadSync();
    ASSERT_TRUE(fw::IsMainThread());
  }
  void TearDown() override { fw::SetThreadExceptionHandler(nullptr); }
};

TEST_F(ThreadTest, SynchronizeRunsOnTheUiThreadAndBlocksTheWorker) {
  const DWORD ui = ::GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::atomic<bool> workerSawResult{false};
  std::atomic<ULONGLONG> blockedFor{0};
  TestThread t([&](TestThread& self) {
    bool done = false;
    ULONGLONG start = ::GetTickCount64();
    self.Synchronize([&] {
      ranOn = ::GetCurrentThreadId();
      ::Sleep(150);
      done = true;
    });
    blockedFor = ::GetTickCount64() - start;
    workerSawResult = done;
  });
  t.Start();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return t.Finished(); }, 5000));
  t.WaitFor();
  EXPECT_EQ(ranOn.load(), ui);
  EXPECT_TRUE(workerSawResult.load());
  EXPECT_GE(blockedFor.load(), 140u);
}

// The UI thread sits in a system MessageBox; the worker's calls must still run.
std::atomic<int> g_syncCount{0};
std::atomic<bool> g_workerDone{false};
ULONGLONG g_boxDeadline = 0;
bool g_inMessageBox = false;
int g_callsInsideBox = 0;

BOOL CALLBACK CloseMessageBox(HWND wnd, LPARAM) {
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  if (std::string(cls) == "#32770") ::PostMessageA(wnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CALLBACK BoxTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_workerDone || ::GetTickCount64() > g_boxDeadline)
    ::EnumThreadWindows(::GetCurrentThreadId(), &CloseMessageBox, 0);
}

TEST_F(ThreadTest, SynchronizeIsServedWhileTheUiThreadIsInAMessageBox) {
  g_syncCount = 0;
  g_workerDone = false;
  g_callsInsideBox = 0;
  TestThread t([](TestThread& self) {
    ::Sleep(300);  // let the box come up
    for (int i = 0; i < 5; ++i) {
      self.Synchronize([] {
        ++g_syncCount;
        if (g_inMessageBox) ++g_callsInsideBox;
      });
      ::Sleep(30);
    }
    g_workerDone = true;
  });
  t.Start();
  g_boxDeadline = ::GetTickCount64() + 10000;
  UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &BoxTimer);
  ASSERT_NE(timer, 0u);
  g_inMessageBox = true;
  ::MessageBoxA(nullptr, "同期テスト", "Orvane", MB_OK);
  g_inMessageBox = false;
  ::KillTimer(nullptr, timer);
  t.WaitFor();
  EXPECT_EQ(g_syncCount.load(), 5);
  EXPECT_EQ(g_callsInsideBox, 5);
}

TEST_F(ThreadTest, ExceptionsOfTheSynchronizedCallReachTheWorker) {
  std::atomic<DWORD> osCode{0};
  std::string runtimeText;
  std::atomic<bool> continued{false};
  TestThread t([&](TestThread& self) {
    try {
      self.Synchronize([] { throw fw::EOSError(ERROR_ACCESS_DENIED, "テスト"); });
    } catch (const fw::EOSError& e) {
      osCode = e.Code();
    }
    try {
      self.Synchronize([] { throw std::runtime_error("二つ目"); });
    } catch (const std::runtime_error& e) {
      runtimeText = e.what();
    }
    // The UI thread is still usable after both failures.
    self.Synchronize([&] { continued = true; });
  });
  t.Start();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return t.Finished(); }, 5000));
  t.WaitFor();
  EXPECT_EQ(osCode.load(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(runtimeText, "二つ目");
  EXPECT_TRUE(continued.load());
  EXPECT_FALSE(t.FatalException());
}

TEST_F(ThreadTest, FreeOnTerminateThreadTellsTheUiThreadThenDeletesItself) {
  const DWORD ui = ::GetCurrentThreadId();
  std::atomic<int> destroyed{0};
  DWORD noticeThread = 0;
  int notices = 0;
  int destroyedAtNotice = -1;
  fw::Object* sender = nullptr;
  auto* t = new TestThread([](TestThread&) { ::Sleep(50); }, &destroyed);
  t->SetFreeOnTerminate(true);
  t->OnTerminate = [&](fw::Object* s) {
    ++notices;
    noticeThread = ::GetCurrentThreadId();
    sender = s;
    destroyedAtNotice = destroyed.load();
  };
  fw::Object* expected = t;
  t->Start();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return destroyed.load() == 1; }, 5000));
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(noticeThread, ui);
  EXPECT_EQ(sender, expected);
  EXPECT_EQ(destroyedAtNotice, 0);  // the object still existed while the owner was told
}

TEST_F(ThreadTest, ExceptionEscapingExecuteIsReportedOnTheUiThread) {
  const DWORD ui = ::GetCurrentThreadId();
  std::string reported;
  DWORD reportedOn = 0;
  fw::SetThreadExceptionHandler([&](const std::exception& e) {
    reported = e.what();
    reportedOn = ::GetCurrentThreadId();
  });
  bool noticed = false;
  TestThread t([](TestThread&) { throw fw::Exception("作業失敗"); });
  t.OnTerminate = [&](fw::Object*) { noticed = true; };
  t.Start();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return noticed; }, 5000));
  t.WaitFor();
  EXPECT_EQ(reported, "作業失敗");
  EXPECT_EQ(reportedOn, ui);
  ASSERT_TRUE(t.FatalException());
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), fw::Exception);
}

TEST_F(ThreadTest, WaitForOnTheUiThreadServesSynchronizeInsteadOfDeadlocking) {
  std::atomic<int> served{0};
  TestThread t([&](TestThread& self) {
    for (int i = 0; i < 3; ++i) {
      ::Sleep(30);
      self.Synchronize([&] { ++served; });
    }
    self.SetReturnValue(42);
  });
  bool noticed = false;
  t.OnTerminate = [&](fw::Object*) { noticed = true; };
  t.Start();
  EXPECT_EQ(t.WaitFor(), 42u);  // no pumping of our own here
  EXPECT_EQ(served.load(), 3);
  EXPECT_TRUE(noticed);  // the termination notice ran before WaitFor returned
}

TEST_F(ThreadTest, DeletingARunningThreadTerminatesAndWaitsForIt) {
  std::atomic<int> destroyed{0};
  std::atomic<int> rounds{0};
  auto t = std::make_unique<TestThread>(
      [&](TestThread& self) {
        while (!self.Terminated()) {
          self.Synchronize([&] { ++rounds; });
          ::Sleep(5);
        }
      },
      &destroyed);
  t->Start();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return rounds.load() >= 3; }, 5000));
  t.reset();
  EXPECT_EQ(destroyed.load(), 1);
}

TEST_F(ThreadTest, PriorityIsAppliedWhenTheThreadStarts) {
  std::atomic<int> seen{99};
  TestThread t([&](TestThread&) { seen = ::GetThreadPriority(::GetCurrentThread()); });
  t.SetPriority(fw::ThreadPriority::tpLower);
  t.Start();
  t.WaitFor();
  EXPECT_EQ(seen.load(), THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(t.GetPriority(), fw::ThreadPriority::tpLower);
}

TEST_F(ThreadTest, MisuseIsRefusedRatherThanDeadlocking) {
  // Waiting for a thread from inside its own Synchronize call could never end.
  std::atomic<bool> refused{false};
  TestThread* self = nullptr;
  TestThread t([&](TestThread& me) {
    me.Synchronize([&] {
      try {
        self->WaitFor();
      } catch (const fw::EInvalidOperation&) {
        refused = true;
      }
    });
  });
  self = &t;
  t.Start();
  EXPECT_THROW(t.Start(), fw::EInvalidOperation);
  t.WaitFor();
  EXPECT_TRUE(refused.load());

  // A free-on-terminate thread may be gone at any moment: no waiting for it.
  std::atomic<bool> release{false};
  std::atomic<int> destroyed{0};
  auto* f = new TestThread(
      [&](TestThread&) {
        while (!release) ::Sleep(5);
      },
      &destroyed);
  f->SetFreeOnTerminate(true);
  f->Start();
  EXPECT_THROW(f->WaitFor(), fw::EInvalidOperation);
  release = true;
  EXPECT_TRUE(testsupport::PumpUntil([&] { return destroyed.load() == 1; }, 5000));
}

// Runs inside the child process of the test below (this program with a filter);
// skipped in an ordinary run. Workers keep asking for the UI thread while the
// program returns from main and destroys its static objects.
TEST(ThreadExitChild, WorkersStillAskingWhenTheProgramEnds) {
  char flag[8];
  if (!::GetEnvironmentVariableA("ORVANE_THREAD_EXIT_CHILD", flag, sizeof flag)) GTEST_SKIP() << "child only";
  fw::InitThreadSync();
  for (int i = 0; i < 4; ++i) {
    auto* t = new TestThread([](TestThread& self) {
      for (;;) self.Synchronize([] {});
    });
    t->SetFreeOnTerminate(true);
    t->Start();
  }
  testsupport::PumpUntil([] { return false; }, 50);
}

// A program that ends while workers still hand work to its UI thread ends
// normally: before, a worker's failed hand-over late in the exit threw where
// nothing could catch it, and the process aborted with exit code 3.
TEST(ThreadExit, WorkersAskingForTheUiThreadDoNotAbortTheExit) {
  char self[MAX_PATH];
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string cmd = "\"" + std::string(self) + "\" --gtest_filter=ThreadExitChild.*";
  ::SetEnvironmentVariableA("ORVANE_THREAD_EXIT_CHILD", "1");
  for (int run = 0; run < 5; ++run) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;  // the child's test output is not ours to show
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    fw::Handle process(pi.hProcess), thread(pi.hThread);
    ASSERT_EQ(::WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0) << "run " << run;
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u) << "run " << run;
  }
  ::SetEnvironmentVariableA("ORVANE_THREAD_EXIT_CHILD", nullptr);
}

}  // namespace
