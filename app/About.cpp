#include "app/About.h"

#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "orvane_version.h"

namespace orvane {

namespace {
constexpr int kIconSide = 33;

// The icon drawn on the dialog's face colour into a bitmap of the picture's
// size: the picture box shows bitmaps, and the icon's transparent parts must
// look like the dialog around it.
fw::BitmapHandle IconBitmap(HICON icon) {
  fw::BitmapHandle result;
  if (!icon) return result;
  fw::WindowDC screen(nullptr);
  if (!screen.get()) return result;
  result.reset(::CreateCompatibleBitmap(screen.get(), kIconSide, kIconSide));
  if (!result) return result;
  fw::DCHandle dc(::CreateCompatibleDC(screen.get()));
  if (!dc) return fw::BitmapHandle();
  fw::SelectGuard select(dc.get(), result.get());
  RECT all{0, 0, kIconSide, kIconSide};
  ::FillRect(dc.get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
  ::DrawIconEx(dc.get(), 0, 0, icon, kIconSide, kIconSide, 0, nullptr, DI_NORMAL);
  return result;
}
}  // namespace

TForm2::TForm2(fw::Component* owner) : fw::DialogForm(owner, "Form2", "バージョン情報", 418, 100) {
  DisableAlign();
  Image1 = fw::Make<fw::Image>(this);
  Image1->SetName("Image1");
  Image1->SetParent(this);
  Image1->SetBounds(16, 16, kIconSide, kIconSide);

  Label1 = fw::Make<fw::Label>(this);
  Label1->SetName("Label1");
  Label1->SetParent(this);
  Label1->SetFont("ＭＳ Ｐゴシック", 16, SHIFTJIS_CHARSET, FW_BOLD);
  Label1->SetBounds(64, 16, 250, 20);
  Label1->SetText("OrvaneDesk");

  Label3 = fw::Make<fw::Label>(this);
  Label3->SetName("Label3");
  Label3->SetParent(this);
  Label3->SetBounds(64, 44, 250, 13);
  Label3->SetText(VersionLine());

  Button1 = fw::Make<fw::Button>(this);
  Button1->SetName("Button1");
  Button1->SetParent(this);
  Button1->SetText("OK");
  Button1->SetBounds(330, 66, 75, 25);
  Button1->SetDefault(true);
  Button1->SetCancel(true);
  Button1->OnClick = [this](fw::Object* s) { Button1Click(s); };
  EnableAlign();

  FormCreate(this);
}

std::string TForm2::VersionLine() { return std::string("Version ") + ORVANE_VERSION_TEXT; }

void TForm2::FormCreate(fw::Object*) {
  // The main window exists by now and carries the application's icon.
  fw::Form* main = fw::Application().MainForm();
  HICON icon = main ? main->Icon() : nullptr;
  if (!icon) icon = fw::Application().Icon();
  Image1->SetBitmap(IconBitmap(icon));
}

void TForm2::Button1Click(fw::Object*) { SetModalResult(fw::mrOk); }

}  // namespace orvane
