#pragma once
// One shown top-level form that every test of a test program places its
// controls on. Without a window manager Wine waits about two seconds
// whenever a shown top-level window goes, so the form is made once, on first
// use, and freed when the test program ends (while the application object
// still exists).
#include "framework/ui/Form.h"

namespace testsupport {

// The shared borderless form, shown, at the bounds given: each caller gets
// the geometry it asked for, whichever test made the form first.
fw::Form* SharedTestForm(int left, int top, int width, int height);

}  // namespace testsupport
