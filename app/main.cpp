// ridloe: the converter dialog.
#include <cstdio>
#include <exception>
#include <new>

#include "app/converter_app.h"

int main(int argc, char** argv) {
  // Nothing ends the program unreported: running out of memory is one line
  // and a failure like any other.
  try {
    ridloe::ConverterApp app(argc, argv);
    app.InitInstance();
    return 0;
  } catch (const std::bad_alloc&) {
    std::fputs("ridloe: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ridloe: %s\n", e.what());
  }
  return 1;
}
