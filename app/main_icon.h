// The window icon IDI_MAIN: 32, 48 and 64 pixel images in the resources.
#pragma once

#include <QIcon>

namespace ridloe {

QIcon LoadMainIcon();

}  // namespace ridloe
