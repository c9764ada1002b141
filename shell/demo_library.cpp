#include "shell/demo_library.h"

#include <filesystem>
#include <system_error>

#include "game/cp1252.h"
#include "game/game_store.h"
#include "game/library_copy.h"
#include "shell/command_line.h"
#include "shell/settings_values.h"

namespace gz {

namespace {

namespace stdfs = std::filesystem;

// The canonical path of a folder, or empty.
std::string canonicalFolder(const stdfs::path& p)
{
    std::error_code ec;
    if (!stdfs::is_directory(p, ec))
        return {};
    stdfs::path canonical = stdfs::canonical(p, ec);
    return ec ? std::string() : canonical.string();
}

bool sameFolder(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return stdfs::equivalent(a, b, ec) && !ec;
}

// "... bleiben im schreibgeschützten Ordner „<folder>“: ..." (UTF-8).
std::string staysIn(const std::string& installed)
{
    return "im schreibgeschützten Ordner „" + installed +
           "“: Neue Spiele und Änderungen lassen sich dort nicht speichern.";
}

std::string copyFailedText(const std::string& installed, const std::string& target)
{
    return cp1252::fromUtf8("Die Beispielspiele konnten nicht nach „" + target + "“ kopiert werden. Sie bleiben " +
                            staysIn(installed));
}

std::string noDataFolderText(const std::string& installed)
{
    return cp1252::fromUtf8("Es gibt keinen Ordner für eigene Daten (weder XDG_DATA_HOME noch HOME nennt einen "
                            "absoluten Pfad). Die Beispielspiele bleiben " +
                            staysIn(installed));
}

}  // namespace

std::string findInstalledDemoLibrary(const std::string& programDir)
{
    return programDir.empty() ? std::string() : canonicalFolder(stdfs::path(programDir) / "../share/gamezinko/Games");
}

std::string findDemoLibrary(const std::string& programDir)
{
    if (programDir.empty())
        return {};
    std::string installed = findInstalledDemoLibrary(programDir);
    return installed.empty() ? canonicalFolder(stdfs::path(programDir) / "../demo/Games") : installed;
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

std::string userLibraryFolder(const char* xdgDataHome, const char* home)
{
    const auto withoutSlashes = [](std::string path) {
        while (!path.empty() && path.back() == '/')
            path.pop_back();
        return path;
    };
    if (xdgDataHome && xdgDataHome[0] == '/')
        return withoutSlashes(xdgDataHome) + "/GameZinko/Games";
    if (home && home[0] == '/')
        return withoutSlashes(home) + "/.local/share/GameZinko/Games";
    return {};
}

std::string useWritableLibrary(SettingsBackend& settings, std::vector<std::string>& args,
                               const std::string& installedLibrary, const std::string& userLibrary, FileSystem& fs)
{
    if (installedLibrary.empty())
        return {};
    // The last path argument wins, as the start applies them in order.
    std::string* argument = nullptr;
    for (std::string& a : args) {
        const std::vector<StartAction> actions = parseStartArguments({a});
        if (!actions.empty() && actions.front().kind == StartAction::PicturePath)
            argument = &a;
    }
    const std::string path = argument ? trimPicturePath(*argument) : readViewSettings(settings).picPath;
    if (path.empty() || !sameFolder(path, installedLibrary))
        return {};
    if (userLibrary.empty())
        return noDataFolderText(installedLibrary);
    // A path the settings could not keep would be copied again at every start.
    if (userLibrary.size() > kMaxPicPathBytes)
        return copyFailedText(installedLibrary, userLibrary);
    const LibraryCopyResult copy = copyLibraryOnce(fs, installedLibrary, userLibrary);
    if (copy.result != LibraryCopy::Copied && copy.result != LibraryCopy::TargetInUse)
        return copyFailedText(installedLibrary, userLibrary);
    if (argument) {
        *argument = userLibrary;
    } else {
        SettingsKeyStack key(settings);
        if (key.openRoot({}, KeyMode::Create))
            key.writeString("PicPath", userLibrary);
    }
    return {};
}

}  // namespace gz
