#include "app/main_icon.h"

// The resources live in a static library: name them so the linker keeps them.
static void InitResources() { Q_INIT_RESOURCE(ridloe); }

namespace ridloe {

QIcon LoadMainIcon() {
  InitResources();
  QIcon icon;
  for (int size : {32, 48, 64}) {
    icon.addFile(QStringLiteral(":/icons/IDI_MAIN-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace ridloe
