#include "testing/system.h"

#include <iconv.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "testing/mps_builder.h"

namespace ridloe::testing {

const char kNullDevice[] = "/dev/null";

int ProcessId() { return static_cast<int>(::getpid()); }

std::string MakeUniqueFolder(const std::string& prefix) {
  std::string pattern = prefix + "_XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder like " + pattern);
  return pattern;
}

// Through the shell, with the arguments as they stand.
int RunProgram(const std::string& program, const std::string& args, const std::string& folder,
               const std::string& input, const std::string& output, const std::string& error) {
  std::string command = folder.empty() ? "" : "cd '" + folder + "' && ";
  command += "'" + program + "' " + args + " <'" + input + "' >'" + output + "' 2>'" + error + "'";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Cp950FromUtf8(const std::string& utf8) {
  iconv_t cd = iconv_open("CP950", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t converted = iconv(cd, &in, &inLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (converted == static_cast<std::size_t>(-1)) return {};
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace ridloe::testing
