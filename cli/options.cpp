#include "cli/options.h"

namespace ridloe::cli {

bool ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionSpec> specs, ParsedOptions& out) {
  out = ParsedOptions{};
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      out.operands.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      out.help = true;
      continue;
    }
    const std::size_t equals = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
    const std::string name = a.substr(0, equals);
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : specs) {
      if (name == s.name || (s.alias && name == s.alias)) spec = &s;
    }
    if (!spec) {
      out.error = "unknown option " + name;
      return false;
    }
    std::string value;
    if (equals != std::string::npos) {
      if (!spec->takesValue) {
        out.error = std::string(spec->name) + " takes no value";
        return false;
      }
      value = a.substr(equals + 1);
    } else if (spec->takesValue) {
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
