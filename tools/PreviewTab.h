#pragma once
// The preview tool tab: shows the file selected in the contents list, text
// files (chosen by a list of extensions) in a text box and pictures in a
// picture box, decoded by the built-in readers or by Susie plug-ins.
// Nothing is cached: every qualifying selection reads the settings and
// loads and unloads the plug-ins afresh.
#include <functional>
#include <string>

#include "framework/ui/Component.h"

namespace fw {
class Image;
class IniFile;
class ListItem;
class Memo;
class PageControl;
class Splitter;
class TabSheet;
}  // namespace fw

class TShellListView;

namespace orvane {

// Default of the text extension list ("ext" of section "text").
inline constexpr const char* kDefaultTextExtensions = ".txt;.htm;.html;.ini;";

// Walks the extension list: entries each followed by ";" are compared with
// ext exactly (case-sensitive); an entry without its ";" is never compared,
// and an empty entry ends the list.
bool TextListMatches(std::string list, const std::string& ext);

// Text as the text box shows it: every line break (CR LF, lone CR or lone
// LF) becomes CR LF, and the text ends at a zero byte (the box would stop
// there anyway).
std::string ToBoxLineBreaks(const char* data, std::size_t size);

class TPreviewTab : public fw::Component {
 public:
  // Builds the page's controls on page, which is one page of panel; the
  // components belong to owner (the form), under their designer names.
  // settings gives the settings object at the moment of each preview (the
  // program may point its files elsewhere meanwhile).
  TPreviewTab(fw::Component* owner, fw::PageControl* panel, fw::TabSheet* page, std::function<fw::IniFile&()> settings);

  fw::Image* Image1;
  fw::Splitter* Splitter4;
  fw::Memo* PreMemo;

  // The folder tree's current path: pictures are opened below it.
  std::function<std::string()> TreePath;

  // The contents list's selection event (the selected flag is not looked at).
  void SelectItem(TShellListView* list, fw::ListItem* item);
  // The panel is shown with the preview page in front.
  bool PageInFront() const;
  // Previews the list entry with this caption (the steps after the checks
  // of the selection event).
  void PreviewCaption(const std::string& caption);
  // Loads a text file (relative to the current directory) into the text
  // box; raises the file-open error naming caption when it cannot be read.
  void LoadText(const std::string& path, const std::string& caption);

 private:
  void PreviewPicture(const std::string& caption);

  fw::PageControl* m_panel;
  fw::TabSheet* m_page;
  std::function<fw::IniFile&()> m_settings;
};

}  // namespace orvane
