#include "shell/settings_values.h"

#include <cstdio>
#include <utility>

namespace gz {

ViewSettings readViewSettings(SettingsBackend& backend)
{
    ViewSettings v;
    SettingsKeyStack key(backend);
    key.openRoot({}, KeyMode::Create);
    uint32_t switchTime = static_cast<uint32_t>(v.switchTime);
    key.readUInt("SwitchTime", switchTime);
    key.readInt("ColorMode", v.colorMode);
    key.readInt("StarSize", v.starSize);
    key.readInt("PolyInfo", v.polyInfo);
    key.readString("PicPath", v.picPath, kMaxPicPathBytes);
    key.readInt("ComPort", v.comPort);
    key.readString("ComDevice", v.comDevice, kMaxComDeviceBytes);
    v.switchTime = static_cast<int32_t>(clampSwitchTime(switchTime));
    return v;
}

void writeViewSettings(SettingsBackend& backend, const ViewSettings& v)
{
    SettingsKeyStack key(backend);
    key.openRoot({}, KeyMode::Create);
    key.writeInt("SwitchTime", v.switchTime);
    key.writeInt("ColorMode", v.colorMode);
    key.writeInt("StarSize", v.starSize);
    key.writeInt("PolyInfo", v.polyInfo);
    key.writeString("PicPath", v.picPath);
    key.writeInt("ComPort", v.comPort);
    if (!v.comDevice.empty())
        key.writeString("ComDevice", v.comDevice);
    else
        key.removeValue("ComDevice");
}

BuzzerMapping readBuzzerMapping(SettingsBackend& backend)
{
    BuzzerMapping m;
    SettingsKeyStack key(backend);
    if (!key.openRoot({}, KeyMode::Read))
        return m;
    for (int a = 0; a < kBuzzerActionCount; ++a) {
        std::string device;
        int32_t code = -1;
        if (key.readString(buzzerDeviceValueName(a), device, kMaxBuzzerDeviceBytes) && !device.empty() &&
            key.readInt(buzzerCodeValueName(a), code) && code >= 0)
            m.bind(a, {std::move(device), static_cast<uint32_t>(code)});
    }
    return m;
}

void writeBuzzerMapping(SettingsBackend& backend, const BuzzerMapping& mapping)
{
    SettingsKeyStack key(backend);
    if (!key.openRoot({}, KeyMode::Create))
        return;
    for (int a = 0; a < kBuzzerActionCount; ++a) {
        if (const auto& b = mapping.binding(a)) {
            key.writeString(buzzerDeviceValueName(a), b->device);
            key.writeInt(buzzerCodeValueName(a), static_cast<int32_t>(b->code));
        } else {
            key.removeValue(buzzerDeviceValueName(a));
            key.removeValue(buzzerCodeValueName(a));
        }
    }
}

namespace {

// Opening the section creates the application key and the section.
bool openSettingsSection(SettingsKeyStack& key)
{
    return key.openRoot({}, KeyMode::Create) && key.openSubkey(kSettingsSubkey);
}

}  // namespace

FrameOptions readFrameOptions(SettingsBackend& backend)
{
    FrameOptions o;
    SettingsKeyStack key(backend);
    if (openSettingsSection(key)) {
        key.readInt("FlatMode", o.flatMode);
        key.readInt("ShowGamerBar", o.showGamerBar);
    }
    return o;
}

void writeFrameOptions(SettingsBackend& backend, const FrameOptions& o)
{
    SettingsKeyStack key(backend);
    if (!openSettingsSection(key))
        return;
    key.writeInt("FlatMode", o.flatMode);
    key.writeInt("ShowGamerBar", o.showGamerBar);
}

ControlWindowSettings readControlWindowSettings(SettingsBackend& backend)
{
    ControlWindowSettings c;
    SettingsKeyStack key(backend);
    if (openSettingsSection(key)) {
        key.readInt("ControlWindowOpen", c.open);
        key.readInt("ControlWindowPosX", c.x);
        key.readInt("ControlWindowPosY", c.y);
        key.readInt("ControlWindowSizeX", c.width);
        key.readInt("ControlWindowSizeY", c.height);
    }
    return c;
}

void writeControlWindowSettings(SettingsBackend& backend, const ControlWindowSettings& c)
{
    SettingsKeyStack key(backend);
    if (!openSettingsSection(key))
        return;
    key.writeInt("ControlWindowOpen", c.open);
    key.writeInt("ControlWindowPosX", c.x);
    key.writeInt("ControlWindowPosY", c.y);
    key.writeInt("ControlWindowSizeX", c.width);
    key.writeInt("ControlWindowSizeY", c.height);
}

StoredPlacement readFramePlacement(SettingsBackend& backend)
{
    StoredPlacement p;
    SettingsKeyStack key(backend);
    if (!openSettingsSection(key))
        return p;
    int32_t zoomed = 0;
    if (!key.readInt("IsZoomed", zoomed))
        return p;
    p.isZoomed = zoomed;
    key.readInt("LastPosX", p.posX);
    key.readInt("LastPosY", p.posY);
    key.readInt("LastSizeX", p.sizeX);
    key.readInt("LastSizeY", p.sizeY);
    key.readInt("LastMonitor", p.monitor);
    return p;
}

void writeFramePlacement(SettingsBackend& backend, const PlacementToSave& p)
{
    SettingsKeyStack key(backend);
    if (!openSettingsSection(key))
        return;
    key.writeInt("IsZoomed", p.isZoomed);
    if (p.writeRect) {
        key.writeInt("LastPosX", p.posX);
        key.writeInt("LastPosY", p.posY);
        key.writeInt("LastSizeX", p.sizeX);
        key.writeInt("LastSizeY", p.sizeY);
    }
    if (p.writeMonitor)
        key.writeInt("LastMonitor", p.monitor);
}

std::string readAudienceScreen(SettingsBackend& backend)
{
    std::string name;
    SettingsKeyStack key(backend);
    if (!openSettingsSection(key) || !key.readString("AudienceScreen", name, kMaxScreenNameBytes))
        return {};
    return name;
}

void writeAudienceScreen(SettingsBackend& backend, const std::string& name)
{
    SettingsKeyStack key(backend);
    if (openSettingsSection(key))
        key.writeString("AudienceScreen", name);
}

int32_t readPreviewPages(SettingsBackend& backend)
{
    int32_t pages = 0;
    SettingsKeyStack key(backend);
    if (openSettingsSection(key))
        key.readInt("PreviewPages", pages);
    return pages;
}

void writePreviewPages(SettingsBackend& backend, int32_t pages)
{
    if (pages == 0)
        return;
    SettingsKeyStack key(backend);
    if (openSettingsSection(key))
        key.writeInt("PreviewPages", pages);
}

namespace {

std::string recentFileName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "File%d", i + 1);
    return name;
}

}  // namespace

