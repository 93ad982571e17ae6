#include "cli/options.h"

namespace ridloe::cli {

bool ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> rules, ParsedOptions& out) {
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
    const OptionRule* rule = nullptr;
    for (const OptionRule& s : rules) {
      if (name == s.name || (s.alias && name == s.alias)) rule = &s;
    }
    if (!rule) {
      out.error = "unknown option " + name;
      return false;
    }
    std::string value;
    if (equals != std::string::npos) {
      if (!rule->takesValue) {
        out.error = name + " takes no value";
        return false;
      }
      value = a.substr(equals + 1);
    } else if (rule->takesValue) {
      if (++i == args.size()) {
        out.error = name + " needs a value";
        return false;
      }
      value = args[i];
    }
    out.values[rule->name] = std::move(value);
  }
  return true;
}

}  // namespace ridloe::cli
