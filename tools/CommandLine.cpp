#include "tools/CommandLine.h"

#include <algorithm>
#include <string_view>

#include "framework/ui/Application.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/StdCtrls.h"

namespace orvane {
namespace {

constexpr DWORD kPipeSize = 8192;
// One less than the buffer: a read always leaves a terminating zero byte.
constexpr DWORD kReadSize = kPipeSize - 1;
constexpr DWORD kComSpecSize = 4048;
// How long the loop sleeps when a pass found nothing to do: long enough to
// leave the processor to the child, short enough that output shows at once.
constexpr DWORD kIdleWaitMs = 20;
// While output streams in, the result area is repainted this often rather
// than after every chunk: painting a rich edit costs as much as appending.
constexpr DWORD kRepaintMs = 200;
// After the child ended, a process it started may still hold the pipes'
// write ends and go on writing: reading stops after this much more time.
constexpr DWORD kDrainLimitMs = 1000;

constexpr WORD kKeyEnter = 13;
constexpr WORD kKeyEscape = 27;
constexpr WORD kKeyUp = 38;
constexpr WORD kKeyDown = 40;

DWORD PipeBytes(HANDLE pipe) {
  DWORD avail = 0;
  if (!pipe || !::PeekNamedPipe(pipe, nullptr, 0, nullptr, &avail, nullptr)) return 0;
  return avail;
}

}  // namespace

TCommandLine::TCommandLine(fw::Component* owner, fw::Edit* box, fw::RichEdit* results,
                           std::vector<std::string>& history)
    : fw::Component(owner), m_box(box), m_results(results), m_recall(history) {
  if (m_box) FreeNotification(m_box);
  if (m_results) FreeNotification(m_results);
}

TCommandLine::~TCommandLine() {
  *m_alive = false;
  // Gone in the middle of a batch (the window is being torn down): the
  // result area must not stay without painting.
  if (m_batchOpen && m_results) m_results->EndUpdate();
}

void TCommandLine::Notification(fw::Component* component, fw::Operation operation) {
  fw::Component::Notification(component, operation);
  if (operation != fw::Operation::opRemove) return;
  if (component == m_box) m_box = nullptr;
  if (component == m_results) m_results = nullptr;
}

void TCommandLine::KeyDown(WORD key) {
  switch (key) {
    case kKeyEnter:
      Enter();
      break;
    case kKeyUp:
      if (auto text = m_recall.Up()) SetBoxText(*text);
      break;
    case kKeyDown:
      if (auto text = m_recall.Down()) SetBoxText(*text);
      break;
    case kKeyEscape:
      m_recall.Escape();
      SetBoxText({});
      break;
    default:
      break;
  }
}

void TCommandLine::SetBoxText(const std::string& text) {
  if (!m_box) return;
  m_box->SetText(text);
  // The caret goes behind the recalled text, ready for more typing.
  m_box->SetSelStart(static_cast<int>(text.size()));
}

void TCommandLine::Enter() {
  const std::string line = m_box ? m_box->GetText() : std::string();
  // Lines typed while a command runs are its input, not commands.
  if (!m_busy) m_recall.Add(line);
  // A byte test is enough: "&" is never the second byte of a character.
  const bool detached = !line.empty() && line.back() == '&';
  if (m_box) m_box->Clear();

  if (detached) {
    // Started on its own, not captured and not awaited: it works while a
    // captured command runs as well.
    AppendLine(line);
    ::WinExec(line.substr(0, line.size() - 1).c_str(), SW_SHOWDEFAULT);
    return;
  }
  if (m_busy) {
    AppendLine(line);
    Forward(line + "\n");
  } else {
    std::shared_ptr<bool> alive = m_alive;
    RunCaptured(line);
    // The window may have been torn down while the loop dispatched messages.
    if (!*alive) return;
  }
  // Anything typed during the run but not confirmed is dropped.
  if (m_box) m_box->Clear();
}

bool TCommandLine::Start(const std::string& commandLine) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = m_inRead.get();
  si.hStdOutput = m_outWrite.get();
  si.hStdError = m_errWrite.get();
  std::string mutableLine = commandLine;  // CreateProcessA may write into it
  PROCESS_INFORMATION pi{};
  // Started suspended so that it is inside the job before it can start
  // anything of its own; the stop command ends the whole job.
  if (!::CreateProcessA(nullptr, mutableLine.data(), &sa, nullptr, TRUE, DETACHED_PROCESS | CREATE_SUSPENDED, nullptr,
                        nullptr, &si, &pi))
    return false;
  m_process.reset(pi.hProcess);
  m_thread.reset(pi.hThread);
  m_childId = pi.dwProcessId;
  m_job.reset(::CreateJobObjectA(nullptr, nullptr));
  // Where the program itself runs in a job that allows no other, the stop
  // command can still end the child itself.
  if (m_job && !::AssignProcessToJobObject(m_job.get(), m_process.get())) m_job.reset();
  ::ResumeThread(m_thread.get());
  return true;
}

