#pragma once
// The process's current directory follows the folder the contents list
// shows, and the system neither renames nor deletes a folder that is (or
// holds) a current directory. The tree steps out of such a folder while it
// renames or offers to delete it.
#include <string>

namespace shellcwd {

std::string CurrentDirectory();
// Whether path is folder itself or lies inside it (compared as the system
// compares names: without regard to case).
bool IsSameOrInside(const std::string& path, const std::string& folder);
// "C:\a\b" -> "C:\a"; "C:\a" -> "C:\".
std::string ParentOfPath(const std::string& path);

}  // namespace shellcwd
