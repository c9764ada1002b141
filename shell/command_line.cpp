#include "shell/command_line.h"

namespace gz {

std::vector<StartAction> parseStartArguments(const std::vector<std::string>& args)
{
    std::vector<StartAction> out;
    for (const std::string& a : args) {
        if (!a.empty() && (a[0] == '-' || a[0] == '/')) {
            // A path such as /home/quiz/Games starts with "/" too; only a
            // real folder makes it a path (a switch is one letter after
            // the slash, like /z).
            if (a[0] == '/' && a.size() > 2) {
                out.push_back({StartAction::PicturePath, a});
                continue;
            }
            if (a.size() > 1 && (a[1] == 'z' || a[1] == 'Z'))
                out.push_back({StartAction::FullScreen, {}});
            continue;
        }
        out.push_back({StartAction::PicturePath, a});
    }
    return out;
}

}  // namespace gz
