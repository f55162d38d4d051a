#pragma once
// Splitter: a thin bar between two aligned controls; dragging it resizes the
// aligned control on its side (the one it is aligned against).
#include <windows.h>

#include <functional>

#include "framework/ui/Control.h"

namespace fw {

enum class TResizeStyle { rsNone, rsUpdate };
using TCanResizeEvent = std::function<void(Object* sender, int& newSize, bool& accept)>;

class Splitter : public Control {
 public:
  // Aligned to the left and 3 pixels thick until told otherwise.
  explicit Splitter(Component* owner);

  // The resized control never gets smaller than this, nor does the space
  // that remains for the controls on the other side.
  int MinSize() const noexcept { return m_minSize; }
  void SetMinSize(int v) { m_minSize = v > 0 ? v : 1; }
  // rsUpdate resizes while dragging; rsNone does nothing.
  TResizeStyle ResizeStyle() const noexcept { return m_resizeStyle; }
  void SetResizeStyle(TResizeStyle v) { m_resizeStyle = v; }
  // The control that a drag resizes now, or null.
  Control* Neighbour() const;
  // Keeps the splitter's thickness when it turns from a vertical bar into a
  // horizontal one or back.
  void SetAlign(TAlign align) override;
  bool Dragging() const noexcept { return m_control != nullptr; }

  TCanResizeEvent OnCanResize;
  TNotifyEvent OnMoved;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Notification(Component* component, Operation operation) override;
  virtual bool CanResize(int& newSize);
  virtual void Moved();

 private:
  bool Horizontal() const { return m_align == TAlign::alLeft || m_align == TAlign::alRight; }
  void BeginDrag(int x, int y);
  void DragTo(int x, int y);
  void EndDrag();
  int ParentPos(int x, int y) const;

  int m_minSize = 30;
  TResizeStyle m_resizeStyle = TResizeStyle::rsUpdate;
  Control* m_control = nullptr;  // being resized during a drag
  int m_downPos = 0;
  int m_startSize = 0;
  int m_maxSize = 0;
};

}  // namespace fw
