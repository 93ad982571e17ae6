// The command line of one ridloe-cli command: its options and its operands.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace ridloe::cli {

struct OptionRule {
  const char* name;             // "--encoding"
  const char* alias = nullptr;  // "-o", or null
  bool takesValue = false;      // its value follows as the next argument, or after "="
};

struct ParsedOptions {
  std::map<std::string, std::string> values;  // by the option's name; "" for a flag
  std::vector<std::string> operands;          // the files, in order; "-" is one
  bool help = false;                          // --help or -h was given
  std::string error;                          // why the arguments do not parse

  bool Has(const char* name) const { return values.count(name) != 0; }
  const std::string& Value(const char* name) const { return values.at(name); }
};

// Splits `args` into the options of `rules` and the operands; false with
// `error` set for an option that is not known, lacks its value or takes
// none. "--name=value" gives a value in one argument; after "--" every
// argument is an operand. --help and -h are known to every command.
bool ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> rules, ParsedOptions& out);

}  // namespace ridloe::cli
