// The main window's tray, about box and help commands, in-process. The tray
// calls pass through a recorder that also hands them to the real shell, so
// Wine's answer to NIM_MODIFY tells whether the icon is really there.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "app/About.h"
#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

using orvane::TForm1;
using orvane::TForm2;

struct NotifyCall {
  DWORD message;
  UINT id;
  std::string tip;
  bool hasIcon;
};
std::vector<NotifyCall>& NotifyCalls() {
  static std::vector<NotifyCall> calls;
  return calls;
}
BOOL WINAPI RecordNotify(DWORD message, PNOTIFYICONDATAA data) {
  NotifyCalls().push_back({message, data->uID, data->szTip, data->hIcon != nullptr});
  return ::Shell_NotifyIconA(message, data);
}

struct OpenCall {
  HWND owner;
  bool verbNull;
  std::string file;
  bool paramsNull;
  int show;
};
std::vector<OpenCall>& OpenCalls() {
  static std::vector<OpenCall> calls;
  return calls;
}
HINSTANCE WINAPI RecordOpen(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR, INT show) {
  OpenCalls().push_back({owner, verb == nullptr, file ? file : "", params == nullptr, show});
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

// Whether the shell holds an icon with this window and id: Wine answers a
// modification only for an icon that was added and not deleted.
bool ShellHasIcon(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = TShellTrayIcon::kIconId;
  return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

int Count(DWORD message) {
  int n = 0;
  for (const NotifyCall& c : NotifyCalls()) n += c.message == message;
  return n;
}

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    ::CreateDirectoryA((m_dir / "写真ソ").c_str(), nullptr);
    NotifyCalls().clear();
    OpenCalls().clear();
    m_oldNotify = TShellTrayIcon::SetNotifyIconFunc(&RecordNotify);
    m_oldOpen = TForm1::SetShellOpenFunc(&RecordOpen);
  }
  void TearDown() override {
    if (m_form) fw::Application().DestroyForms();
    m_form = nullptr;
    fw::Form::SetModalHook(nullptr);
    TShellTrayIcon::SetNotifyIconFunc(m_oldNotify);
    TForm1::SetShellOpenFunc(m_oldOpen);
    orvane::ProgramArgs().clear();
  }

  TForm1* Create(const std::string& ini = "") {
    if (!ini.empty()) testsupport::WriteFile(m_dir / "Orvane.INI", ini);
    orvane::ProgramArgs() = {m_dir / "写真ソ"};
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(50);
    return m_form;
  }
  HWND Window() const { return m_form->Handle(); }
  HWND TrayWindow() const { return m_form->ShellTrayIcon1->MessageWindow(); }
  // What the shell posts for a button released over the icon.
  void ReleaseOnIcon(UINT mouseMessage) {
    ::PostMessageA(TrayWindow(), TShellTrayIcon::kCallbackMessage, TShellTrayIcon::kIconId, mouseMessage);
    testsupport::PumpUntil([this] { return ::IsWindowVisible(Window()) != FALSE; }, 3000);
  }
  void ExpectHiddenInTray() {
    EXPECT_FALSE(::IsWindowVisible(Window()));
    EXPECT_TRUE(m_form->ShellTrayIcon1->GetRegistered());
    EXPECT_TRUE(ShellHasIcon(TrayWindow()));
  }
  void ExpectShownWithoutIcon() {
    EXPECT_TRUE(::IsWindowVisible(Window()));
    EXPECT_FALSE(::IsIconic(Window()));
    EXPECT_FALSE(m_form->ShellTrayIcon1->GetRegistered());
    EXPECT_FALSE(ShellHasIcon(TrayWindow()));
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
  TShellTrayIcon::NotifyIconFunc m_oldNotify = nullptr;
  TForm1::ShellOpenFunc m_oldOpen = nullptr;
};

TEST_F(TrayTest, StartUpGivesTheIconItsPictureButDoesNotShowIt) {
  Create();
  EXPECT_NE(m_form->ShellTrayIcon1->GetIcon(), nullptr);
  EXPECT_FALSE(m_form->ShellTrayIcon1->GetRegistered());
  EXPECT_TRUE(NotifyCalls().empty());
  EXPECT_FALSE(ShellHasIcon(TrayWindow()));
}

TEST_F(TrayTest, IconiseHidesWithFolderTipAndAnyButtonReleaseBringsItBack) {
  Create();
  ASSERT_EQ(m_form->Caption(), "写真ソ");
  for (UINT button : {WM_LBUTTONUP, WM_RBUTTONUP}) {
    SCOPED_TRACE(button);
    NotifyCalls().clear();
    m_form->IconizeClick(nullptr);
    testsupport::PumpFor(20);
    ExpectHiddenInTray();
    // Hidden, not minimised: showing it again needs no restore.
    EXPECT_FALSE(::IsIconic(Window()));
    ASSERT_FALSE(NotifyCalls().empty());
    EXPECT_EQ(NotifyCalls().front().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(NotifyCalls().front().hasIcon);
    EXPECT_EQ(NotifyCalls().back().tip, "写真ソ");
    ReleaseOnIcon(button);
    ExpectShownWithoutIcon();
    EXPECT_EQ(Count(NIM_DELETE), 1);
  }
  // The folder is what it was: hiding and showing leave the window's state alone.
  EXPECT_EQ(m_form->TreePath(), m_dir / "写真ソ");
}

TEST_F(TrayTest, TipNamesTheFolderCurrentWhenHidden) {
  ::CreateDirectoryA((m_dir / "next").c_str(), nullptr);
  Create();
  m_form->TreeSetPath(m_dir / "next");
  m_form->IconizeClick(nullptr);
  EXPECT_EQ(m_form->ShellTrayIcon1->GetTipHelp(), "next");
  EXPECT_EQ(NotifyCalls().back().tip, "next");
  ReleaseOnIcon(WM_LBUTTONUP);
}

TEST_F(TrayTest, MinTrayMakesMinimisingHideIntoTheTrayAndCanBeSwitchedOff) {
  Create("[column]\r\nMinTray=1\r\n");
  ::SendMessageA(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  testsupport::PumpFor(20);
  ExpectHiddenInTray();
  ReleaseOnIcon(WM_RBUTTONUP);
  ExpectShownWithoutIcon();

  // Switched off at once: minimising is ordinary again.
  m_form->SetMinTray(false);
  ::SendMessageA(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  testsupport::PumpFor(20);
  EXPECT_TRUE(::IsIconic(Window()));
  EXPECT_FALSE(m_form->ShellTrayIcon1->GetRegistered());
  EXPECT_EQ(Count(NIM_ADD), 1);
  ::ShowWindow(Window(), SW_RESTORE);

  // And on again.
  m_form->SetMinTray(true);
  ::SendMessageA(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  testsupport::PumpFor(20);
  ExpectHiddenInTray();
  ReleaseOnIcon(WM_LBUTTONUP);
  ExpectShownWithoutIcon();
}

TEST_F(TrayTest, WithoutMinTrayMinimisingLeavesTheTrayAlone) {
  Create();
  ::SendMessageA(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  testsupport::PumpFor(20);
  EXPECT_TRUE(::IsIconic(Window()));
  EXPECT_TRUE(NotifyCalls().empty());
}

TEST_F(TrayTest, AboutBoxShowsIconNameAndVersionAndClosesWithOk) {
  Create();
  auto* about = fw::Application().CreateForm<TForm2>();
  EXPECT_EQ(about->Name(), "Form2");
  EXPECT_EQ(about->Caption(), "バージョン情報");
  EXPECT_EQ(about->Label1->GetText(), "OrvaneDesk");
  EXPECT_EQ(about->Label3->GetText(), "Version 1.10");
  LOGFONTA lf{};
  ASSERT_NE(::GetObjectA(about->Label1->Font(), sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfHeight, -16);

  // The picture is the main window's icon drawn at 33 x 33: not all one colour.
  ASSERT_FALSE(about->Image1->Empty());
  EXPECT_EQ(about->Image1->PictureSize().cx, 33);
  EXPECT_EQ(about->Image1->PictureSize().cy, 33);
  {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, about->Image1->Bitmap());
    const COLORREF corner = ::GetPixel(dc, 0, 0);
    int differing = 0;
    for (int y = 0; y < 33; ++y)
      for (int x = 0; x < 33; ++x) differing += ::GetPixel(dc, x, y) != corner;
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    EXPECT_GT(differing, 50);
  }

  RECT client{};
  ::GetClientRect(about->Handle(), &client);
  EXPECT_EQ(client.right, 418);
  EXPECT_EQ(client.bottom, 100);

  // The menu command shows it modally; its OK button closes it with OK.
  int shown = 0;
  fw::Form::SetModalHook([&](fw::Form& form) {
    ++shown;
    EXPECT_EQ(&form, about);
    about->Button1->Click();
    return form.ModalResult();
  });
  m_form->N2Click(nullptr);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(about->ModalResult(), fw::mrOk);
}

TEST_F(TrayTest, HelpOpensTheFileBesideTheProgramOnlyWhenItExists) {
  Create();
  const std::string help = m_dir / "index.html";
  EXPECT_EQ(TForm1::HelpFilePath(), help);
  m_form->Help2Click(nullptr);
  EXPECT_TRUE(OpenCalls().empty());
  // A folder of that name is no help file either.
  ::CreateDirectoryA(help.c_str(), nullptr);
  m_form->Help2Click(nullptr);
  EXPECT_TRUE(OpenCalls().empty());
  ::RemoveDirectoryA(help.c_str());

  testsupport::WriteFile(help, "<html></html>");
  m_form->Help2Click(nullptr);
  ASSERT_EQ(OpenCalls().size(), 1u);
  const OpenCall& call = OpenCalls().front();
  EXPECT_EQ(call.file, help);
  EXPECT_TRUE(call.verbNull);
  EXPECT_TRUE(call.paramsNull);
  EXPECT_EQ(call.show, SW_SHOWDEFAULT);
  EXPECT_EQ(call.owner, fw::Application().Handle());
}

}  // namespace
