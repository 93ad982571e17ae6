// Whether two paths name one file, the same on every platform; each platform
// only tells a file's identity.
#include <string>

#include "core/platform/file_access.h"

namespace ridloe {

bool SameFile(const std::string& a, const std::string& b) {
  FileIdentity x, y;
  return IdentityOf(a, x) && IdentityOf(b, y) && x == y;
}

}  // namespace ridloe
