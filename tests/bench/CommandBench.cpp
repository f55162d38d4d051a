// The command line's costs, each beside its floor measured in the same run:
// capturing a flood of output (against a raw drain of the same child's pipe
// and against appending the same chunks to the same kind of result area),
// the processor time taken while a silent child runs, and how quickly the
// window answers while a child writes as fast as it can.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Form.h"
#include "framework/ui/StdCtrls.h"
#include "tests/bench/BenchSupport.h"
#include "tools/CommandLine.h"

namespace {

using benchsupport::Seconds;

std::string ChildCommand() {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return "\"" + path.substr(0, path.find_last_of('\\') + 1) + "cmdchild.exe\"";
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// A shown form with a result area and a command box, as the main window has them.
struct Bench {
  fw::ComponentPtr<fw::Form> form{new fw::Form(nullptr)};
  fw::Edit* box;
  fw::RichEdit* results;
  orvane::TCommandLine* cmd;
  std::vector<std::string> history;
  Bench() {
    form->SetBounds(10, 10, 728, 571);
    box = fw::Make<fw::Edit>(form.get());
    box->SetParent(form.get());
    box->SetAlign(fw::TAlign::alBottom);
    results = fw::Make<fw::RichEdit>(form.get());
    results->SetPlainText(true);
    results->SetReadOnly(true);
    results->SetScrollBars(fw::TScrollStyle::ssVertical);
    results->SetParent(form.get());
    results->SetAlign(fw::TAlign::alClient);
    cmd = fw::Make<orvane::TCommandLine>(form.get(), box, results, history);
    cmd->PromptPath = [] { return std::string("C:\\"); };
    form->Show();
    Pump();
  }
  void Run(const std::string& line) {
    box->SetText(line);
    cmd->KeyDown(VK_RETURN);
  }
};

// Starts the child with the pipes the command line uses and reads its output
// into memory, keeping the chunks as they came.
double RawDrain(const std::string& line, std::vector<std::string>& chunks, std::size_t& bytes) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  fw::Handle outRead, outWrite, inRead, inWrite;
  ::CreatePipe(outRead.put(), outWrite.put(), &sa, 8192);
  ::CreatePipe(inRead.put(), inWrite.put(), &sa, 8192);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inRead.get();
  si.hStdOutput = outWrite.get();
  si.hStdError = outWrite.get();
  std::string cmd = line;
  PROCESS_INFORMATION pi{};
  double start = Seconds();
  if (!::CreateProcessA(nullptr, cmd.data(), &sa, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi))
    return 0;
  fw::Handle process(pi.hProcess), thread(pi.hThread);
  std::vector<char> buffer(8192);
  bytes = 0;
  for (;;) {
    bool ended = ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
    DWORD avail = 0, got = 0;
    ::PeekNamedPipe(outRead.get(), nullptr, 0, nullptr, &avail, nullptr);
    if (avail && ::ReadFile(outRead.get(), buffer.data(), 8191, &got, nullptr) && got) {
      chunks.emplace_back(buffer.data(), got);
      bytes += got;
    } else if (ended) {
      break;
    }
  }
  return Seconds() - start;
}

// Processor time of this process, in seconds.
double OwnCpu() {
  FILETIME c, e, k, u;
  ::GetProcessTimes(::GetCurrentProcess(), &c, &e, &k, &u);
  auto s = [](FILETIME f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7; };
  return s(k) + s(u);
}

std::string ReadUnixFile(const std::string& path) {
  fw::FileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr));
  if (!f) return {};
  std::string text;
  char buf[4096];
  DWORD got = 0;
  while (::ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
  return text;
}

