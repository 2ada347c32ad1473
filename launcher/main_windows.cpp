// Entry point of vantrel.exe, a GUI-subsystem program: no console.
#include <windows.h>

#include "launcher/main_sequence.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR command_line, int /*show*/) {
  return vantrel::run_launcher(instance, command_line);
}
