// The program's arguments after its name, applied in order: an argument
// starting with "-" or "/" is a switch, and only its second character
// counts ("z" or "Z": full screen); anything else is a picture path for
// this run. "--send" as the first argument turns the program into a client
// of a running instance instead (see message_client.h).
#pragma once

#include <string>
#include <vector>

namespace gz {

struct StartAction {
    enum Kind { FullScreen, PicturePath } kind;
    std::string path;   // PicturePath only
    friend bool operator==(const StartAction&, const StartAction&) = default;
};

std::vector<StartAction> parseStartArguments(const std::vector<std::string>& args);

}  // namespace gz