// Processor time of the Wine server of this prefix (its waits run there), in
// seconds; negative when it cannot be read (not under Wine).
double ServerCpu() {
  char prefix[MAX_PATH * 2] = {};
  ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  WIN32_FIND_DATAA fd;
  fw::FindHandle find(::FindFirstFileA("Z:\\proc\\*", &fd));
  if (!find) return -1;
  double total = -1;
  do {
    if (fd.cFileName[0] < '0' || fd.cFileName[0] > '9') continue;
    std::string dir = std::string("Z:\\proc\\") + fd.cFileName;
    if (ReadUnixFile(dir + "\\comm").rfind("wineserver", 0) != 0) continue;
    std::string env = ReadUnixFile(dir + "\\environ");
    if (prefix[0] && env.find(std::string("WINEPREFIX=") + prefix) == std::string::npos) continue;
    std::string stat = ReadUnixFile(dir + "\\stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    // Fields after the name: state is the 3rd field; utime and stime are the 14th and 15th.
    const char* p = stat.c_str() + close + 2;
    unsigned long long fields[16] = {};
    for (int i = 3; i <= 15; ++i) {
      while (*p == ' ') ++p;
      fields[i] = std::strtoull(p, const_cast<char**>(&p), 10);
      if (i == 3) {
        while (*p && *p != ' ') ++p;
      }
    }
    total = (total < 0 ? 0 : total) + static_cast<double>(fields[14] + fields[15]) / 100.0;
  } while (::FindNextFileA(find.get(), &fd));
  return total;
}

void Throughput(std::size_t megabytes) {
  const std::string line = ChildCommand() + " big " + std::to_string(megabytes * 1024 * 1024);
  std::vector<std::string> chunks;
  std::size_t bytes = 0;
  double raw = RawDrain(line, chunks, bytes);

  double floor;
  {
    Bench b;
    double start = Seconds();
    for (const std::string& c : chunks) b.results->AppendText(c + "\r\n");
    floor = Seconds() - start;
  }
  double capture;
  {
    Bench b;
    double start = Seconds();
    b.Run(line);
    capture = Seconds() - start;
  }
  double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
  std::printf("command capture of %.1f MB (%zu chunks)\n", mb, chunks.size());
  std::printf("  raw pipe drain into memory      %8.2f s  %8.2f MB/s\n", raw, mb / raw);
  std::printf("  same chunks into the result area %7.2f s  %8.2f MB/s\n", floor, mb / floor);
  std::printf("  captured by the command line    %8.2f s  %8.2f MB/s\n", capture, mb / capture);
  std::printf("  ratio to the result-area floor  %8.2f   (target <= 1.5)\n", capture / floor);
  std::printf("  ratio to the raw drain          %8.2f\n", capture / raw);
}

struct CpuUse {
  double own, server;
};

CpuUse MeasureCpu(const std::function<void()>& during) {
  double own0 = OwnCpu(), server0 = ServerCpu(), t0 = Seconds();
  during();
  double wall = Seconds() - t0;
  double server1 = ServerCpu();
  return {(OwnCpu() - own0) / wall * 100.0, server0 < 0 ? -1 : (server1 - server0) / wall * 100.0};
}

HANDLE g_silentEvent;
void CALLBACK EndSilentChild(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::SetEvent(g_silentEvent);
}

void IdleCpu(double seconds) {
  Bench b;
  HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, "orvane-bench-silent");
  // Floor: the program waiting in its own message loop with nothing to do.
  CpuUse floor = MeasureCpu([&] {
    double end = Seconds() + seconds;
    while (Seconds() < end) {
      Pump();
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>((end - Seconds()) * 1000) + 1, QS_ALLINPUT);
    }
  });
  // A silent child that ends when the timer sets its event.
  g_silentEvent = event;
  UINT_PTR timer = ::SetTimer(nullptr, 0, static_cast<UINT>(seconds * 1000), EndSilentChild);
  CpuUse run = MeasureCpu([&] { b.Run(ChildCommand() + " wait orvane-bench-silent"); });
  ::KillTimer(nullptr, timer);
  ::CloseHandle(event);
  std::printf("processor time over %.0f s, %% of one core (own process + Wine server)\n", seconds);
  std::printf("  idle message loop (floor)       %6.2f %% + %6.2f %% = %6.2f %%\n", floor.own, floor.server,
              floor.own + floor.server);
  std::printf("  silent child running            %6.2f %% + %6.2f %% = %6.2f %%   (target <= 2 %%)\n", run.own,
              run.server, run.own + run.server);
}

void Responsiveness(std::size_t megabytes) {
  Bench b;
  HWND target = b.form->Handle();
  auto probe = [target](std::atomic<bool>& stop, double& worst, double& sum, int& count, int& timeouts) {
    while (!stop) {
      double t = Seconds();
      DWORD_PTR r = 0;
      if (!::SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r)) ++timeouts;
      double ms = (Seconds() - t) * 1000;
      worst = std::max(worst, ms);
      sum += ms;
      ++count;
      ::Sleep(20);
    }
  };
  auto measure = [&](const std::function<void()>& during, const char* name) {
    std::atomic<bool> stop{false}, finished{false};
    double worst = 0, sum = 0;
    int count = 0, timeouts = 0;
    std::thread t([&] {
      probe(stop, worst, sum, count, timeouts);
      finished = true;
    });
    during();
    stop = true;
    // A probe may be on its way: it is answered before the thread is joined.
    while (!finished) {
      Pump();
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    t.join();
    std::printf("  %-32s worst %7.1f ms  mean %6.1f ms  (%d probes, %d timed out)\n", name, worst,
                count ? sum / count : 0.0, count, timeouts);
    return worst;
  };
  std::printf("answer to a message sent from another thread\n");
  double floor = measure(
      [&] {
        double end = Seconds() + 3;
        while (Seconds() < end) {
          Pump();
          ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
      },
      "idle message loop (floor)");
  double busy = measure([&] { b.Run(ChildCommand() + " big " + std::to_string(megabytes * 1024 * 1024)); },
                        "child writing flat out");
  std::printf("  worst while capturing: %.1f ms (floor %.1f ms; target <= 100 ms)\n", busy, floor);
}

std::size_t EnvSize(const char* name, std::size_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

}  // namespace

void RunCommandBenchmarks() {
  fw::Application().Initialize();
  // The sizes can be lowered for a quick look; the targets are stated for these.
  Throughput(EnvSize("ORVANE_BENCH_CAPTURE_MB", 20));
  IdleCpu(static_cast<double>(EnvSize("ORVANE_BENCH_SILENT_S", 10)));
  Responsiveness(EnvSize("ORVANE_BENCH_FLOOD_MB", 4));
}
