#pragma once
// Top-level windows: the main window and dialogs.
#include <functional>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/ui/Control.h"

namespace fw {

class MainMenu;
class ActionList;

// Modal results, as the dialog button identifiers.
enum : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
             mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO };

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TPosition { poDesigned, poScreenCenter, poMainFormCenter, poOwnerFormCenter };
enum class TFormBorderStyle { bsSizeable, bsDialog, bsSingle, bsToolWindow, bsNone };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(Object* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(Object* sender, bool& canClose)>;

class Form : public Control {
 public:
  explicit Form(Component* owner);
  ~Form() override;
  void BeforeDestruction() override;

  // Runs OnCreate; called once by whoever creates the form, after its
  // constructor has built the components (Application::CreateForm does).
  void DoCreate();

  void SetVisible(bool visible) override;
  void SetBounds(int left, int top, int width, int height) override;

  TWindowState WindowState();
  void SetWindowState(TWindowState state);
  // Bounds of the normal (restored) state, also while minimised or maximised.
  RECT NormalBounds();

  TPosition Position() const noexcept { return m_position; }
  void SetPosition(TPosition p) { m_position = p; }
  TFormBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
  void SetBorderStyle(TFormBorderStyle s);

  MainMenu* Menu() const noexcept { return m_menu; }
  void SetMenu(MainMenu* menu);
  // Builds the window's menu bar again (after items were added or changed).
  void RefreshMenu();

  void SetIcon(HICON icon);  // not owned: the icon belongs to the caller (or the module)
  HICON Icon() const noexcept { return m_icon; }

  // Modal dialogs.
  int ShowModal();
  int ModalResult() const noexcept { return m_modalResult; }
  void SetModalResult(int r) { m_modalResult = r; }
  bool IsModal() const noexcept { return m_modal; }
  // Tests answer modal dialogs through this seam: while set, ShowModal calls
  // the hook instead of running a modal loop and returns what it returns. The
  // form exists with all its controls; the hook may set their values and run
  // handlers as a user would.
  using ModalHook = std::function<int(Form& form)>;
  static void SetModalHook(ModalHook hook);
  static const ModalHook& GetModalHook();

  void Close();
  void Activate();
  bool Active() const;

  // The control given focus when the form is activated.
  Control* ActiveControl() const noexcept { return m_activeControl; }
  void SetActiveControl(Control* c);

  // Shortcut keys of the menu and of the action lists on this form.
  bool IsShortCut(WORD key, TShiftState shift);
  void AddActionList(ActionList* list);
  const std::vector<ActionList*>& ActionLists() const noexcept { return m_actionLists; }

  // Events.
  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Notification(Component* component, Operation operation) override;
  void PlaceAtPosition();

 private:
  bool CloseQuery();
  TPosition m_position = TPosition::poDesigned;
  TFormBorderStyle m_borderStyle = TFormBorderStyle::bsSizeable;
  MainMenu* m_menu = nullptr;
  HICON m_icon = nullptr;
  int m_modalResult = mrNone;
  bool m_modal = false;
  bool m_created = false;
  bool m_destroyed = false;
  bool m_shownOnce = false;
  TWindowState m_pendingState = TWindowState::wsNormal;
  Control* m_activeControl = nullptr;
  std::vector<ActionList*> m_actionLists;
};

}  // namespace fw
