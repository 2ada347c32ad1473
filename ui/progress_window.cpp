#include "ui/progress_window.h"

namespace vantrel {

HWND& progress_window() {
  static HWND window = nullptr;
  return window;
}

}  // namespace vantrel
