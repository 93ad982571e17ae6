// ridloe.exe: the converter dialog on Windows.
#include "winapp/windows_api.h"
// After windows.h, which it needs.
#include <commctrl.h>

#include <exception>
#include <string>

#include "core/platform/standard_streams.h"
#include "core/platform/paths.h"
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
    // ridloe.exe FILE (a file manager's "Open with") lists FILE at start,
    // made absolute so that the path stored after it lists is found again
    // from whatever folder the next start is made in.
    const std::vector<std::string> args = ridloe::CommandLineArguments(0, nullptr);
    if (!args.empty() && !args.front().empty()) dialog.SetStartFile(ridloe::AbsolutePath(args.front()));
    dialog.DoModal(instance);
  } catch (const std::exception&) {
    // Nothing to show: the dialog reports no errors, and the settings keep
    // what was stored before.
  }
  return 0;
}
