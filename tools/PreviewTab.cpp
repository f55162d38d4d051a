#include "tools/PreviewTab.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <utility>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "framework/base/Mbcs.h"
#include "framework/settings/IniFile.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Image.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/StdCtrls.h"
#include "shell/ShellListView.h"
#include "tools/Preview.h"

namespace orvane {
namespace {

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool TextListMatches(std::string list, const std::string& ext) {
  for (;;) {
    // ";" is never the second byte of a two-byte character, so a byte search is safe.
    std::size_t p = list.find(';');
    if (p == std::string::npos || p == 0) return false;
    if (list.compare(0, p, ext) == 0) return true;
    list.erase(0, p + 1);
  }
}

std::string ToBoxLineBreaks(const char* data, std::size_t size) {
  if (const void* zero = std::memchr(data, 0, size))
    size = static_cast<std::size_t>(static_cast<const char*>(zero) - data);
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < size; ++i)
    if (data[i] == '\n' || data[i] == '\r') ++breaks;
  std::string out;
  out.reserve(size + breaks);
  std::size_t run = 0;  // start of the bytes not yet copied
  for (std::size_t i = 0; i < size; ++i) {
    char c = data[i];
    if (c != '\r' && c != '\n') continue;
    out.append(data + run, i - run);
    out += "\r\n";
    if (c == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    run = i + 1;
  }
  out.append(data + run, size - run);
  return out;
}

TPreviewTab::TPreviewTab(fw::Component* owner, fw::PageControl* panel, fw::TabSheet* page,
                         std::function<fw::IniFile&()> settings)
    : fw::Component(owner), m_panel(panel), m_page(page), m_settings(std::move(settings)) {
  SetName("PreviewTab1");
  fw::Component* designer = owner ? owner : this;
  page->DisableAlign();
  Image1 = fw::Make<fw::Image>(designer);
  Image1->SetName("Image1");
  Image1->SetParent(page);
  Image1->SetAlign(fw::TAlign::alLeft);
  Image1->SetWidth(153);

  Splitter4 = fw::Make<fw::Splitter>(designer);
  Splitter4->SetName("Splitter4");
  Splitter4->SetParent(page);
  Splitter4->SetAlign(fw::TAlign::alLeft);
  Splitter4->SetLeft(153);
  Splitter4->SetWidth(3);

  PreMemo = fw::Make<fw::Memo>(designer);
  PreMemo->SetName("PreMemo");
  PreMemo->SetParent(page);
  PreMemo->SetAlign(fw::TAlign::alClient);
  PreMemo->SetScrollBars(fw::TScrollStyle::ssVertical);
  // Files of many megabytes are shown: the box takes as much as it can hold
  // (0 means the largest limit the control has).
  PreMemo->SetMaxLength(0);
  page->EnableAlign();
}

bool TPreviewTab::PageInFront() const {
  return m_panel && m_page && m_panel->Visible() && m_panel->ActivePage() == m_page;
}

void TPreviewTab::SelectItem(TShellListView* list, fw::ListItem* item) {
  // Nothing is read (no settings, no file) unless the page can be seen and
  // exactly one item is selected.
  if (!PageInFront() || !list || !item || list->SelCount() != 1) return;
  TShellFileItem* entry = list->GetFileItem(item->Index());
  if (!entry) return;
  PreviewCaption(entry->GetCaption());
}

void TPreviewTab::PreviewCaption(const std::string& caption) {
  const std::string ext = AsciiLower(ExtractExtension(caption));
  PreMemo->Clear();
  // Folders are shown by the list itself; the picture stays.
  if (DirectoryExists(caption)) return;
  if (TextListMatches(m_settings().ReadString("text", "ext", kDefaultTextExtensions), ext)) {
    LoadText(caption, caption);
    return;
  }
  PreviewPicture(caption);
}

void TPreviewTab::LoadText(const std::string& path, const std::string& caption) {
  // Others may be writing the file (a log); only an exclusive holder keeps us out.
  fw::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > INT_MAX / 2)
    throw fw::Exception(fw::Format("ファイル %s は開けません", caption.c_str()));
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    throw fw::Exception(fw::Format("ファイル %s は開けません", caption.c_str()));
  file.reset();
  PreMemo->SetText(ToBoxLineBreaks(bytes.data(), read));
}

void TPreviewTab::PreviewPicture(const std::string& caption) {
  const std::string folder = m_settings().ReadString("spi", "path", "");
  if (!DirectoryExists(folder)) return;
  SpiLoader loader;
  loader.LoadPlugins(folder);
  std::string tree = TreePath ? TreePath() : std::string();
  if (!tree.empty() && !fw::EndsWithChar(tree, '\\')) tree += '\\';
  if (!loader.ChoosePlugin(tree + caption) || !loader.LoadPicture()) return;
  const SIZE size = loader.PictureSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  // Keep the picture's proportions at the box's current height. A very wide
  // picture is held at the largest extent a window can have, so the layout's
  // sums of positions and sizes cannot overflow.
  constexpr long long kMaxExtent = 32767;
  long long width = static_cast<long long>(Image1->Height()) * size.cx / size.cy;
  Image1->SetWidth(static_cast<int>(width > kMaxExtent ? kMaxExtent : width));
  Image1->SetBitmap(loader.TakePicture());
}

}  // namespace orvane
