// A console program for the command line's tests and benchmarks: each mode
// behaves like one kind of program a user runs from the command box.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

HANDLE Out() { return ::GetStdHandle(STD_OUTPUT_HANDLE); }
HANDLE Err() { return ::GetStdHandle(STD_ERROR_HANDLE); }

void Write(HANDLE h, const std::string& s) {
  DWORD done = 0;
  for (std::size_t at = 0; at < s.size(); at += done) {
    if (!::WriteFile(h, s.data() + at, static_cast<DWORD>(s.size() - at), &done, nullptr) || done == 0) return;
  }
}

void WaitEvent(const char* name) {
  HANDLE e = ::OpenEventA(SYNCHRONIZE, FALSE, name);
  if (!e) std::exit(3);
  ::WaitForSingleObject(e, 60000);
  ::CloseHandle(e);
}

void SetEventByName(const char* name) {
  if (HANDLE e = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name)) {
    ::SetEvent(e);
    ::CloseHandle(e);
  }
}

// One line of standard input, without its line break; false at its end.
bool ReadLine(std::string& line) {
  line.clear();
  char c;
  DWORD got = 0;
  while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr) && got == 1) {
    if (c == '\n') return true;
    if (c != '\r') line += c;
  }
  return !line.empty();
}

// Lines of 78 characters and CR LF, bytes in all.
std::string Lines(std::size_t bytes) {
  std::string s;
  s.reserve(bytes);
  for (int n = 0; s.size() < bytes; ++n) {
    std::string line = "line " + std::to_string(n) + " ";
    line.resize(78, static_cast<char>('a' + n % 26));
    s += line + "\r\n";
  }
  s.resize(bytes);
  return s;
}

std::string Escaped(const std::string& s) {
  std::string r;
  for (char c : s) r += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  std::string arg = argc > 2 ? argv[2] : "";
  if (mode == "echo") {
    std::string text;
    for (int i = 2; i < argc; ++i) text += (i > 2 ? " " : "") + std::string(argv[i]);
    Write(Out(), text + "\r\n");
  } else if (mode == "both") {
    // Error first, then output, both before the loop looks again.
    WaitEvent(argv[2]);
    Write(Err(), "ERR-LINE");
    Write(Out(), "OUT-LINE");
    SetEventByName(argv[3]);
  } else if (mode == "fill") {
    // Fills both pipes while the reader is held up, then ends at once.
    WaitEvent(argv[2]);
    std::size_t bytes = std::strtoul(argv[3], nullptr, 10);
    Write(Out(), Lines(bytes));
    Write(Err(), Lines(bytes));
  } else if (mode == "big") {
    Write(Out(), Lines(std::strtoul(arg.c_str(), nullptr, 10)));
  } else if (mode == "sjis") {
    // One ASCII byte, then double-byte text whose trail bytes carry lead-byte
    // values, in short lines: wherever a read stops, it may stop mid-character.
    std::string s = "x";
    int count = std::atoi(arg.c_str());
    for (int i = 0; i < count; ++i) s += "亜日本語の表示ソフト亜日本語の表示ソフト" + std::to_string(i % 10) + "\r\n";
    Write(Out(), s);
  } else if (mode == "read2") {
    std::string line;
    for (int i = 0; i < 2 && ReadLine(line); ++i) Write(Out(), "got:" + line + "\r\n");
  } else if (mode == "fakeshell") {
    // Stands in for the interpreter: shows each read of its input on its own,
    // so the order and the grouping of what arrived can be checked.
    WaitEvent(argv[2]);
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buf, sizeof buf, &got, nullptr) && got > 0) {
      std::string chunk(buf, got);
      Write(Out(), "[" + Escaped(chunk) + "]\r\n");
      if (chunk.find("late") != std::string::npos) break;
    }
  } else if (mode == "touch") {
    HANDLE f = ::CreateFileA(arg.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) ::CloseHandle(f);
  } else if (mode == "wait") {
    WaitEvent(argv[2]);
    Write(Out(), "released\r\n");
  } else if (mode == "forever") {
    ::Sleep(INFINITE);
  } else if (mode == "spawn") {
    // Starts a grandchild that never ends, tells its identifier, and never ends itself.
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string cmd = "\"" + std::string(self) + "\" forever";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 4;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    Write(Out(), "grandchild " + std::to_string(pi.dwProcessId) + "\r\n");
    ::Sleep(INFINITE);
  } else if (mode == "cwd") {
    char dir[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, dir);
    Write(Out(), std::string("cwd=") + dir + "\r\n");
  } else {
    Write(Err(), "unknown mode\r\n");
    return 2;
  }
  return 0;
}
