#include "shell/settings_memory.h"

namespace gz {
namespace {

std::string folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    // "a\\b\" and "a\b" name the same key.
    while (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

std::size_t listBytes(const std::vector<std::string>& list)
{
    std::size_t n = 0;
    for (const std::string& s : list)
        n += s.size() + 1;
    return n;
}

}  // namespace

MemorySettingsBackend::Key* MemorySettingsBackend::key(std::string_view keyPath)
{
    auto it = keys_.find(folded(keyPath));
    return it == keys_.end() ? nullptr : &it->second;
}

const MemorySettingsBackend::Key* MemorySettingsBackend::key(std::string_view keyPath) const
{
    auto it = keys_.find(folded(keyPath));
    return it == keys_.end() ? nullptr : &it->second;
}

bool MemorySettingsBackend::keyExists(std::string_view keyPath)
{
    return !failReads_ && key(keyPath) != nullptr;
}

bool MemorySettingsBackend::createKey(std::string_view keyPath)
{
    std::string path = folded(keyPath);
    if (key(path))
        return true;
    if (failWrites_ || path.empty())
        return false;
    for (std::size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 1))
        keys_.try_emplace(path.substr(0, i));
    keys_.try_emplace(path);
    return true;
}

const MemorySettingsBackend::Value* MemorySettingsBackend::find(std::string_view keyPath,
                                                                std::string_view name) const
{
    const Key* k = key(keyPath);
    if (!k)
        return nullptr;
    auto it = k->values.find(folded(name));
    return it == k->values.end() ? nullptr : &it->second;
}

std::size_t MemorySettingsBackend::valueCount(std::string_view keyPath) const
{
    const Key* k = key(keyPath);
    return k ? k->values.size() : 0;
}

bool MemorySettingsBackend::readInteger(std::string_view keyPath, std::string_view name, uint32_t& out)
{
    const Value* v = failReads_ ? nullptr : find(keyPath, name);
    if (!v || v->type != Type::Integer)
        return false;
    out = v->number;
    return true;
}

bool MemorySettingsBackend::readString(std::string_view keyPath, std::string_view name,
                                       std::size_t maxBytes, std::string& out)
{
    const Value* v = failReads_ ? nullptr : find(keyPath, name);
    if (!v || v->type != Type::String || v->text.size() > maxBytes)
        return false;
    out = v->text;
    return true;
}

bool MemorySettingsBackend::readStringList(std::string_view keyPath, std::string_view name,
                                           std::size_t maxBytes, std::vector<std::string>& out)
{
    const Value* v = failReads_ ? nullptr : find(keyPath, name);
    if (!v || v->type != Type::StringList || listBytes(v->list) > maxBytes)
        return false;
    out = v->list;
    return true;
}

bool MemorySettingsBackend::put(std::string_view keyPath, std::string_view name, Value v)
{
    if (failWrites_ || !createKey(keyPath))
        return false;
    key(keyPath)->values[folded(name)] = std::move(v);
    return true;
}

bool MemorySettingsBackend::writeInteger(std::string_view keyPath, std::string_view name, uint32_t value)
{
    Value v;
    v.type = Type::Integer;
    v.number = value;
    return put(keyPath, name, std::move(v));
}

bool MemorySettingsBackend::writeString(std::string_view keyPath, std::string_view name, std::string_view text)
{
    Value v;
    v.type = Type::String;
    v.text = std::string(text);
    return put(keyPath, name, std::move(v));
}

bool MemorySettingsBackend::writeStringList(std::string_view keyPath, std::string_view name,
                                            const std::vector<std::string>& list)
{
    Value v;
    v.type = Type::StringList;
    v.list = list;
    return put(keyPath, name, std::move(v));
}

bool MemorySettingsBackend::removeValue(std::string_view keyPath, std::string_view name)
{
    if (failWrites_)
        return false;
    Key* k = key(keyPath);
    return k && k->values.erase(folded(name)) > 0;
}

bool MemorySettingsBackend::removeKey(std::string_view keyPath)
{
    if (failWrites_)
        return false;
    std::string path = folded(keyPath);
    std::string prefix = path + '\\';
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == path || it->first.compare(0, prefix.size(), prefix) == 0)
            it = keys_.erase(it);
        else
            ++it;
    }
    return true;
}

}  // namespace gz
