#pragma once
// The platform's file-open dialog as a component: filter, initial folder and
// the chosen file. Tests answer it through a hook instead of a person.
#include <functional>
#include <string>

#include "framework/ui/Component.h"

namespace fw {

class OpenDialog : public Component {
 public:
  explicit OpenDialog(Component* owner);

  // Pairs of description and pattern separated by '|':
  // "実行ファイル(*.exe)|*.exe|すべて(*.*)|*.*".
  const std::string& Filter() const noexcept { return m_filter; }
  void SetFilter(const std::string& v) { m_filter = v; }
  const std::string& InitialDir() const noexcept { return m_initialDir; }
  void SetInitialDir(const std::string& v) { m_initialDir = v; }
  const std::string& Title() const noexcept { return m_title; }
  void SetTitle(const std::string& v) { m_title = v; }
  // The file chosen by the last Execute that returned true (a full path), or
  // the file to propose.
  const std::string& FileName() const noexcept { return m_fileName; }
  void SetFileName(const std::string& v) { m_fileName = v; }

  // Shows the dialog, owned by the active window; true when a file was chosen.
  bool Execute();

  // While set, Execute calls the hook instead of showing the dialog and
  // returns what it returns; the hook may set FileName as a user would.
  using ExecuteHook = std::function<bool(OpenDialog& dialog)>;
  static void SetExecuteHook(ExecuteHook hook);

  // The filter as the platform wants it: each part ended by a zero byte, the
  // whole ended by a second one.
  static std::string PlatformFilter(const std::string& filter);

 private:
  std::string m_filter;
  std::string m_initialDir;
  std::string m_title;
  std::string m_fileName;
};

}  // namespace fw
