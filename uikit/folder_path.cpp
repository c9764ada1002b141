#include "uikit/folder_path.h"

#include <filesystem>
#include <system_error>

namespace gz {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Splits at "/" without empty parts.
std::vector<std::string_view> components(std::string_view p)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < p.size()) {
        while (i < p.size() && p[i] == '/')
            ++i;
        std::size_t j = i;
        while (j < p.size() && p[j] != '/')
            ++j;
        if (j > i)
            out.push_back(p.substr(i, j - i));
        i = j;
    }
    return out;
}

}  // namespace

bool isNetworkPath(std::string_view path)
{
    return path.size() >= 2 && path[0] == '/' && path[1] == '/' && (path.size() == 2 || path[2] != '/');
}

std::string normalizeFolderPath(std::string_view text, std::string_view currentDir)
{
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    std::string p(text.substr(start));
    for (char& c : p)
        if (c == '\\')
            c = '/';
    // Trailing blanks go first so that "a/ " loses its separator as well.
    while (!p.empty() && isBlank(p.back()))
        p.pop_back();
    if (p.empty())
        return {};

    bool network = isNetworkPath(p);
    std::string root = network ? "//" : "/";
    std::vector<std::string_view> parts;
    std::string base;
    if (p[0] != '/') {
        base = std::string(currentDir);
        for (char& c : base)
            if (c == '\\')
                c = '/';
        network = isNetworkPath(base);
        root = network ? "//" : "/";
        parts = components(base);
    }
    for (std::string_view part : components(p)) {
        if (part == ".")
            continue;
        if (part == "..") {
            // A network path keeps its host: ".." never climbs above "//host".
            if (!parts.empty() && !(network && parts.size() == 1))
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '/';
        out += parts[i];
    }
    std::size_t keep = network ? 2 : 1;
    while (out.size() > keep && (out.back() == '/' || isBlank(out.back())))
        out.pop_back();
    return out;
}

std::string parentFolder(std::string_view path)
{
    if (path.empty() || path == "/" || path == "//")
        return {};
    std::size_t cut = path.find_last_of('/');
    if (cut == std::string_view::npos)
        return {};
    if (isNetworkPath(path) && cut < 2)
        return "//";
    if (cut == 0)
        return "/";
    return std::string(path.substr(0, cut));
}

std::vector<std::string> folderChain(std::string_view path)
{
    std::vector<std::string> chain;
    for (std::string p(path); !p.empty(); p = parentFolder(p))
        chain.insert(chain.begin(), p);
    return chain;
}

std::vector<PathSegment> pathSegments(std::string_view path)
{
    std::vector<PathSegment> out;
    for (const std::string& folder : folderChain(path)) {
        if (folder == "/" || folder == "//") {
            out.push_back({folder, folder});
            continue;
        }
        std::size_t cut = folder.find_last_of('/');
        out.push_back({folder.substr(cut + 1), folder});
    }
    return out;
}

std::string withoutTrailingSeparator(std::string_view path)
{
    std::string out(path);
    if (out.size() > 1 && out.back() == '/' && out != "//")
        out.pop_back();
    return out;
}

bool samePathIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string childFolder(std::string_view parent, std::string_view name)
{
    std::string out(parent);
    if (out.empty() || out.back() != '/')
        out += '/';
    out += name;
    return out;
}

namespace {

// True when `root` is `path` or a folder above it.
bool isAtOrAbove(std::string_view root, std::string_view path, bool ignoreCase)
{
    if (root.empty() || root.size() > path.size())
        return false;
    std::string_view head = path.substr(0, root.size());
    if (ignoreCase ? !samePathIgnoringCase(head, root) : head != root)
        return false;
    return path.size() == root.size() || root.back() == '/' || path[root.size()] == '/';
}

}  // namespace

std::string resolveNetworkPath(std::string_view path, const std::vector<NetworkMount>& mounts)
{
    if (!isNetworkPath(path))
        return std::string(path);
    const NetworkMount* best = nullptr;
    for (const NetworkMount& m : mounts) {
        std::string share = normalizeFolderPath(m.share, "/");
        if (!isNetworkPath(share) || share == "//" || m.mountPoint.empty())
            continue;
        if (isAtOrAbove(share, path, true) && (!best || share.size() > best->share.size()))
            best = &m;
    }
    if (!best)
        return {};
    std::string share = normalizeFolderPath(best->share, "/");
    std::string rest(path.substr(share.size()));
    std::string out = normalizeFolderPath(best->mountPoint, "/");
    if (!rest.empty())
        out = normalizeFolderPath(out + rest, "/");
    return out;
}

std::string networkShareOfDevice(std::string_view fsType, std::string_view device)
{
    std::string d(device);
    for (char& c : d)
        if (c == '\\')
            c = '/';
    if (isNetworkPath(d) && d.size() > 2)
        return normalizeFolderPath(d, "/");
    if (fsType.substr(0, 3) == "nfs") {
        std::size_t colon = d.find(':');
        if (colon != std::string::npos && colon > 0 && colon + 1 < d.size() && d[colon + 1] == '/')
            return normalizeFolderPath("//" + d.substr(0, colon) + d.substr(colon + 1), "/");
    }
    return {};
}

int containingRoot(std::string_view path, const std::vector<std::string>& roots)
{
    int best = -1;
    const bool network = isNetworkPath(path);
    for (std::size_t i = 0; i < roots.size(); ++i)
        if (isNetworkPath(roots[i]) == network && isAtOrAbove(roots[i], path, false) &&
            (best < 0 || roots[i].size() > roots[best].size()))
            best = static_cast<int>(i);
    return best;
}

bool isBrowsableVolume(std::string_view fsType, std::string_view mountPoint)
{
    static constexpr std::string_view kPseudo[] = {
        "proc",      "sysfs",   "devtmpfs", "devpts",    "cgroup",     "cgroup2",  "securityfs",
        "debugfs",   "tracefs", "pstore",   "bpf",       "mqueue",     "hugetlbfs", "configfs",
        "fusectl",   "binfmt_misc", "autofs", "rpc_pipefs", "nsfs",    "efivarfs", "tmpfs",
        "ramfs",     "squashfs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "nfsd",
    };
    for (std::string_view t : kPseudo)
        if (fsType == t)
            return false;
    if (mountPoint.empty() || mountPoint[0] != '/')
        return false;
    if (isAtOrAbove("/run/media", mountPoint, false))
        return true;
    for (std::string_view hidden : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"})
        if (isAtOrAbove(hidden, mountPoint, false))
            return false;
    return true;
}

FolderPathKind probeFolderPath(const std::string& path)
{
    if (path.empty() || isNetworkPath(path))
        return FolderPathKind::Missing;
    std::error_code ec;
    auto st = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(st))
        return FolderPathKind::Missing;
    return std::filesystem::is_directory(st) ? FolderPathKind::Folder : FolderPathKind::File;
}

bool createFolderPath(const std::string& path)
{
    if (path.empty() || isNetworkPath(path))
        return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return probeFolderPath(path) == FolderPathKind::Folder;
}

bool placementPlausible(const PixelRect& r, const PixelRect& m)
{
    int monitorRight = m.left + m.width;
    int monitorBottom = m.top + m.height;
    return r.left < monitorRight - 100 && r.left > m.left - 100 && r.top > m.top - 10 &&
           r.top < monitorBottom - 100 && r.width > 16 && r.height > 16;
}

}  // namespace gz
