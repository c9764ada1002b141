// Settings store: the program's registry-style configuration behind a small
// key-stack module. Keys are paths of components joined by "\" below the
// current user's hive ("Software\Mervo\GameZinko\Settings"); each key holds
// named values of three types: 32-bit integers, 8-bit (Windows-1252) strings
// and string lists (multi-strings).
//
// A SettingsBackend stores the keys (in memory for tests, QSettings in the
// program). SettingsKeyStack opens a root key and up to 11 subkey levels on
// top of it and reads or writes values of the current level.
//
// Failures are silent by design: every read returns false and leaves its
// destination untouched (that is how defaults work), a failed write returns
// false and changes nothing. Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gz {

constexpr std::string_view kRegistryKeyName = "Mervo";
constexpr std::string_view kApplicationName = "GameZinko";
constexpr std::string_view kApplicationKeyPath = "Software\\Mervo\\GameZinko";
constexpr std::string_view kCommonKeyPath = "Software\\Mervo\\Common";
constexpr std::string_view kSettingsSubkey = "Settings";
constexpr std::string_view kRecentFileListSubkey = "Recent File List";

// Largest string and list a read accepts; a bigger stored value fails the
// read (before anything is copied), so the destination keeps its value.
constexpr std::size_t kMaxSettingsString = 4095;
constexpr std::size_t kMaxSettingsListBytes = 65536;   // all strings + their zeros
constexpr std::size_t kMaxSettingsListItems = 1024;

// Storage of keys and values. Key paths and value names compare without
// regard to ASCII letter case, as the registry does. Implementations never
// throw; every call reports success as its result.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;

    virtual bool keyExists(std::string_view keyPath) = 0;
    // Creates the key and its missing parents; true when it exists afterwards.
    virtual bool createKey(std::string_view keyPath) = 0;

    // Reads fail when the key or value is missing, the value has another
    // type or is larger than maxBytes (strings: bytes without a terminator;
    // lists: total bytes with one zero per string). Outputs are changed only
    // on success.
    virtual bool readInteger(std::string_view keyPath, std::string_view name, uint32_t& out) = 0;
    virtual bool readString(std::string_view keyPath, std::string_view name, std::size_t maxBytes,
                            std::string& out) = 0;
    virtual bool readStringList(std::string_view keyPath, std::string_view name, std::size_t maxBytes,
                                std::vector<std::string>& out) = 0;

    // Writes create the key when it is missing and replace a value of any type.
    virtual bool writeInteger(std::string_view keyPath, std::string_view name, uint32_t value) = 0;
    virtual bool writeString(std::string_view keyPath, std::string_view name, std::string_view text) = 0;
    virtual bool writeStringList(std::string_view keyPath, std::string_view name,
                                 const std::vector<std::string>& list) = 0;

    virtual bool removeValue(std::string_view keyPath, std::string_view name) = 0;
    // Removes the key with all its values and subkeys; true also when it was missing.
    virtual bool removeKey(std::string_view keyPath) = 0;
};

enum class KeyMode {
    Read,     // open existing keys for reading only
    Create,   // create missing keys; reading and writing
};

// "a\b" + "c" -> "a\b\c"; either part may be empty.
std::string joinKeyPath(std::string_view parent, std::string_view child);

class SettingsKeyStack {
public:
    static constexpr int kMaxSubkeyLevels = 11;

    explicit SettingsKeyStack(SettingsBackend& backend) : backend_(backend) {}
    ~SettingsKeyStack() { close(); }
    SettingsKeyStack(const SettingsKeyStack&) = delete;
    SettingsKeyStack& operator=(const SettingsKeyStack&) = delete;

    // Closes what was open, then opens subpath (empty: the application key)
    // in the given mode. Read mode fails on a missing key; Create mode
    // creates it. On failure nothing is open.
    bool openRoot(std::string_view subpath, KeyMode mode);
    // Opens (Create mode: creates) a subkey of the current key and makes it
    // current. Fails without changing the current key when nothing is open,
    // the key is missing in Read mode, or 11 subkey levels are already open.
    bool openSubkey(std::string_view name);
    // Closes every open level.
    void close();

    bool isOpen() const { return depth_ > 0; }
    int subkeyLevels() const { return depth_ > 0 ? depth_ - 1 : 0; }
    const std::string& currentPath() const { return path_; }

    bool readInt(std::string_view name, int32_t& dest);
    bool readUInt(std::string_view name, uint32_t& dest);
    // maxBytes: the destination's capacity without the terminator. A stored
    // text ends at its first zero byte, so data written with or without a
    // terminating zero reads the same.
    bool readString(std::string_view name, std::string& dest, std::size_t maxBytes = kMaxSettingsString);
    // At most maxItems strings are kept (the rest of a longer list is dropped).
    bool readStringList(std::string_view name, std::vector<std::string>& dest,
                        std::size_t maxItems = kMaxSettingsListItems);

    // Fail when nothing is open or the root was opened in Read mode.
    bool writeInt(std::string_view name, int32_t value);
    bool writeUInt(std::string_view name, uint32_t value);
    bool writeString(std::string_view name, std::string_view text);
    bool writeStringList(std::string_view name, const std::vector<std::string>& list);
    bool removeValue(std::string_view name);
    bool removeSubkey(std::string_view name);

private:
    bool writable() const { return depth_ > 0 && mode_ == KeyMode::Create; }

    SettingsBackend& backend_;
    KeyMode mode_ = KeyMode::Read;
    int depth_ = 0;   // 0 closed, 1 root, 2.. subkeys
    std::string path_;
};

}  // namespace gz
