#include "framework/ui/Splitter.h"

#include <windowsx.h>

#include <algorithm>

namespace fw {

Splitter::Splitter(Component* owner) : Control(owner) {
  // 3 pixels either way: the layout stretches the other side, whichever
  // edge the splitter is aligned to.
  m_align = TAlign::alLeft;
  m_width = 3;
  m_height = 3;
}

void Splitter::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = RegisterOwnWindowClass("OrvaneSplitter", CS_DBLCLKS);
}

void Splitter::SetAlign(TAlign align) {
  bool toHorizontal = align == TAlign::alLeft || align == TAlign::alRight;
  bool toVertical = align == TAlign::alTop || align == TAlign::alBottom;
  int thickness = Horizontal() ? m_width : m_height;
  if (toHorizontal && !Horizontal()) m_width = thickness;
  if (toVertical && Horizontal()) m_height = thickness;
  Control::SetAlign(align);
}

Control* Splitter::Neighbour() const {
  if (!m_parent) return nullptr;
  // The control just outside the edge the splitter is aligned against.
  POINT pt{m_left, m_top};
  switch (m_align) {
    case TAlign::alLeft:
      pt.x -= 1;
      break;
    case TAlign::alRight:
      pt.x += m_width;
      break;
    case TAlign::alTop:
      pt.y -= 1;
      break;
    case TAlign::alBottom:
      pt.y += m_height;
      break;
    default:
      return nullptr;
  }
  for (int i = 0; i < m_parent->ControlCount(); ++i) {
    Control* c = m_parent->Controls(i);
    if (c == this || !c->Visible() || !c->Enabled()) continue;
    if (c->Align() == TAlign::alNone || c->Align() == TAlign::alClient) continue;
    RECT r = c->BoundsRect();
    // A control squeezed to nothing still counts as lying at its edge.
    if (r.right == r.left) (m_align == TAlign::alLeft || m_align == TAlign::alTop) ? --r.left : ++r.right;
    if (r.bottom == r.top) (m_align == TAlign::alLeft || m_align == TAlign::alTop) ? --r.top : ++r.bottom;
    if (::PtInRect(&r, pt)) return c;
  }
  return nullptr;
}

int Splitter::ParentPos(int x, int y) const { return Horizontal() ? m_left + x : m_top + y; }

void Splitter::BeginDrag(int x, int y) {
  Control* c = Neighbour();
  if (!c || m_resizeStyle == TResizeStyle::rsNone) return;
  m_control = c;
  FreeNotification(c);
  m_downPos = ParentPos(x, y);
  bool horizontal = Horizontal();
  m_startSize = horizontal ? c->Width() : c->Height();
  // The most the control may take: what the other controls on this axis
  // (the splitter among them) leave, less the minimum for the rest.
  m_maxSize = (horizontal ? m_parent->ClientWidth() : m_parent->ClientHeight()) - m_minSize;
  for (int i = 0; i < m_parent->ControlCount(); ++i) {
    Control* o = m_parent->Controls(i);
    if (!o->Visible()) continue;
    if (horizontal && (o->Align() == TAlign::alLeft || o->Align() == TAlign::alRight)) m_maxSize -= o->Width();
    if (!horizontal && (o->Align() == TAlign::alTop || o->Align() == TAlign::alBottom)) m_maxSize -= o->Height();
  }
  m_maxSize += m_startSize;
  ::SetCapture(m_handle);
}

void Splitter::DragTo(int x, int y) {
  if (!m_control) return;
  int split = ParentPos(x, y) - m_downPos;
  int size = (m_align == TAlign::alLeft || m_align == TAlign::alTop) ? m_startSize + split : m_startSize - split;
  size = std::max(std::min(size, m_maxSize), m_minSize);
  int current = Horizontal() ? m_control->Width() : m_control->Height();
  if (size == current || !CanResize(size)) return;
  if (Horizontal())
    m_control->SetWidth(size);
  else
    m_control->SetHeight(size);
}

void Splitter::EndDrag() {
  if (!m_control) return;
  RemoveFreeNotification(m_control);
  m_control = nullptr;
  if (::GetCapture() == m_handle) ::ReleaseCapture();
  Moved();
}

bool Splitter::CanResize(int& newSize) {
  bool accept = true;
  if (OnCanResize) OnCanResize(this, newSize, accept);
  return accept;
}

void Splitter::Moved() {
  if (OnMoved) OnMoved(this);
}

void Splitter::Notification(Component* component, Operation operation) {
  Control::Notification(component, operation);
  if (operation == Operation::opRemove && component == m_control) m_control = nullptr;
}

LRESULT Splitter::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        ::SetCursor(::LoadCursorA(nullptr, Horizontal() ? IDC_SIZEWE : IDC_SIZENS));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      BeginDrag(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;
    case WM_MOUSEMOVE:
      DragTo(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;
    case WM_LBUTTONUP:
      DragTo(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      EndDrag();
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != m_handle) EndDrag();
      break;
    default:
      break;
  }
  return Control::WndProc(msg, wp, lp);
}

}  // namespace fw
