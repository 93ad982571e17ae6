// The command line and the standard streams of a command-line program.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
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

// Makes the standard streams pass bytes as written: no line-end translation.
void PrepareStandardStreams();

// Writes UTF-8 text to standard output or standard error (`stream` is stdout
// or stderr). A console (Windows) is given whole lines, as UTF-16, so that
// every character reaches it whole; anything else gets the bytes as they
// are, through the C runtime's buffer. False once a write has failed.
bool WriteText(std::FILE* stream, std::string_view text);
// Writes what WriteText keeps of a line not yet ended, then flushes the
// stream; false when a write to it has failed.
bool FlushText(std::FILE* stream);

}  // namespace ridloe
