// RecentNameList: an editable drop-down whose list is a name list kept in
// the settings (a string list value, most recent entry first, at most 16).
// load() fills it when its dialog opens; save() stores the entry just used
// in front of the older ones when the dialog is confirmed.
//
// The drop-down can show its entries alphabetically (setSortedDisplay)
// while the stored order stays most recent first, so the 17th entry to fall
// off is always the oldest one. Texts are UTF-8 bytes (file paths).
#pragma once

#include <QComboBox>

#include <string>
#include <string_view>
#include <vector>

#include "shell/settings_store.h"

namespace gz {

class RecentNameList : public QComboBox {
    Q_OBJECT
public:
    RecentNameList(SettingsBackend& settings, QWidget* parent = nullptr);

    void setSortedDisplay(bool sorted);
    bool sortedDisplay() const { return sorted_; }

    // keyName: "#" the application key, "#name" its subkey, other text a
    // key path. When the value exists the list is replaced by it (items cut
    // to 255 characters), `text` becomes its first entry (at most 2047
    // bytes) and the number of entries is returned; otherwise 0 and `text`
    // and the list stay as they were.
    int load(std::string_view valueName, std::string_view keyName, std::string& text);
    // Stores the current entry (the edit text) in front of the listed
    // entries that are neither empty nor equal to it, 16 at most; returns
    // the number written, 0 when the entry is empty or the write failed.
    // The list is refilled with what was stored unless an item is selected.
    int save(std::string_view valueName, std::string_view keyName);

    // The entries in stored order (most recent first), uncut.
    const std::vector<std::string>& entries() const { return entries_; }
    // The index of the item the edit text stands for, or -1.
    int selectedItem() const;

private:
    void refill(const std::vector<std::string>& names);

    SettingsBackend& settings_;
    std::vector<std::string> entries_;
    bool sorted_ = false;
};

}  // namespace gz