void TCommandLine::RunCaptured(const std::string& line) {
  m_busy = 1;
  if (OnBusyChange) OnBusyChange(true);

  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  ::CreatePipe(m_outRead.put(), m_outWrite.put(), &sa, kPipeSize);
  ::CreatePipe(m_inRead.put(), m_inWrite.put(), &sa, kPipeSize);
  ::CreatePipe(m_errRead.put(), m_errWrite.put(), &sa, kPipeSize);

  char comSpec[kComSpecSize] = {};
  ::GetEnvironmentVariableA("ComSpec", comSpec, sizeof comSpec);

  std::shared_ptr<bool> alive = m_alive;
  if (Start(line)) {
    AppendLine((PromptPath ? PromptPath() : std::string()) + ">" + line);
    CaptureLoop();
  } else if (Start(comSpec)) {
    // The interpreter shows its own prompt (and, on Windows, the command).
    WriteInput(line + "\n");
    m_pendingInput.push_back("exit\r\n");
    CaptureLoop();
  }
  if (!*alive) return;

  ClosePipes();
  m_process.reset();
  m_thread.reset();
  m_job.reset();
  m_childId = 0;
  m_pendingInput.clear();
  m_busy = 0;
  if (OnBusyChange) OnBusyChange(false);
}

void TCommandLine::ClosePipes() {
  for (fw::Handle* h : {&m_outRead, &m_outWrite, &m_inRead, &m_inWrite, &m_errRead, &m_errWrite}) h->reset();
}

void TCommandLine::CaptureLoop() {
  std::shared_ptr<bool> alive = m_alive;
  std::vector<char> outBuffer(kPipeSize), errBuffer(kPipeSize);
  TChunkJoiner outJoiner, errJoiner;
  const HANDLE process = m_process.get();
  bool ended = false;
  DWORD endedAt = 0;
  // After activity the first waits are short, so a child that is only
  // refilling its pipe is not kept waiting; a silent child soon gets the
  // full wait and costs next to nothing.
  DWORD idleWait = 1;
  bool runningAfterWait = false;
  m_batchAppends = true;
  for (;;) {
    // The end is tested before reading, so whatever the child wrote before
    // it ended is read in this pass or the ones after it.
    // A wait that just timed out has already found the child running.
    if (!ended && !runningAfterWait && ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
      ended = true;
      endedAt = ::GetTickCount();
    }
    FeedInput();
    bool readOut = ReadPipe(m_outRead.get(), outBuffer, outJoiner);
    bool readErr = ReadPipe(m_errRead.get(), errBuffer, errJoiner);

    if (m_batchOpen && ((!readOut && !readErr) || ::GetTickCount() - m_batchStart >= kRepaintMs)) EndBatch();

    MSG msg;
    bool message = ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
    if (message) {
      if (msg.message == WM_QUIT) {
        // The program is ending: give up the child (it runs on) and let the
        // outer loop see the quit, so the window closes after this loop.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      fw::Application().RouteMessage(msg);
      if (!*alive) return;
    }

    // Both pipes read empty after the end: nothing is left.
    if (ended && ((!readOut && !readErr) || ::GetTickCount() - endedAt > kDrainLimitMs)) break;
    runningAfterWait = false;
    if (readOut || readErr || message) {
      idleWait = 1;
    } else {
      runningAfterWait =
          ::MsgWaitForMultipleObjectsEx(1, &process, idleWait, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT;
      idleWait = std::min(idleWait * 2, kIdleWaitMs);
    }
  }
  for (TChunkJoiner* joiner : {&outJoiner, &errJoiner})
    if (auto held = joiner->Flush()) AppendLine(*held);
  EndBatch();
  m_batchAppends = false;
}

void TCommandLine::EndBatch() {
  if (!m_batchOpen) return;
  m_batchOpen = false;
  if (m_results) m_results->EndUpdate();
}

bool TCommandLine::ReadPipe(HANDLE pipe, std::vector<char>& buffer, TChunkJoiner& joiner) {
  if (PipeBytes(pipe) == 0) return false;
  std::fill(buffer.begin(), buffer.end(), '\0');
  DWORD got = 0;
  // The pipe holds bytes, so the read returns at once with what is there.
  if (!::ReadFile(pipe, buffer.data(), kReadSize, &got, nullptr) || got == 0) return false;
  if (auto line = joiner.Take(std::string_view(buffer.data(), got))) AppendLine(*line);
  return true;
}

void TCommandLine::FeedInput() {
  // The next waiting line goes only once the child has read everything
  // before it.
  if (m_pendingInput.empty() || PipeBytes(m_inRead.get()) != 0) return;
  std::string next = std::move(m_pendingInput.front());
  m_pendingInput.pop_front();
  WriteInput(next);
}

void TCommandLine::Forward(const std::string& bytes) {
  if (m_pendingInput.empty())
    WriteInput(bytes);
  else
    m_pendingInput.push_back(bytes);
}

void TCommandLine::WriteInput(const std::string& bytes) {
  if (!m_inWrite) return;
  DWORD written = 0;
  ::WriteFile(m_inWrite.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TCommandLine::Stop() {
  if (!m_busy) return;
  if (m_job)
    ::TerminateJobObject(m_job.get(), 1);
  else if (m_process)
    ::TerminateProcess(m_process.get(), 1);
}

void TCommandLine::AppendLine(const std::string& text) {
  if (!m_results) return;
  if (m_batchAppends && !m_batchOpen) {
    m_results->BeginUpdate();
    m_batchOpen = true;
    m_batchStart = ::GetTickCount();
  }
  m_results->AppendText(text + "\r\n");
}

}  // namespace orvane