RecentFiles readRecentFiles(SettingsBackend& backend)
{
    RecentFiles files;
    SettingsKeyStack key(backend);
    if (!key.openRoot({}, KeyMode::Read) || !key.openSubkey(kRecentFileListSubkey))
        return files;
    for (int i = 0; i < kRecentFileCount; ++i)
        key.readString(recentFileName(i), files[i]);
    return files;
}

void writeRecentFiles(SettingsBackend& backend, const RecentFiles& files)
{
    SettingsKeyStack key(backend);
    if (!key.openRoot({}, KeyMode::Create))
        return;
    key.removeSubkey(kRecentFileListSubkey);
    bool any = false;
    for (const std::string& f : files)
        any = any || !f.empty();
    if (!any || !key.openSubkey(kRecentFileListSubkey))
        return;
    for (int i = 0; i < kRecentFileCount; ++i)
        if (!files[i].empty())
            key.writeString(recentFileName(i), files[i]);
}

std::string keyPathOf(std::string_view keyName)
{
    if (!keyName.empty() && keyName.front() == '#')
        return joinKeyPath(kApplicationKeyPath, keyName.substr(1));
    return std::string(keyName);
}

bool readNameList(SettingsBackend& backend, std::string_view keyName, std::string_view valueName,
                  std::vector<std::string>& list)
{
    SettingsKeyStack key(backend);
    return key.openRoot(keyPathOf(keyName), KeyMode::Read) && key.readStringList(valueName, list);
}

bool writeNameList(SettingsBackend& backend, std::string_view keyName, std::string_view valueName,
                   const std::vector<std::string>& list)
{
    SettingsKeyStack key(backend);
    return key.openRoot(keyPathOf(keyName), KeyMode::Create) && key.writeStringList(valueName, list);
}

std::string folderListValueName(std::string_view ext)
{
    std::size_t cut = ext.find_last_of("*.?");
    std::string_view word = cut == std::string_view::npos ? ext : ext.substr(cut + 1);
    if (word.size() > 24)
        word = word.substr(0, 24);
    std::string name = "OfnList";
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (i == 0 && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (i > 0 && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        name += c;
    }
    return name;
}

std::string folderListKeyPath(SettingsBackend& backend, std::string_view registryKeyName,
                              std::string_view applicationName)
{
    if (!registryKeyName.empty() && !applicationName.empty())
        return joinKeyPath(joinKeyPath("Software", registryKeyName), applicationName);
    if (registryKeyName.empty() && !applicationName.empty()) {
        std::string path = joinKeyPath(joinKeyPath("Software", kRegistryKeyName), applicationName);
        if (backend.keyExists(path))
            return path;
    }
    return joinKeyPath(kCommonKeyPath, "OfnList");
}

bool readFolderList(SettingsBackend& backend, std::string_view keyPath, std::string_view valueName,
                    std::vector<std::string>& folders)
{
    SettingsKeyStack key(backend);
    return key.openRoot(keyPath, KeyMode::Read) &&
           key.readStringList(valueName, folders, kFolderListReadEntries);
}

std::vector<std::string> writeFolderList(SettingsBackend& backend, std::string_view keyPath,
                                         std::string_view valueName,
                                         const std::vector<std::string>& folders)
{
    std::vector<std::string> kept;
    std::size_t bytes = 1;   // the closing zero of the multi-string
    for (std::size_t i = 0; i < folders.size() && i < kFolderListWriteEntries; ++i) {
        const std::string& f = folders[i];
        if (f.empty() || bytes + f.size() + 1 > kFolderListWriteBytes)
            continue;
        bytes += f.size() + 1;
        kept.push_back(f);
    }
    SettingsKeyStack key(backend);
    if (!key.openRoot(keyPath, KeyMode::Create) || !key.writeStringList(valueName, kept))
        return {};
    return kept;
}

FolderChooserSettings readFolderChooserSettings(SettingsBackend& backend)
{
    FolderChooserSettings s;
    SettingsKeyStack key(backend);
    if (key.openRoot(kCommonKeyPath, KeyMode::Read)) {
        key.readInt("PathDlgTreeMode", s.treeMode);
        key.readInt("PathDlgBreadCrumb", s.breadCrumb);
    }
    return s;
}

void writeFolderChooserSettings(SettingsBackend& backend, const FolderChooserSettings& s,
                                bool writeTreeMode)
{
    SettingsKeyStack key(backend);
    if (!key.openRoot(kCommonKeyPath, KeyMode::Create))
        return;
    if (writeTreeMode)
        key.writeInt("PathDlgTreeMode", s.treeMode);
    key.writeInt("PathDlgBreadCrumb", s.breadCrumb);
}

}  // namespace gz
