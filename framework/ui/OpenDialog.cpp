#include "framework/ui/OpenDialog.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "framework/base/Mbcs.h"

namespace fw {
namespace {
OpenDialog::ExecuteHook& Hook() {
  static OpenDialog::ExecuteHook hook;
  return hook;
}
}  // namespace

OpenDialog::OpenDialog(Component* owner) : Component(owner) {}

void OpenDialog::SetExecuteHook(ExecuteHook hook) { Hook() = std::move(hook); }

std::string OpenDialog::PlatformFilter(const std::string& filter) {
  // The bar is found as a whole character: a description may hold a
  // double-byte character whose second byte is '|'.
  std::string out;
  std::string_view rest = filter;
  for (;;) {
    std::size_t bar = FindFirstChar(rest, '|');
    out.append(rest.substr(0, bar));
    out.push_back('\0');
    if (bar == std::string_view::npos) break;
    rest = rest.substr(bar + 1);
  }
  out.push_back('\0');
  return out;
}

bool OpenDialog::Execute() {
  if (Hook()) return Hook()(*this);
  std::vector<char> file(MAX_PATH * 4, '\0');
  lstrcpynA(file.data(), m_fileName.c_str(), static_cast<int>(file.size()));
  const std::string filter = m_filter.empty() ? std::string() : PlatformFilter(m_filter);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ::GetActiveWindow();
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = m_initialDir.empty() ? nullptr : m_initialDir.c_str();
  ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameA(&ofn)) return false;
  m_fileName = file.data();
  return true;
}

}  // namespace fw
