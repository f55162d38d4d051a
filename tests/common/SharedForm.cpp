#include "tests/common/SharedForm.h"

#include <gtest/gtest.h>

#include "framework/ui/Application.h"
#include "tests/common/MessagePump.h"

namespace testsupport {

namespace {

fw::ComponentPtr<fw::Form>& Shared() {
  static fw::ComponentPtr<fw::Form> form;
  return form;
}

class SharedFormEnvironment : public testing::Environment {
 public:
  void TearDown() override { Shared().reset(); }
};
// Registered with the function below in one unit: a test program that uses
// the form links this unit and so frees the form at its end.
[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new SharedFormEnvironment);

}  // namespace

fw::Form* SharedTestForm(int left, int top, int width, int height) {
  fw::Application().Initialize();
  auto& form = Shared();
  if (!form) {
    form.reset(new fw::Form(nullptr));
    form->SetBorderStyle(fw::TFormBorderStyle::bsNone);
    form->SetBounds(left, top, width, height);
    form->Show();
    PumpFor(30);
  } else {
    form->SetBounds(left, top, width, height);
  }
  return form.get();
}

}  // namespace testsupport
