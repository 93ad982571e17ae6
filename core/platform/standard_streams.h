// The command line and the standard streams of a command-line program.
#pragma once

#include <string>
#include <vector>

namespace ridloe {

// The arguments after the program's name, as UTF-8. Where the system keeps
// the command line in UTF-16 (Windows) they come from there, so that file
// names in any script reach the program whole.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Expands the wildcards * and ? in the last part of each operand, where the
// shell leaves that to the program (Windows: cmd.exe and PowerShell pass
// "*.mps" as it is). An operand that holds no wildcard, or that names
// something as it is typed, stays as it is; one with wildcards becomes the
// files it matches (folders are no operands), in order of name, each behind
// the operand's folder as typed. False, with the first operand that matches
// nothing in `unmatched`, when one matches nothing. Where the shell expands
// them (POSIX systems), the operands stay as they are.
bool ExpandWildcards(std::vector<std::string>& operands, std::string& unmatched);

// Makes the standard streams pass bytes as written: no line-end translation,
// and a console that shows UTF-8.
void PrepareStandardStreams();

}  // namespace ridloe
