#include "uikit/recent_name_list.h"

#include <QLineEdit>

#include <algorithm>

#include "shell/settings_values.h"
#include "uikit/recent_lists.h"

namespace gz {

namespace {

constexpr int kFullTextRole = Qt::UserRole + 1;

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Cut to at most maxBytes without splitting a UTF-8 sequence.
std::string cutUtf8(const std::string& s, std::size_t maxBytes)
{
    if (s.size() <= maxBytes)
        return s;
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return s.substr(0, n);
}

}  // namespace

RecentNameList::RecentNameList(SettingsBackend& settings, QWidget* parent) : QComboBox(parent), settings_(settings)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Paths are typed in full; completing them from the list would replace
    // what the user types.
    setCompleter(nullptr);
    setMaxVisibleItems(16);
    // An item cut for the list still puts its whole text into the field.
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        QString full = itemData(index, kFullTextRole).toString();
        if (!full.isEmpty() && full != currentText())
            setEditText(full);
    });
}

void RecentNameList::setSortedDisplay(bool sorted)
{
    if (sorted == sorted_)
        return;
    sorted_ = sorted;
    QString text = currentText();
    refill(entries_);
    setEditText(text);
}

int RecentNameList::selectedItem() const
{
    int index = currentIndex();
    if (index < 0)
        return -1;
    QString full = itemData(index, kFullTextRole).toString();
    return currentText() == full || currentText() == itemText(index) ? index : -1;
}

void RecentNameList::refill(const std::vector<std::string>& names)
{
    entries_ = names;
    std::vector<std::string> shown = names;
    if (sorted_)
        std::stable_sort(shown.begin(), shown.end());
    QString text = currentText();
    clear();
    for (const std::string& s : shown) {
        QString full = qs(s);
        addItem(full.left(static_cast<int>(kRecentNameItemChars)), full);
        setItemData(count() - 1, full, kFullTextRole);
    }
    setCurrentIndex(-1);
    setEditText(text);
}

int RecentNameList::load(std::string_view valueName, std::string_view keyName, std::string& text)
{
    std::vector<std::string> names;
    if (!readNameList(settings_, keyName, valueName, names))
        return 0;
    names.erase(std::remove(names.begin(), names.end(), std::string()), names.end());
    if (names.empty())
        return 0;
    text = cutUtf8(names.front(), kRecentNameTextBytes - 1);
    refill(names);
    setEditText(qs(text));
    return static_cast<int>(names.size());
}

int RecentNameList::save(std::string_view valueName, std::string_view keyName)
{
    const int selected = selectedItem();
    std::string current = currentText().toStdString();
    if (selected >= 0)
        current = itemData(selected, kFullTextRole).toString().toStdString();
    std::vector<std::string> names = mergeRecentNames(current, entries_);
    if (names.empty())
        return 0;
    if (selected < 0) {
        refill(names);
        setEditText(qs(current));
    } else {
        entries_ = names;
    }
    if (!writeNameList(settings_, keyName, valueName, names))
        return 0;
    return static_cast<int>(names.size());
}

}  // namespace gz
