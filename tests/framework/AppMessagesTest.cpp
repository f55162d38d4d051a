// Modal forms, shortcuts through the application's message handling, and
// errors raised in handlers reaching the error box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Menus.h"
#include "framework/ui/StdCtrls.h"
#include "tests/common/MessagePump.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;
using controltest::Place;
using controltest::TestForm;

// Captures the error box while alive.
class MessageBoxCapture {
 public:
  MessageBoxCapture() {
    fw::TApplication::SetMessageBoxHook([this](HWND, const std::string& text, const std::string&, UINT) {
      texts.push_back(text);
      return IDOK;
    });
  }
  ~MessageBoxCapture() { fw::TApplication::SetMessageBoxHook(nullptr); }
  std::vector<std::string> texts;
};

// Holds modifier keys down as far as this thread's key state goes.
class HeldKeys {
 public:
  explicit HeldKeys(std::initializer_list<int> keys) {
    ::GetKeyboardState(m_saved);
    BYTE state[256];
    std::copy(std::begin(m_saved), std::end(m_saved), state);
    for (int k : keys) state[k] |= 0x80;
    ::SetKeyboardState(state);
  }
  ~HeldKeys() { ::SetKeyboardState(m_saved); }

 private:
  BYTE m_saved[256];
};

void PostKey(HWND wnd, WORD key) {
  ::PostMessageA(wnd, WM_KEYDOWN, key, 1);
  ::PostMessageA(wnd, WM_KEYUP, key, 0xC0000001);
  fw::Application().ProcessMessages();
}

TEST(AppMessages, MenuAndActionShortcutsAreDispatchedByTheMessageLoop) {
  Host host;
  fw::Form* form = Host::SharedForm();
  auto* edit = Place<fw::Edit>(host.get(), host.get());
  auto* menu = fw::Make<fw::MainMenu>(host.get());
  auto* file = fw::Make<fw::MenuItem>(host.get());
  file->SetCaption("ファイル(&F)");
  auto* add = fw::Make<fw::MenuItem>(host.get());
  add->SetCaption("栞を追加(&S)");
  add->SetShortCut(fw::scCtrl | 'S');
  int added = 0;
  add->OnClick = [&](fw::Object*) { ++added; };
  file->Add(add);
  menu->Items()->Add(file);
  form->SetMenu(menu);

  auto* list = fw::Make<fw::ActionList>(host.get());
  auto* purge = fw::Make<fw::Action>(host.get());
  purge->SetCaption("完全削除");
  purge->SetShortCut(fw::scShift | VK_DELETE);
  purge->SetActionList(list);
  int purged = 0;
  purge->OnExecute = [&](fw::Object*) { ++purged; };
  form->AddActionList(list);

  std::string typed;
  edit->OnKeyDown = [&](fw::Object*, WORD& key, fw::TShiftState) { typed += static_cast<char>(key); };
  {
    HeldKeys ctrl({VK_CONTROL});
    PostKey(edit->Handle(), 'S');
  }
  EXPECT_EQ(added, 1);
  {
    HeldKeys shift({VK_SHIFT});
    PostKey(edit->Handle(), VK_DELETE);
  }
  EXPECT_EQ(purged, 1);
  // Shortcut keys do not reach the focused control; other keys do.
  PostKey(edit->Handle(), 'S');
  EXPECT_EQ(added, 1);
  EXPECT_EQ(typed, "S");
  // A disabled action's shortcut does nothing.
  purge->SetEnabled(false);
  {
    HeldKeys shift({VK_SHIFT});
    PostKey(edit->Handle(), VK_DELETE);
  }
  EXPECT_EQ(purged, 1);
  form->SetMenu(nullptr);
}

TEST(AppMessages, AnErrorInAShortcutHandlerReachesTheErrorBox) {
  Host host;
  fw::Form* form = Host::SharedForm();
  auto* list = fw::Make<fw::ActionList>(host.get());
  auto* action = fw::Make<fw::Action>(host.get());
  action->SetShortCut(VK_F5);
  action->SetActionList(list);
  action->OnExecute = [](fw::Object*) { throw fw::Exception("C:\\Orvane.INI に書き込めません"); };
  form->AddActionList(list);
  MessageBoxCapture box;
  PostKey(form->Handle(), VK_F5);
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(box.texts[0], "C:\\Orvane.INI に書き込めません");
}

TEST(AppMessages, AnErrorInAControlsEventReachesTheErrorBox) {
  Host host;
  auto* button = Place<fw::Button>(host.get(), host.get());
  button->OnClick = [](fw::Object*) { throw fw::Exception("ファイル a.txt は開けません"); };
  MessageBoxCapture box;
  // The click arrives as a notification through the parent's window procedure.
  ::SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(box.texts[0], "ファイル a.txt は開けません");
}

// A dialog like the name-input one: an edit box, OK and Cancel.
struct Dialog {
  fw::Edit* edit;
  fw::Button* ok;
  fw::Button* cancel;
};

Dialog MakeDialog(fw::Form* form) {
  Dialog d{};
  d.edit = Place<fw::Edit>(form, form);
  d.ok = Place<fw::Button>(form, form);
  d.ok->SetCaption("OK");
  d.ok->SetModalResult(fw::mrOk);
  d.ok->SetDefault(true);
  d.ok->SetTop(40);
  d.cancel = Place<fw::Button>(form, form);
  d.cancel->SetCaption("キャンセル");
  d.cancel->SetModalResult(fw::mrCancel);
  d.cancel->SetCancel(true);
  d.cancel->SetBounds(90, 40, 75, 25);
  return d;
}

TEST(AppMessages, ModalFormsAreAnsweredThroughTheSeam) {
  fw::Application().Initialize();
  fw::ComponentPtr<fw::Form> form(new fw::Form(nullptr));
  Dialog d = MakeDialog(form.get());
  int shown = 0;
  fw::Form::SetModalHook([&](fw::Form& f) {
    ++shown;
    EXPECT_TRUE(f.IsModal());
    EXPECT_TRUE(d.edit->HandleAllocated());
    d.edit->SetText("新しいフォルダ");
    d.ok->Click();
    return f.ModalResult();
  });
  int result = form->ShowModal();
  fw::Form::SetModalHook(nullptr);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(result, fw::mrOk);
  EXPECT_EQ(form->ModalResult(), fw::mrOk);
  EXPECT_FALSE(form->IsModal());
  EXPECT_EQ(d.edit->GetText(), "新しいフォルダ");
}

TEST(AppMessages, EnterAndEscapeInARealModalLoopPressTheDefaultAndCancelButtons) {
  TestForm form(300, 120);
  Dialog d = MakeDialog(form.get());
  int okClicks = 0;
  d.ok->OnClick = [&](fw::Object*) { ++okClicks; };
  form->Handle();
  ::PostMessageA(d.edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(form->ShowModal(), fw::mrCancel);
  EXPECT_EQ(okClicks, 0);
  ::PostMessageA(d.edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(form->ShowModal(), fw::mrOk);
  EXPECT_EQ(okClicks, 1);
  // A click on a button with a modal result ends the loop as well.
  ::PostMessageA(d.cancel->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->ShowModal(), fw::mrCancel);
  EXPECT_FALSE(::IsWindowVisible(form->Handle()));
}

}  // namespace
