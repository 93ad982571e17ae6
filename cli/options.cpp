#include "cli/options.h"

#include <cstring>

namespace ridloe::cli {

bool ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionSpec> specs, ParsedOptions& out) {
  out = ParsedOptions{};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-') {
      out.operands.push_back(a);
      continue;
    }
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : specs) {
      if (a == s.name || (s.alias && a == s.alias)) spec = &s;
    }
    if (!spec) {
      out.error = "unknown option " + a;
      return false;
    }
    std::string value;
    if (spec->takesValue) {
      if (++i == args.size()) {
        out.error = std::string(spec->name) + " needs a value";
        return false;
      }
      value = args[i];
    }
    out.values[spec->name] = std::move(value);
  }
  return true;
}

}  // namespace ridloe::cli
