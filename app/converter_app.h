// The application object: one QApplication whose start-up runs the converter
// dialog modally and then ends the program.
#pragma once

#include <QApplication>
#include <string>

class QCoreApplication;

namespace ridloe {

// Qt's own texts (the file prompts' titles, buttons, labels and messages) in
// Traditional Chinese whatever the system's locale, as the dialog is:
// qtbase_zh_TW.qm from Qt's translations folder, else from a "translations"
// folder beside the program. False when neither has it; the prompts then
// speak the toolkit's default.
bool InstallQtTranslations(QCoreApplication& app);

class ConverterApp : public QApplication {
  Q_OBJECT

 public:
  ConverterApp(int& argc, char** argv);

  // The whole life of the program: points the settings store at
  // Torva/Melsid, runs the dialog modally, and returns false once it has
  // ended, so no event loop is entered afterwards.
  bool InitInstance();

 private:
  // The file named on the command line (what "Open with" passes), as the
  // bytes the system gave; empty when none was.
  std::string startFile_;
};

}  // namespace ridloe
