// The command line and the standard streams of a command-line program.
#pragma once

#include <string>
#include <vector>

namespace ridloe {

// The arguments after the program's name, as UTF-8. Where the system keeps
// the command line in UTF-16 (Windows) they come from there, so that file
// names in any script reach the program whole.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes the standard streams pass bytes as written: no line-end translation,
// and a console that shows UTF-8.
void PrepareStandardStreams();

}  // namespace ridloe
