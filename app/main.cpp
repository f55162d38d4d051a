// Program entry of Orvane.
#include <windows.h>

#include "app/About.h"
#include "app/Folder.h"
#include "app/Globals.h"
#include "app/Option.h"
#include "app/Unitl01.h"
#include "shell/ShellCtrlList.h"
#include "framework/threading/Thread.h"
#include "framework/ui/Application.h"
#include "shell/Shellidfunc.h"
#include "tools/Lancher.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // What the units set up before the program proper runs: the settings
  // objects and the command history, OLE and the shell allocator, and the
  // window that serves worker threads' calls on this thread.
  orvane::InitializeGlobals();
  ShellidfuncScope shell;
  fw::InitThreadSync();
  fw::SetThreadExceptionHandler([](const std::exception& e) { fw::Application().HandleException(e); });

  fw::TApplication& app = fw::Application();
  try {
    app.Initialize();
    SetShellApplicationWindow(app.Handle());
    ShellctrlsInitialize();
    app.SetTitle("OrvaneDesk");
    // TForm1 first: it becomes the main window, and the about box copies its icon.
    app.CreateForm<orvane::TForm1>();
    app.CreateForm<orvane::TForm2>();
    app.CreateForm<orvane::TForm3>();
    app.CreateForm<orvane::TOptionF>();
    app.CreateForm<orvane::TLancherForm>(orvane::LancherSettings());
    app.Run();
  } catch (const std::exception& e) {
    app.ShowException(e);
  }
  // Windows still alive (after an error above) write their state back now.
  try {
    app.DestroyForms();
  } catch (const std::exception& e) {
    app.ShowException(e);
  }
  return 0;
}
