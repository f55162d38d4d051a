#pragma once
// Answers the platform's modal dialogs (class #32770) of this process from a
// thread of its own by pressing one button, so a test that makes the shell
// ask for confirmation never waits for a person. Gives up after a bounded time.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

class DialogAnswerer {
 public:
  DialogAnswerer(int button, DWORD limitMs);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // How many dialogs were answered with the button.
  int Answered() const { return m_answered; }
  // Captions of every dialog seen, each followed by "|".
  std::string Captions();

 private:
  void Run(DWORD limitMs);

  const int m_button;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_answered{0};
  std::mutex m_mutex;
  std::string m_captions;
  std::thread m_thread;
};

// Wine's recycle bin ($XDG_DATA_HOME/Trash/files, seen through drive Z:);
// empty when the variable is not set.
std::string TrashFolder();
// Whether a file or folder of path's name sits in the recycle bin.
bool InTrash(const std::string& path);

}  // namespace testsupport
