#pragma once
// Windowed controls: a Control owns one window, knows its parent control, its
// bounds and alignment, applies stored properties when its window is created,
// and turns window messages into events.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/base/Set.h"
#include "framework/ui/Component.h"

namespace fw {

class PopupMenu;
class Form;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = Set<TShiftStateItem>;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Current keyboard modifier state.
TShiftState KeyboardShiftState();
// Shift state from the MK_ flags of a mouse message.
TShiftState MouseShiftState(WPARAM keys);

using TNotifyEvent = std::function<void(Object* sender)>;
using TKeyEvent = std::function<void(Object* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(Object* sender, char& key)>;
using TMouseEvent = std::function<void(Object* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(Object* sender, TShiftState shift, int x, int y)>;
using TContextPopupEvent = std::function<void(Object* sender, POINT mousePos, bool& handled)>;

// What a control asks of CreateWindowEx.
struct CreateParams {
  std::string className;
  std::string caption;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  HMENU menuOrId = nullptr;
  void* param = nullptr;  // `this` for our own window classes, null for system classes
  // For window classes of our own: extra class style and background.
  UINT classStyle = CS_DBLCLKS;
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  HCURSOR cursor = nullptr;
};

class Control : public Component {
 public:
  explicit Control(Component* owner);
  ~Control() override;
  void BeforeDestruction() override;

  // The window; created on demand once the control has a parent with a
  // window (or at once for top-level controls). Null when it cannot exist yet.
  HWND Handle();
  bool HandleAllocated() const noexcept { return m_handle != nullptr; }
  // The control that owns a window of this program, or null.
  static Control* FromHandle(HWND wnd);

  Control* Parent() const noexcept { return m_parent; }
  virtual void SetParent(Control* parent);
  int ControlCount() const noexcept { return static_cast<int>(m_controls.size()); }
  Control* Controls(int i) const { return m_controls.at(static_cast<size_t>(i)); }
  // The form this control sits on, or null.
  Form* ParentForm() const;

  // Bounds relative to the parent's client area (screen for top-level windows).
  int Left() const noexcept { return m_left; }
  int Top() const noexcept { return m_top; }
  int Width() const noexcept { return m_width; }
  int Height() const noexcept { return m_height; }
  void SetLeft(int v) { SetBounds(v, m_top, m_width, m_height); }
  void SetTop(int v) { SetBounds(m_left, v, m_width, m_height); }
  void SetWidth(int v) { SetBounds(m_left, m_top, v, m_height); }
  void SetHeight(int v) { SetBounds(m_left, m_top, m_width, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{m_left, m_top, m_left + m_width, m_top + m_height}; }
  int ClientWidth();
  int ClientHeight();

  TAlign Align() const noexcept { return m_align; }
  virtual void SetAlign(TAlign align);

  bool Visible() const noexcept { return m_visible; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible itself and every parent visible.
  bool Showing() const;

  bool Enabled() const noexcept { return m_enabled; }
  virtual void SetEnabled(bool enabled);

  // The window text (caption of labels, buttons, forms; text of edits).
  virtual std::string GetText() const;
  virtual void SetText(const std::string& text);
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& text) { SetText(text); }

  const std::string& Hint() const noexcept { return m_hint; }
  void SetHint(const std::string& hint) { m_hint = hint; }
  bool ShowHint() const noexcept { return m_showHint; }
  void SetShowHint(bool v) { m_showHint = v; }

  // Font: by default the parent's; a control given a font of its own keeps it.
  void SetFont(const std::string& name, int height, BYTE charset = SHIFTJIS_CHARSET, int weight = FW_NORMAL);
  bool ParentFont() const noexcept { return m_parentFont; }
  HFONT Font() const;

  PopupMenu* GetPopupMenu() const noexcept { return m_popupMenu; }
  void SetPopupMenu(PopupMenu* menu);

  int TabOrder() const noexcept { return m_tabOrder; }
  bool TabStop() const noexcept { return m_tabStop; }
  void SetTabStop(bool v);

  virtual void SetFocus();
  bool Focused() const;
  bool CanFocus() const;

  void Invalidate();
  void Update();
  void Repaint() {
    Invalidate();
    Update();
  }
  void BringToFront();

  // Lays the aligned child controls out again.
  void Realign();
  // Layout suspension while many properties change.
  void DisableAlign() { ++m_alignDisabled; }
  void EnableAlign() {
    if (--m_alignDisabled == 0) Realign();
  }

  // Events.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TContextPopupEvent OnContextPopup;

  // Sends a message to the window (creating it first when possible).
  LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);

  // The procedure the control's messages go through first. By default it is
  // the control's own WndProc; a component that wants to see a control's
  // messages (before or instead of it) installs its own, keeps the previous
  // one to pass messages on, and gives it back when it goes away. Unlike
  // subclassing the window, this survives the window being created later or
  // recreated.
  using WindowMethod = std::function<LRESULT(UINT msg, WPARAM wp, LPARAM lp)>;
  WindowMethod WindowProc();
  // An empty method restores the control's own WndProc.
  void SetWindowProc(WindowMethod method) { m_windowProc = std::move(method); }
  // Passes a message through the installed procedure (what StdWndProc does).
  LRESULT DispatchWindowMessage(UINT msg, WPARAM wp, LPARAM lp);

  // Called by the parent for notifications its window receives about this
  // control's window (WM_COMMAND and WM_NOTIFY are reflected to the child).
  virtual bool CNCommand(WORD code);
  // The same with the command identifier, for controls whose notifications
  // carry several items (a tool bar's buttons); by default calls CNCommand(code).
  virtual bool CNCommandFrom(WORD id, WORD code);
  virtual bool CNNotify(NMHDR* header, LRESULT& result);
  virtual bool CNDrawItem(DRAWITEMSTRUCT* dis);
  virtual bool CNMeasureItem(MEASUREITEMSTRUCT* mis);

 protected:
  virtual void CreateParams(fw::CreateParams& params);
  // Creates the window from CreateParams and applies the stored properties.
  virtual void CreateHandle();
  // After the window exists: apply properties that only a live window can take.
  virtual void CreateWnd();
  // Window procedure of this control; default handling goes to DefaultHandler.
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
  // Raises OnKeyDown/OnKeyUp/OnKeyPress for a key message; a handler may
  // change the key in wp. True when a handler swallowed it (set it to 0).
  bool DoKeyMessage(UINT msg, WPARAM& wp);

  // Client rectangle in which aligned children are placed.
  virtual RECT AlignClientRect();
  // Places the aligned children in rect (in client coordinates).
  virtual void AlignControls(RECT rect);
  virtual void Resized();
  // Keys a control wants to see even inside a dialog (Enter, Escape, arrows).
  virtual UINT DialogCode(UINT defaultCode, const MSG* msg);
  // Whether OnKeyDown sees Enter/Escape: controls with such a handler get them.
  bool m_wantReturns = false;
  // Window class registration for controls that use a class of our own.
  static const char* OwnClassName();
  void ApplyFont();
  void UpdateStoredBounds();
  // Recreates the window (for style changes that need it).
  void RecreateWnd();
  virtual void DestroyHandle();

  HWND m_handle = nullptr;
  WNDPROC m_defWndProc = nullptr;
  Control* m_parent = nullptr;
  std::vector<Control*> m_controls;  // children, not owned (the owner frees them)
  int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
  TAlign m_align = TAlign::alNone;
  bool m_visible = true;
  bool m_enabled = true;
  bool m_tabStop = false;
  int m_tabOrder = 0;
  std::string m_text;
  std::string m_hint;
  bool m_showHint = false;
  PopupMenu* m_popupMenu = nullptr;
  bool m_parentFont = true;
  FontHandle m_font;
  int m_alignDisabled = 0;
  bool m_inAlign = false;
  bool m_creating = false;
  WindowMethod m_windowProc;

  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  void Notification(Component* component, Operation operation) override;

 private:
  void InsertChild(Control* c);
  void RemoveChild(Control* c);
  void CreateChildren();
};

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
// Registers (once) a window class of this program whose windows are Controls;
// CreateParams of such a control sets param = this. Returns name.
const char* RegisterOwnWindowClass(const char* name, UINT style);

// Helpers to read and set a window's text as a std::string.
std::string WindowText(HWND wnd);

}  // namespace fw
