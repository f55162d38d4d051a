#include "tests/common/TempDir.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  static LONG counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%sorvane-test-%lu-%ld", tmp, ::GetCurrentProcessId(),
                  ::InterlockedIncrement(&counter));
    if (::CreateDirectoryA(name, nullptr)) {
      m_path = name;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() { RemoveTree(m_path); }

void WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
  DWORD done = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  ::CloseHandle(h);
}

std::string ReadFile(const std::string& path) {
  HANDLE h =
      ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
  ::CloseHandle(h);
  return out;
}

void RemoveTree(const std::string& path) {
  if (path.empty()) return;
  WIN32_FIND_DATAA fd;
  HANDLE f = ::FindFirstFileA((path + "\\*").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n == "." || n == "..") continue;
      std::string full = path + "\\" + n;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(full.c_str());
      }
    } while (::FindNextFileA(f, &fd));
    ::FindClose(f);
  }
  ::RemoveDirectoryA(path.c_str());
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = fd.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (::FindNextFileA(find, &fd));
  ::FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testsupport
