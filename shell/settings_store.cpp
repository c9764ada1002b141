#include "shell/settings_store.h"

#include <cstring>

namespace gz {

std::string joinKeyPath(std::string_view parent, std::string_view child)
{
    std::string out(parent);
    if (!out.empty() && !child.empty() && out.back() != '\\')
        out += '\\';
    out += child;
    return out;
}

bool SettingsKeyStack::openRoot(std::string_view subpath, KeyMode mode)
{
    close();
    std::string path(subpath.empty() ? kApplicationKeyPath : subpath);
    bool ok = mode == KeyMode::Create ? backend_.createKey(path) : backend_.keyExists(path);
    if (!ok)
        return false;
    path_ = std::move(path);
    mode_ = mode;
    depth_ = 1;
    return true;
}

bool SettingsKeyStack::openSubkey(std::string_view name)
{
    if (depth_ == 0 || depth_ > kMaxSubkeyLevels || name.empty())
        return false;
    std::string path = joinKeyPath(path_, name);
    bool ok = mode_ == KeyMode::Create ? backend_.createKey(path) : backend_.keyExists(path);
    if (!ok)
        return false;
    path_ = std::move(path);
    ++depth_;
    return true;
}

void SettingsKeyStack::close()
{
    depth_ = 0;
    path_.clear();
}

bool SettingsKeyStack::readInt(std::string_view name, int32_t& dest)
{
    uint32_t v = 0;
    if (!readUInt(name, v))
        return false;
    dest = static_cast<int32_t>(v);
    return true;
}

bool SettingsKeyStack::readUInt(std::string_view name, uint32_t& dest)
{
    return depth_ > 0 && backend_.readInteger(path_, name, dest);
}

bool SettingsKeyStack::readString(std::string_view name, std::string& dest, std::size_t maxBytes)
{
    if (depth_ == 0)
        return false;
    // One more byte than the text may hold, for a stored terminator.
    std::string raw;
    if (!backend_.readString(path_, name, maxBytes + 1, raw))
        return false;
    if (const void* z = std::memchr(raw.data(), 0, raw.size()))
        raw.resize(static_cast<std::size_t>(static_cast<const char*>(z) - raw.data()));
    else if (raw.size() > maxBytes)
        return false;
    dest = std::move(raw);
    return true;
}

bool SettingsKeyStack::readStringList(std::string_view name, std::vector<std::string>& dest,
                                      std::size_t maxItems)
{
    if (depth_ == 0)
        return false;
    std::vector<std::string> list;
    if (!backend_.readStringList(path_, name, kMaxSettingsListBytes, list))
        return false;
    if (list.size() > maxItems)
        list.resize(maxItems);
    dest = std::move(list);
    return true;
}

bool SettingsKeyStack::writeInt(std::string_view name, int32_t value)
{
    return writeUInt(name, static_cast<uint32_t>(value));
}

bool SettingsKeyStack::writeUInt(std::string_view name, uint32_t value)
{
    return writable() && backend_.writeInteger(path_, name, value);
}

bool SettingsKeyStack::writeString(std::string_view name, std::string_view text)
{
    return writable() && backend_.writeString(path_, name, text);
}

bool SettingsKeyStack::writeStringList(std::string_view name, const std::vector<std::string>& list)
{
    return writable() && backend_.writeStringList(path_, name, list);
}

bool SettingsKeyStack::removeValue(std::string_view name)
{
    return writable() && backend_.removeValue(path_, name);
}

bool SettingsKeyStack::removeSubkey(std::string_view name)
{
    return writable() && !name.empty() && backend_.removeKey(joinKeyPath(path_, name));
}

}  // namespace gz
