#pragma once
// Image lists: owned ones the program fills, or a shared system list that is
// only borrowed (never destroyed here).
#include <windows.h>
#include <commctrl.h>

#include "framework/base/Handle.h"
#include "framework/ui/Component.h"

namespace fw {

class ImageList : public Component {
 public:
  explicit ImageList(Component* owner, int width = 16, int height = 16);

  int Width() const noexcept { return m_width; }
  int Height() const noexcept { return m_height; }
  // Empties the list and changes the picture size.
  void SetSize(int width, int height);

  HIMAGELIST Handle();
  // Borrows a list owned elsewhere (the shell's system image list): it is
  // used, never destroyed.
  void ShareHandle(HIMAGELIST list);
  bool Shared() const noexcept { return m_shared != nullptr; }

  int Count();
  int AddIcon(HICON icon);  // copies the icon; the caller keeps its own
  int AddMasked(HBITMAP bitmap, COLORREF mask);  // copies the bitmap
  void Clear();
  void Draw(HDC dc, int x, int y, int index, UINT style = ILD_NORMAL);

 private:
  int m_width;
  int m_height;
  ImageListHandle m_owned;
  HIMAGELIST m_shared = nullptr;
};

}  // namespace fw
