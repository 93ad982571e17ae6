#include "app/converter_app.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/converter_dialog.h"
#include "app/file_prompts.h"
#include "app/main_icon.h"
#include "app/settings_store.h"
#include "core/platform/paths.h"
#include "core/version.h"

namespace ridloe {

bool InstallQtTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"));
  for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath), beside}) {
    if (!translator->load(QStringLiteral("qtbase_zh_TW"), folder)) continue;
    // The prompts name file types in the default locale's language too.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan));
    return QCoreApplication::installTranslator(translator);
  }
  delete translator;
  return false;
}

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  // Names the program to the desktop (its .desktop entry and icon); the
  // settings are named separately, by their organisation and application.
  setApplicationName(QStringLiteral("ridloe"));
  setApplicationVersion(QStringLiteral(RIDLOE_VERSION));
  setDesktopFileName(QStringLiteral("ridloe"));
  setWindowIcon(LoadMainIcon());
  InstallQtTranslations(*this);
  // QApplication has taken its own options out of argv by now. The path is
  // made absolute, so that the one stored after it lists is found again
  // from whatever folder the next start is made in.
  if (argc > 1 && argv[1][0] != '\0') startFile_ = AbsolutePath(argv[1]);
}

bool ConverterApp::InitInstance() {
  QtSettingsStore settings;
  QtFilePrompts prompts;
  ConverterDialog dialog(settings, prompts);
  prompts.SetOwner(&dialog);
  if (!startFile_.empty()) dialog.SetStartFile(startFile_);
  dialog.DoModal();
  return false;
}

}  // namespace ridloe
