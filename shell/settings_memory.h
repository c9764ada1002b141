// In-memory SettingsBackend: the store of the tests and of a run without a
// usable settings location. Typed strictly (an integer is not a string);
// key paths and value names ignore ASCII letter case. Reads and writes can
// be made to fail, to show that callers keep their defaults.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "shell/settings_store.h"

namespace gz {

class MemorySettingsBackend final : public SettingsBackend {
public:
    enum class Type { Integer, String, StringList };
    struct Value {
        Type type = Type::Integer;
        uint32_t number = 0;
        std::string text;                 // raw bytes, a stored zero included
        std::vector<std::string> list;
    };

    bool keyExists(std::string_view keyPath) override;
    bool createKey(std::string_view keyPath) override;
    bool readInteger(std::string_view keyPath, std::string_view name, uint32_t& out) override;
    bool readString(std::string_view keyPath, std::string_view name, std::size_t maxBytes,
                    std::string& out) override;
    bool readStringList(std::string_view keyPath, std::string_view name, std::size_t maxBytes,
                        std::vector<std::string>& out) override;
    bool writeInteger(std::string_view keyPath, std::string_view name, uint32_t value) override;
    bool writeString(std::string_view keyPath, std::string_view name, std::string_view text) override;
    bool writeStringList(std::string_view keyPath, std::string_view name,
                         const std::vector<std::string>& list) override;
    bool removeValue(std::string_view keyPath, std::string_view name) override;
    bool removeKey(std::string_view keyPath) override;

    // Test access: the stored value, or nullptr.
    const Value* find(std::string_view keyPath, std::string_view name) const;
    std::size_t valueCount(std::string_view keyPath) const;
    // Every read (keyExists included) / every change fails while set.
    void setFailReads(bool fail) { failReads_ = fail; }
    void setFailWrites(bool fail) { failWrites_ = fail; }

private:
    struct Key {
        std::map<std::string, Value> values;   // by lower-case name
    };
    Key* key(std::string_view keyPath);
    const Key* key(std::string_view keyPath) const;
    bool put(std::string_view keyPath, std::string_view name, Value v);

    std::map<std::string, Key> keys_;   // by lower-case path
    bool failReads_ = false;
    bool failWrites_ = false;
};

}  // namespace gz
