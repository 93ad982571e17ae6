// ridloe: the converter dialog.
#include "app/converter_app.h"

int main(int argc, char** argv) {
  ridloe::ConverterApp app(argc, argv);
  app.InitInstance();
  return 0;
}
