// The command-line client of a running instance: sends one message of the
// frame's interface over the per-user socket and prints the answer.
//   gamezinko --send probe | exit | open PATH | ask-path | received-path |
//             compare PATH | status PANE TEXT
// Returns the process exit code: 0 when an instance answered, 1 when none
// runs, 2 for a usage error.
#pragma once

#include <string>
#include <vector>

namespace gz {

int runMessageClient(const std::vector<std::string>& args, const std::string& serverName);

}  // namespace gz
