#include "framework/ui/ImageList.h"

namespace fw {

ImageList::ImageList(Component* owner, int width, int height) : Component(owner), m_width(width), m_height(height) {}

void ImageList::SetSize(int width, int height) {
  m_width = width;
  m_height = height;
  m_owned.reset();
  m_shared = nullptr;
}

HIMAGELIST ImageList::Handle() {
  if (m_shared) return m_shared;
  if (!m_owned) m_owned.reset(::ImageList_Create(m_width, m_height, ILC_COLOR32 | ILC_MASK, 8, 8));
  return m_owned.get();
}

void ImageList::ShareHandle(HIMAGELIST list) {
  m_owned.reset();
  m_shared = list;
  if (list) ::ImageList_GetIconSize(list, &m_width, &m_height);
}

int ImageList::Count() { return ::ImageList_GetImageCount(Handle()); }

int ImageList::AddIcon(HICON icon) { return icon ? ::ImageList_AddIcon(Handle(), icon) : -1; }

int ImageList::AddMasked(HBITMAP bitmap, COLORREF mask) {
  return bitmap ? ::ImageList_AddMasked(Handle(), bitmap, mask) : -1;
}

void ImageList::Clear() {
  if (!m_shared && m_owned) ::ImageList_RemoveAll(m_owned.get());
}

void ImageList::Draw(HDC dc, int x, int y, int index, UINT style) {
  if (index >= 0) ::ImageList_Draw(Handle(), index, dc, x, y, style);
}

}  // namespace fw
