// The application object: one QApplication whose start-up runs the converter
// dialog modally and then ends the program.
#pragma once

#include <QApplication>

namespace ridloe {

class ConverterApp : public QApplication {
  Q_OBJECT

 public:
  ConverterApp(int& argc, char** argv);

  // The whole life of the program: points the settings store at
  // Torva/Melsid, runs the dialog modally, and returns false once it has
  // ended, so no event loop is entered afterwards.
  bool InitInstance();
};

}  // namespace ridloe
