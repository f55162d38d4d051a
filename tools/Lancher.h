#pragma once
// The launcher settings dialog.
#include "app/Dialogs.h"

namespace orvane {

class TLancherForm : public DialogForm {
 public:
  explicit TLancherForm(fw::Component* owner) : DialogForm(owner, "LancherForm", "ランチャー設定", 465, 278) {}
};

}  // namespace orvane
