// ridloe.exe: the converter dialog on Windows.
#include "winapp/windows_api.h"
// After windows.h, which it needs.
#include <commctrl.h>

#include <exception>

#include "winapp/converter_dialog.h"
#include "winapp/file_prompts.h"
#include "winapp/registry_settings.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    ridloe::RegistrySettingsStore settings(ridloe::ProgramProfileName());
    ridloe::Win32FilePrompts prompts;
    ridloe::ConverterDialog dialog(settings, prompts);
    dialog.DoModal(instance);
  } catch (const std::exception&) {
    // Nothing to show: the dialog reports no errors, and the settings keep
    // what was stored before.
  }
  return 0;
}
