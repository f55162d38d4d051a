#include "framework/ui/Actions.h"

#include <algorithm>

#include "framework/ui/Application.h"
#include "framework/ui/Form.h"

namespace fw {

TShortCut ShortCut(WORD key, TShiftState shift) {
  TShortCut sc = static_cast<TShortCut>(key & 0xFF);
  if (shift.Contains(TShiftStateItem::ssShift)) sc |= scShift;
  if (shift.Contains(TShiftStateItem::ssCtrl)) sc |= scCtrl;
  if (shift.Contains(TShiftStateItem::ssAlt)) sc |= scAlt;
  return sc;
}

std::string ShortCutToText(TShortCut sc) {
  if (sc == scNone) return {};
  std::string s;
  if (sc & scCtrl) s += "Ctrl+";
  if (sc & scShift) s += "Shift+";
  if (sc & scAlt) s += "Alt+";
  WORD key = sc & 0xFF;
  switch (key) {
    case VK_DELETE:
      return s + "Del";
    case VK_INSERT:
      return s + "Ins";
    case VK_RETURN:
      return s + "Enter";
    case VK_ESCAPE:
      return s + "Esc";
    case VK_BACK:
      return s + "BkSp";
    case VK_TAB:
      return s + "Tab";
    case VK_SPACE:
      return s + "Space";
    case VK_HOME:
      return s + "Home";
    case VK_END:
      return s + "End";
    case VK_LEFT:
      return s + "Left";
    case VK_RIGHT:
      return s + "Right";
    case VK_UP:
      return s + "Up";
    case VK_DOWN:
      return s + "Down";
    case VK_PRIOR:
      return s + "PgUp";
    case VK_NEXT:
      return s + "PgDn";
    default:
      break;
  }
  if (key >= VK_F1 && key <= VK_F24) return s + "F" + std::to_string(key - VK_F1 + 1);
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return s + static_cast<char>(key);
  char name[64] = {};
  UINT scan = ::MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  if (::GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name) > 0) return s + name;
  return s + "?";
}

Action::Action(Component* owner) : Component(owner) {}

Action::~Action() {
  SetActionList(nullptr);
  // Clients forget the action through their removal notices.
  m_clients.clear();
}

void Action::SetActionList(ActionList* list) {
  if (m_list == list) return;
  if (m_list) {
    auto& v = m_list->m_actions;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    RemoveFreeNotification(m_list);
  }
  m_list = list;
  if (list) {
    list->m_actions.push_back(this);
    FreeNotification(list);
  }
}

void Action::AddClient(ActionClient* client) {
  if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end()) m_clients.push_back(client);
}

void Action::RemoveClient(ActionClient* client) {
  m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), client), m_clients.end());
}

void Action::Changed() {
  auto clients = m_clients;  // a client may unlink itself while being told
  for (ActionClient* c : clients) c->ActionChanged(this);
}

void Action::SetCaption(const std::string& v) {
  if (m_caption == v) return;
  m_caption = v;
  Changed();
}
void Action::SetHint(const std::string& v) {
  if (m_hint == v) return;
  m_hint = v;
  Changed();
}
void Action::SetShortCut(TShortCut v) {
  if (m_shortCut == v) return;
  m_shortCut = v;
  Changed();
}
void Action::SetEnabled(bool v) {
  if (m_enabled == v) return;
  m_enabled = v;
  Changed();
}
void Action::SetChecked(bool v) {
  if (m_checked == v) return;
  m_checked = v;
  Changed();
}
void Action::SetVisible(bool v) {
  if (m_visible == v) return;
  m_visible = v;
  Changed();
}
void Action::SetImageIndex(int v) {
  if (m_imageIndex == v) return;
  m_imageIndex = v;
  Changed();
}

bool Action::Execute() {
  if (!m_enabled || Destroying()) return false;
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  Control* target = FindTarget();
  if (!target) return false;
  ExecuteTarget(target);
  return true;
}

bool Action::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  if (Destroying()) return false;
  Control* target = FindTarget();
  if (!target) return false;
  UpdateTarget(target);
  return true;
}

bool Action::HandlesTarget(Object*) { return false; }
void Action::UpdateTarget(Object*) {}
void Action::ExecuteTarget(Object*) {}

namespace {
Control* FirstHandled(Action& action, Control* parent, const Control* skip) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    Control* c = parent->Controls(i);
    if (c != skip && action.HandlesTarget(c)) return c;
    if (Control* found = FirstHandled(action, c, skip)) return found;
  }
  return nullptr;
}

Form* OwningForm(const Component* c) {
  for (Component* o = c ? c->Owner() : nullptr; o; o = o->Owner())
    if (auto* f = dynamic_cast<Form*>(o)) return f;
  return nullptr;
}
}  // namespace

Control* Action::FindTarget() {
  // The focus may sit in a control's own child window (a list's in-place
  // editor, a combo box's edit): the nearest window of ours is the candidate.
  Control* focused = nullptr;
  for (HWND w = ::GetFocus(); w && !focused; w = ::GetParent(w)) focused = Control::FromHandle(w);
  if (focused && HandlesTarget(focused)) return focused;
  Form* form = dynamic_cast<Form*>(Control::FromHandle(::GetActiveWindow()));
  if (!form) form = OwningForm(this);
  if (!form) return nullptr;
  return FirstHandled(*this, form, focused);
}

ActionList::ActionList(Component* owner) : Component(owner) {}

ActionList::~ActionList() {
  auto actions = m_actions;
  for (Action* a : actions) a->SetActionList(nullptr);
}

bool ActionList::IsShortCut(TShortCut sc) {
  if (sc == scNone) return false;
  for (Action* a : m_actions) {
    if (a->ShortCut() != sc) continue;
    a->Update();  // the state may depend on what has focus now
    if (a->Enabled()) return a->Execute();
    return false;
  }
  return false;
}

void ActionList::UpdateActions() {
  auto actions = m_actions;
  for (Action* a : actions) a->Update();
}

}  // namespace fw
