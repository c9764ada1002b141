#include "shell/demo_library.h"

#include <filesystem>
#include <system_error>

#include "shell/command_line.h"
#include "shell/settings_values.h"

namespace gz {

std::string findDemoLibrary(const std::string& programDir)
{
    namespace fs = std::filesystem;
    if (programDir.empty())
        return {};
    for (const char* rel : {"../share/gamezinko/Games", "../demo/Games"}) {
        std::error_code ec;
        const fs::path p = fs::path(programDir) / rel;
        if (fs::is_directory(p, ec)) {
            fs::path canonical = fs::canonical(p, ec);
            if (!ec)
                return canonical.string();
        }
    }
    return {};
}

bool useDemoLibraryOnFirstStart(SettingsBackend& settings, const std::vector<std::string>& args,
                                const std::string& demoLibrary)
{
    // A path the settings could not read back would only be a second empty start.
    if (demoLibrary.empty() || demoLibrary.size() > kMaxPicPathBytes)
        return false;
    for (const StartAction& a : parseStartArguments(args))
        if (a.kind == StartAction::PicturePath)
            return false;
    if (!readViewSettings(settings).picPath.empty())
        return false;
    SettingsKeyStack key(settings);
    return key.openRoot({}, KeyMode::Create) && key.writeString("PicPath", demoLibrary);
}

}  // namespace gz
