// The main window's tray, about box and help commands.
#include <windows.h>
#include <shellapi.h>

#include "app/About.h"
#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"

namespace orvane {

namespace {
TForm1::ShellOpenFunc& ShellOpen() {
  static TForm1::ShellOpenFunc fn = ::ShellExecuteA;
  return fn;
}

bool IsPlainFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

TForm1::ShellOpenFunc TForm1::SetShellOpenFunc(ShellOpenFunc fn) {
  ShellOpenFunc old = ShellOpen();
  ShellOpen() = fn ? fn : ::ShellExecuteA;
  return old;
}

std::string TForm1::HelpFilePath() { return ExeDir() + "index.html"; }

void TForm1::SetMinTray(bool minTray) {
  if (minTray)
    fw::Application().OnMinimize = [this](fw::Object* s) { IconizeClick(s); };
  else
    fw::Application().OnMinimize = nullptr;
}

void TForm1::IconizeClick(fw::Object*) {
  ShellTrayIcon1->Add();
  // The application's title is the current folder's name: it tells which
  // window the icon stands for.
  ShellTrayIcon1->SetTipHelp(fw::Application().Title());
  // Hidden, not minimised: the icon is the only way back.
  Hide();
}

void TForm1::ShellTrayIcon1MouseDown(fw::Object*) {
  // Any button brings the window back; the window's own state (folder,
  // tabs) was never touched, and the first-show work does not run again.
  Show();
  ShellTrayIcon1->Remove();
  Activate();
}

void TForm1::N2Click(fw::Object*) {
  for (fw::Form* f : fw::Application().Forms())
    if (auto* about = dynamic_cast<TForm2*>(f)) {
      about->ShowModal();
      return;
    }
}

void TForm1::Help2Click(fw::Object*) {
  const std::string path = HelpFilePath();
  // No help file installed: nothing to show, and no message either.
  if (!IsPlainFile(path)) return;
  ShellOpen()(fw::Application().Handle(), nullptr, path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace orvane
