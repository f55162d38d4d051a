#pragma once
// A fresh folder under the system temporary folder, removed with everything in it.
#include <string>
#include <vector>

namespace testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Full path without a trailing backslash.
  const std::string& Path() const { return m_path; }
  // Path() + "\\" + name
  std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

 private:
  std::string m_path;
};

// Writes bytes to a file (creating folders is the caller's job).
void WriteFile(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Deletes a folder tree (files and subfolders).
void RemoveTree(const std::string& path);
// The names in a folder (files and subfolders, no "." or ".."), sorted.
std::vector<std::string> FolderNames(const std::string& folder);

}  // namespace testsupport
