#include "tools/LancherList.h"

#include <shellapi.h>

#include <vector>

#include "framework/base/Handle.h"

namespace orvane {
namespace {

bool IsExistingFile(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Blank and tab are both bytes that no Shift-JIS character uses as a trail
// byte, so a byte search finds only real blanks.
bool HasBlank(const std::string& s) { return s.find_first_of(" \t") != std::string::npos; }

bool SystemRun(const std::string& commandLine) { return ::WinExec(commandLine.c_str(), SW_SHOWDEFAULT) > 31; }

// The icon the shell associates with the program, asked for with index 1;
// null when there is none. The call writes into the path buffer.
fw::IconHandle AssociatedIcon(const std::string& path) {
  std::vector<char> buffer(MAX_PATH * 2, '\0');
  lstrcpynA(buffer.data(), path.c_str(), static_cast<int>(buffer.size()));
  WORD index = 1;
  return fw::IconHandle(::ExtractAssociatedIconA(::GetModuleHandleA(nullptr), buffer.data(), &index));
}

}  // namespace

fw::TViewStyle LancherViewStyle(int code) {
  static constexpr fw::TViewStyle kStyles[] = {fw::TViewStyle::vsIcon, fw::TViewStyle::vsSmallIcon,
                                               fw::TViewStyle::vsList, fw::TViewStyle::vsReport};
  return (code >= 0 && code <= 3) ? kStyles[code] : fw::TViewStyle::vsIcon;
}

std::string LancherCommandLine(const std::string& program, const std::string& args) {
  const bool quote = HasBlank(program) && IsExistingFile(program);
  return (quote ? "\"" + program + "\"" : program) + " " + args;
}

TLancherList::TLancherList(fw::ListView* list, fw::ImageList* large, fw::ImageList* small, fw::IniFile& ini,
                           std::string ownPath)
    : m_list(list), m_large(large), m_small(small), m_ini(ini), m_ownPath(std::move(ownPath)), m_runner(SystemRun) {}

void TLancherList::Fill() {
  std::vector<std::string> names;
  m_ini.ReadSection(kLancherSection, names);
  m_list->BeginUpdate();
  m_list->Clear();
  // Each row uses only the icon appended for it, so the old pictures can go.
  m_large->Clear();
  m_small->Clear();
  for (const auto& name : names) {
    const std::string program = m_ini.ReadString(kLancherSection, name, m_ownPath);
    const std::string args = m_ini.ReadString(kLancherArgsSection, name, "");
    fw::ListItem* item = m_list->AddItem(name, {program, args});
    if (fw::IconHandle icon = AssociatedIcon(program)) {
      m_large->AddIcon(icon.get());
      m_small->AddIcon(icon.get());
      item->SetImageIndex(m_large->Count() - 1);
    } else {
      item->SetImageIndex(0);
      item->SetStateIndex(0);
    }
  }
  m_list->EndUpdate();
}

void TLancherList::ApplyStoredViewStyle() {
  const int code = m_ini.ReadInteger(kLancherArgsSection, kLancherStyleKey, 0);
  if (code >= 0 && code <= 3) SetViewStyle(code);
}

void TLancherList::SetViewStyle(int code) {
  if (code >= 0 && code <= 3) m_list->SetViewStyle(LancherViewStyle(code));
}

bool TLancherList::RunSelected() {
  const int row = m_list->ItemIndex();
  if (row < 0) return false;
  m_lastCommandLine = LancherCommandLine(m_list->SubItem(row, 0), m_list->SubItem(row, 1));
  return m_runner ? m_runner(m_lastCommandLine) : false;
}

}  // namespace orvane
