#pragma once
// Actions: one command with its caption, shortcut, state and handlers, shared
// by menu items and tool buttons that show it.
#include <functional>
#include <string>
#include <vector>

#include "framework/ui/Control.h"

namespace fw {

class ImageList;
class ActionList;
class Action;

// Shortcut codes: the virtual key in the low byte, modifiers in the high bits.
using TShortCut = WORD;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(WORD key, TShiftState shift);
// "Ctrl+S", "Shift+Del", "F5", "Alt+F4".
std::string ShortCutToText(TShortCut sc);

// Something that shows an action (a menu item, a tool button).
class ActionClient {
 public:
  virtual void ActionChanged(Action* action) = 0;

 protected:
  ~ActionClient() = default;
};

class Action : public Component {
 public:
  explicit Action(Component* owner);
  ~Action() override;

  const std::string& Caption() const noexcept { return m_caption; }
  void SetCaption(const std::string& v);
  const std::string& Hint() const noexcept { return m_hint; }
  void SetHint(const std::string& v);
  TShortCut ShortCut() const noexcept { return m_shortCut; }
  void SetShortCut(TShortCut v);
  bool Enabled() const noexcept { return m_enabled; }
  void SetEnabled(bool v);
  bool Checked() const noexcept { return m_checked; }
  void SetChecked(bool v);
  bool Visible() const noexcept { return m_visible; }
  void SetVisible(bool v);
  int ImageIndex() const noexcept { return m_imageIndex; }
  void SetImageIndex(int v);

  ActionList* GetActionList() const noexcept { return m_list; }
  void SetActionList(ActionList* list);

  // Runs OnExecute when enabled; without a handler the action looks for a
  // target (FindTarget) and executes on it. True when something ran.
  virtual bool Execute();
  // Runs OnUpdate (idle time); without a handler the action refreshes its
  // state from its target, if it finds one. True when something ran.
  virtual bool Update();

  // Target protocol of actions that act on whatever control the user works
  // in rather than on a fixed handler: the candidates are offered in turn
  // and the first one this action handles is the target.
  virtual bool HandlesTarget(Object* target);
  virtual void UpdateTarget(Object* target);
  virtual void ExecuteTarget(Object* target);
  // The focused control first, then every control of the active form (depth
  // first, in child order). Without an active form of ours the form that
  // owns this action stands in for it. Null when no candidate qualifies.
  Control* FindTarget();

  void AddClient(ActionClient* client);
  void RemoveClient(ActionClient* client);

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

 protected:
  void Changed();

 private:
  std::string m_caption;
  std::string m_hint;
  TShortCut m_shortCut = scNone;
  bool m_enabled = true;
  bool m_checked = false;
  bool m_visible = true;
  int m_imageIndex = -1;
  ActionList* m_list = nullptr;
  std::vector<ActionClient*> m_clients;  // not owned
};

class ActionList : public Component {
 public:
  explicit ActionList(Component* owner);
  ~ActionList() override;

  ImageList* Images() const noexcept { return m_images; }
  void SetImages(ImageList* images) { m_images = images; }

  int ActionCount() const noexcept { return static_cast<int>(m_actions.size()); }
  Action* Actions(int i) const { return m_actions.at(static_cast<size_t>(i)); }

  // Executes the enabled action with this shortcut; true when one ran.
  bool IsShortCut(TShortCut sc);
  // Idle-time state refresh of every action.
  void UpdateActions();

 private:
  friend class Action;
  std::vector<Action*> m_actions;  // not owned: the form owns the actions
  ImageList* m_images = nullptr;
};

}  // namespace fw
