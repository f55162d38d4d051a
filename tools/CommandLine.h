#pragma once
// The command box and its captured output: a line confirmed with Enter runs
// as a child process (directly, or through the interpreter named by
// "ComSpec"); its output and error text are appended to the result area
// while the loop keeps the window's messages flowing, so further lines typed
// into the box reach the child's standard input.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/ui/Component.h"
#include "tools/CommandText.h"

namespace fw {
class Edit;
class RichEdit;
}  // namespace fw

namespace orvane {

class TCommandLine : public fw::Component {
 public:
  // box: the command box; results: where output goes; history: the
  // program's list of confirmed lines (it lives as long as the process).
  TCommandLine(fw::Component* owner, fw::Edit* box, fw::RichEdit* results, std::vector<std::string>& history);
  ~TCommandLine() override;

  // The box's key-down: Enter, Up, Down and Escape; the key is left for the box.
  void KeyDown(WORD key);

  // Ends the running captured command and every process it started; the
  // loop then reads what is left and ends as usual.
  void Stop();

  // A captured command is running.
  bool Busy() const noexcept { return m_busy != 0; }
  TCommandRecall& Recall() noexcept { return m_recall; }
  // Identifier of the running captured child (0 when idle).
  DWORD ChildProcessId() const noexcept { return m_childId; }

  // The folder shown in front of a directly started command's line.
  std::function<std::string()> PromptPath;
  // Told when a captured run starts and ends.
  std::function<void(bool busy)> OnBusyChange;

 protected:
  void Notification(fw::Component* component, fw::Operation operation) override;

 private:
  void Enter();
  void RunCaptured(const std::string& line);
  bool Start(const std::string& commandLine);
  void CaptureLoop();
  bool ReadPipe(HANDLE pipe, std::vector<char>& buffer, TChunkJoiner& joiner);
  void FeedInput();
  void Forward(const std::string& line);
  void WriteInput(const std::string& bytes);
  void AppendLine(const std::string& text);
  void EndBatch();
  void SetBoxText(const std::string& text);
  void ClosePipes();

  fw::Edit* m_box;
  fw::RichEdit* m_results;
  TCommandRecall m_recall;
  int m_busy = 0;

  // The three pipes of the running child (read end, write end each); kept
  // here rather than in the run because nested key presses write to the
  // input pipe while the run's loop is further up the stack.
  fw::Handle m_outRead, m_outWrite;
  fw::Handle m_inRead, m_inWrite;
  fw::Handle m_errRead, m_errWrite;
  // The running child, and the job that holds it and whatever it starts.
  fw::Handle m_process, m_thread, m_job;
  DWORD m_childId = 0;
  // Input waiting until the child has taken everything written before: the
  // interpreter reads only the first line of each read, so "exit" and lines
  // typed meanwhile go one at a time, in order.
  std::deque<std::string> m_pendingInput;
  // Appends during the loop are painted together, a few times a second.
  bool m_batchAppends = false;
  bool m_batchOpen = false;
  DWORD m_batchStart = 0;
  // Cleared when this object goes away under its own loop (the loop is
  // further up the stack in that case and must not touch it again).
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace orvane
