#include "app/Globals.h"

#include <windows.h>

#include <cstdlib>
#include <memory>

#include "framework/base/Mbcs.h"

namespace orvane {
namespace {
std::unique_ptr<fw::IniFile> g_settings;
std::unique_ptr<fw::IniFile> g_lancherSettings;
std::unique_ptr<std::vector<std::string>> g_history;
std::string g_exePathOverride;

std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}
}  // namespace

const std::string& ExePath() {
  static const std::string path = ModulePath();
  return g_exePathOverride.empty() ? path : g_exePathOverride;
}

void UseProgramLocation(const std::string& exePath) {
  g_exePathOverride = exePath;
  g_settings = std::make_unique<fw::IniFile>(SettingsFileFor(ExePath()));
  g_lancherSettings = std::make_unique<fw::IniFile>(SettingsFileFor(ExePath()));
}

std::vector<std::string>& ProgramArgs() {
  static std::vector<std::string> args = [] {
    std::vector<std::string> a;
    for (int i = 1; i < __argc; ++i) a.emplace_back(__argv[i] ? __argv[i] : "");
    return a;
  }();
  return args;
}

std::string ExeDir() {
  const std::string& p = ExePath();
  std::size_t slash = fw::FindLastChar(p, '\\');
  return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

std::string SettingsFileFor(const std::string& exePath) {
  // The extension starts at the last whole-character dot after the last separator.
  std::size_t slash = fw::FindLastChar(exePath, '\\');
  std::size_t dot = fw::FindLastChar(exePath, '.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return exePath + ".INI";
  return exePath.substr(0, dot) + ".INI";
}

void InitializeGlobals() {
  if (!g_settings) g_settings = std::make_unique<fw::IniFile>(SettingsFileFor(ExePath()));
  if (!g_lancherSettings) g_lancherSettings = std::make_unique<fw::IniFile>(SettingsFileFor(ExePath()));
  if (!g_history) g_history = std::make_unique<std::vector<std::string>>();
}

fw::IniFile& Settings() {
  InitializeGlobals();
  return *g_settings;
}

fw::IniFile& LancherSettings() {
  InitializeGlobals();
  return *g_lancherSettings;
}

std::vector<std::string>& CommandHistory() {
  InitializeGlobals();
  return *g_history;
}

}  // namespace orvane
