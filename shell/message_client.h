// The command-line client of a running instance: sends one message of the
// frame's interface over the per-user socket and prints the answer.
//   gamezinko --send probe | exit | open PATH | ask-path | received-path |
//             compare PATH | status PANE TEXT
// Arguments come in the locale's UTF-8 and go on the wire in Windows-1252,
// the program's code page; texts that come back are printed in UTF-8.
// Returns the process exit code: 0 when an instance answered, 1 when none
// runs, 2 for a usage error (one line on the error stream, nothing sent).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gz {

// The request frame for the arguments after "--send", or why they are wrong.
struct ClientRequest {
    std::string frame;   // as it goes on the wire; empty for a usage error
    std::string error;   // one line without its end, German
};
ClientRequest clientRequest(const std::vector<std::string>& args);

int runMessageClient(const std::vector<std::string>& args, const std::string& serverName, std::ostream& out,
                     std::ostream& err);
// The same on standard output and standard error.
int runMessageClient(const std::vector<std::string>& args, const std::string& serverName);

}  // namespace gz
