#include "app/converter_app.h"

#include "app/converter_dialog.h"
#include "app/file_prompts.h"
#include "app/main_icon.h"
#include "app/settings_store.h"

namespace ridloe {

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  // Names the program to the desktop (its .desktop entry and icon); the
  // settings are named separately, by their organisation and application.
  setApplicationName(QStringLiteral("ridloe"));
  setApplicationVersion(QStringLiteral("1.0"));
  setDesktopFileName(QStringLiteral("ridloe"));
  setWindowIcon(LoadMainIcon());
}

bool ConverterApp::InitInstance() {
  QtSettingsStore settings;
  QtFilePrompts prompts;
  ConverterDialog dialog(settings, prompts);
  prompts.SetOwner(&dialog);
  dialog.DoModal();
  return false;
}

}  // namespace ridloe
