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

// Every option of every command, named once: a command's rules and its
// questions to the parsed options use these, so a misspelt name does not
// build.
inline constexpr OptionRule kRaw{"--raw"};
inline constexpr OptionRule kTracks{"--tracks"};
inline constexpr OptionRule kJson{"--json"};
inline constexpr OptionRule kEncoding{"--encoding", nullptr, true};
inline constexpr OptionRule kForce{"--force", "-f"};
inline constexpr OptionRule kOutput{"--output", "-o", true};
inline constexpr OptionRule kTo{"--to", nullptr, true};
inline constexpr OptionRule kNoRoutes{"--no-routes"};

struct ParsedOptions {
  std::map<std::string, std::string> values;  // by the option's name; "" for a flag
  std::vector<std::string> operands;          // the files, in order; "-" is one
  bool help = false;                          // --help or -h was given
  std::string error;                          // why the arguments do not parse

  bool Has(const OptionRule& option) const { return values.count(option.name) != 0; }
  // The value of an option that takes one; "" when it was not given.
  const std::string& Value(const OptionRule& option) const {
    static const std::string kNone;
    const auto found = values.find(option.name);
    return found == values.end() ? kNone : found->second;
  }
};

// Splits `args` into the options of `rules` and the operands; false with
// `error` set for an option that is not known, lacks its value or takes
// none. "--name=value" gives a value in one argument; after "--" every
// argument is an operand. --help and -h are known to every command.
bool ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> rules, ParsedOptions& out);

}  // namespace ridloe::cli
