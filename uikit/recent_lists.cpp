#include "uikit/recent_lists.h"

#include "uikit/name_filter.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace gz {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    return true;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::vector<std::string> mergeRecentNames(std::string_view current, const std::vector<std::string>& items)
{
    std::vector<std::string> out;
    if (current.empty())
        return out;
    out.emplace_back(current);
    for (const std::string& item : items) {
        if (out.size() >= kRecentNameMaxEntries)
            break;
        if (!item.empty() && item != current)
            out.push_back(item);
    }
    return out;
}

std::optional<std::string> folderListEntry(std::string_view fieldText, std::string_view baseFolder,
                                           const FolderProbe& probe)
{
    std::string text(fieldText.substr(0, kFolderFieldMaxChars));
    if (text.empty())
        return std::nullopt;
    if (text != "/" && isSeparator(text.back()))
        text.pop_back();
    if (!isSeparator(text.front())) {
        std::string base(baseFolder);
        if (base.empty())
            return std::nullopt;
        if (!isSeparator(base.back()))
            base += '/';
        text = base + text;
    }
    auto asFolder = [](std::string f) {
        if (f.empty() || !isSeparator(f.back()))
            f += '/';
        return f;
    };
    switch (probe(text)) {
    case FolderPathKind::Folder:
        return asFolder(text);
    case FolderPathKind::File:
        return text.substr(0, text.find_last_of("/\\") + 1);
    case FolderPathKind::Missing:
        break;
    }
    std::size_t cut = text.find_last_of("/\\");
    if (cut == std::string::npos)
        return std::nullopt;
    std::string above = cut == 0 ? std::string("/") : text.substr(0, cut);
    if (probe(above) == FolderPathKind::Folder)
        return asFolder(above);
    return std::nullopt;
}

void moveFolderToFront(std::vector<std::string>& list, const std::string& folder)
{
    if (folder.empty())
        return;
    if (!list.empty() && samePathIgnoringCase(list.front(), folder))
        return;
    // A deeper folder in first place does not hide the one just chosen: it
    // still goes to the front.
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (startsWithIgnoringCase(list[i], folder)) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    list.insert(list.begin(), folder);
}

std::vector<std::string> pathSuggestions(std::string_view typed, std::size_t maxCount,
                                         const std::atomic<bool>* stop, const std::vector<std::string>& namePatterns)
{
    std::vector<std::string> out;
    std::size_t cut = typed.find_last_of('/');
    if (typed.empty() || cut == std::string_view::npos || maxCount == 0)
        return out;
    std::string folder(typed.substr(0, cut + 1));
    std::string_view prefix = typed.substr(cut + 1);
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied,
                                           ec);
    if (ec)
        return out;
    std::vector<std::string> found;
    for (auto end = std::filesystem::directory_iterator(); it != end; it.increment(ec)) {
        if (ec || (stop && stop->load()))
            break;
        std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::error_code dirEc;
        bool isDir = it->is_directory(dirEc);
        if (!isDir && !matchesNamePatterns(name, namePatterns))
            continue;
        found.push_back(folder + name + (isDir ? "/" : ""));
    }
    std::sort(found.begin(), found.end());
    if (found.size() > maxCount)
        found.resize(maxCount);
    return found;
}

}  // namespace gz
