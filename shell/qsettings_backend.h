// SettingsBackend on QSettings (QtCore only). A key path
// "Software\<organisation>\<application>\<group>..." is the QSettings store of
// that organisation and application with the rest as its group, so the
// program's keys are the registry key HKCU\Software\Mervo\GameZinko on
// Windows and ~/.config/Mervo/GameZinko.conf (INI) on Linux.
//
// Strings are the program's paths, bytes of the file system (UTF-8), and are
// stored as that text: the file reads as plain UTF-8, and a value typed into
// it with an editor is found. A value that an earlier version stored twice
// encoded is read back as the path it was. INI files keep no
// types: an integer is any stored text that parses as a 32-bit number (signed
// or unsigned), a string list of one entry reads back from a plain string.
// Every write is flushed at once; its result is the store's status.
#pragma once

#include <memory>
#include <string>

#include "shell/settings_store.h"

namespace gz {

class QSettingsBackend final : public SettingsBackend {
public:
    // The platform's own store for the current user.
    QSettingsBackend();
    // INI files under `folder` instead: <folder>/<organisation>/<application>.ini
    // (<folder>/<organisation>.ini for a key directly below "Software").
    explicit QSettingsBackend(const std::string& folder);
    ~QSettingsBackend() override;
    QSettingsBackend(const QSettingsBackend&) = delete;
    QSettingsBackend& operator=(const QSettingsBackend&) = delete;

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

    // Where the store of a key path lives (a file name, or a registry path).
    std::string locationOf(std::string_view keyPath);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace gz
