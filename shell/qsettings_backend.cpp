#include "shell/qsettings_backend.h"

#include <QSettings>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QVariant>

#include <map>
#include <optional>

#include "game/cp1252.h"

namespace gz {
namespace {

QString fromBytes(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A value an earlier version stored twice encoded (the UTF-8 bytes of a
// path taken as Windows-1252 characters, so "Ü" became "Ãœ") is read as the
// path it was. A value is taken so only when all its characters are
// Windows-1252 ones whose bytes form valid UTF-8 beyond ASCII, which no
// ordinary text does.
std::optional<std::string> undoDoubleEncoding(const QString& s)
{
    std::string bytes;
    bool high = false;
    for (char32_t c : s.toUcs4()) {
        const char b = cp1252::fromUnicode(c);
        if (b == '?' && c != U'?')
            return std::nullopt;
        high = high || static_cast<unsigned char>(b) >= 0x80;
        bytes += b;
    }
    if (!high)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError() || decoded.isEmpty())
        return std::nullopt;
    return bytes;
}

// A stored string value as the program's bytes.
std::string storedValue(const QString& s)
{
    if (std::optional<std::string> original = undoDoubleEncoding(s))
        return *original;
    return s.toStdString();
}

// A UTF-16 unit stands for at least one byte: a quick refusal of texts far
// over the limit before they are converted.
bool tooLong(const QString& s, std::size_t maxBytes)
{
    return static_cast<std::size_t>(s.size()) > 2 * maxBytes + 2;
}

struct Location {
    std::string organisation;
    std::string application;
    QString group;   // "a/b", empty for the top
    bool valid = false;
};

Location locate(std::string_view keyPath)
{
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= keyPath.size()) {
        std::size_t j = keyPath.find('\\', i);
        if (j == std::string_view::npos)
            j = keyPath.size();
        if (j > i)
            parts.emplace_back(keyPath.substr(i, j - i));
        i = j + 1;
    }
    Location loc;
    std::size_t first = 0;
    if (!parts.empty() && QString::fromLatin1(parts[0].c_str()).compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        first = 1;
    if (parts.size() <= first)
        return loc;
    for (const std::string& p : parts)
        if (p.find('/') != std::string::npos)
            return loc;   // '/' would open a group of its own
    loc.organisation = parts[first];
    if (parts.size() > first + 1)
        loc.application = parts[first + 1];
    QStringList group;
    for (std::size_t k = first + 2; k < parts.size(); ++k)
        group << fromBytes(parts[k]);
    loc.group = group.join(QLatin1Char('/'));
    loc.valid = true;
    return loc;
}

bool validName(std::string_view name)
{
    return !name.empty() && name.find_first_of("/\\") == std::string_view::npos;
}

// Integers as the registry's double words; INI text parses as signed or
// unsigned 32-bit.
bool toInteger(const QVariant& v, uint32_t& out)
{
    bool ok = false;
    qlonglong n = 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        n = v.toLongLong(&ok);
        break;
    case QMetaType::QString:
        n = v.toString().trimmed().toLongLong(&ok, 10);
        break;
    default:
        return false;
    }
    if (!ok || n < INT32_MIN || n > static_cast<qlonglong>(UINT32_MAX))
        return false;
    out = static_cast<uint32_t>(n);
    return true;
}

}  // namespace

struct QSettingsBackend::Impl {
    std::string folder;   // empty: the platform's own store
    std::map<std::string, std::unique_ptr<QSettings>> stores;

    QSettings* store(const Location& loc)
    {
        std::string id = loc.organisation + '\\' + loc.application;
        for (char& c : id)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        auto it = stores.find(id);
        if (it != stores.end())
            return it->second.get();
        std::unique_ptr<QSettings> s;
        if (folder.empty()) {
            s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            fromBytes(loc.organisation), fromBytes(loc.application));
        } else {
            QString file = fromBytes(folder) + QLatin1Char('/') + fromBytes(loc.organisation);
            file += loc.application.empty() ? QStringLiteral(".ini")
                                            : QLatin1Char('/') + fromBytes(loc.application) + QStringLiteral(".ini");
            s = std::make_unique<QSettings>(file, QSettings::IniFormat);
        }
        QSettings* raw = s.get();
        stores.emplace(std::move(id), std::move(s));
        return raw;
    }

    // Runs fn(settings) inside the group of keyPath.
    template <typename Fn>
    bool within(std::string_view keyPath, Fn fn)
    {
        Location loc = locate(keyPath);
        if (!loc.valid)
            return false;
        QSettings* s = store(loc);
        if (!loc.group.isEmpty())
            s->beginGroup(loc.group);
        bool ok = fn(*s);
        if (!loc.group.isEmpty())
            s->endGroup();
        return ok;
    }

    template <typename Fn>
    bool change(std::string_view keyPath, Fn fn)
    {
        return within(keyPath, [&](QSettings& s) {
            if (!s.isWritable())
                return false;
            fn(s);
            s.sync();
            return s.status() == QSettings::NoError;
        });
    }
};

QSettingsBackend::QSettingsBackend() : impl_(std::make_unique<Impl>()) {}

QSettingsBackend::QSettingsBackend(const std::string& folder) : impl_(std::make_unique<Impl>())
{
    impl_->folder = folder.empty() ? std::string(".") : folder;
}

QSettingsBackend::~QSettingsBackend() = default;

std::string QSettingsBackend::locationOf(std::string_view keyPath)
{
    Location loc = locate(keyPath);
    return loc.valid ? impl_->store(loc)->fileName().toStdString() : std::string();
}

bool QSettingsBackend::keyExists(std::string_view keyPath)
{
    return impl_->within(keyPath, [](QSettings& s) {
        return !s.childKeys().isEmpty() || !s.childGroups().isEmpty();
    });
}

bool QSettingsBackend::createKey(std::string_view keyPath)
{
    // QSettings makes a group when its first value is written.
    return locate(keyPath).valid;
}

bool QSettingsBackend::readInteger(std::string_view keyPath, std::string_view name, uint32_t& out)
{
    if (!validName(name))
        return false;
    return impl_->within(keyPath, [&](QSettings& s) { return toInteger(s.value(fromBytes(name)), out); });
}

bool QSettingsBackend::readString(std::string_view keyPath, std::string_view name, std::size_t maxBytes,
                                  std::string& out)
{
    if (!validName(name))
        return false;
    return impl_->within(keyPath, [&](QSettings& s) {
        QVariant v = s.value(fromBytes(name));
        if (v.typeId() != QMetaType::QString)
            return false;
        QString text = v.toString();
        if (tooLong(text, maxBytes))
            return false;
        std::string bytes = storedValue(text);
        if (bytes.size() > maxBytes)
            return false;
        out = std::move(bytes);
        return true;
    });
}

bool QSettingsBackend::readStringList(std::string_view keyPath, std::string_view name, std::size_t maxBytes,
                                      std::vector<std::string>& out)
{
    if (!validName(name))
        return false;
    return impl_->within(keyPath, [&](QSettings& s) {
        QVariant v = s.value(fromBytes(name));
        QStringList list;
        if (v.typeId() == QMetaType::QStringList)
            list = v.toStringList();
        else if (v.typeId() == QMetaType::QString)
            list << v.toString();
        else if (!s.contains(fromBytes(name)) || v.isValid())
            return false;   // missing, or a value of another type; an invalid one is an empty list
        for (const QString& e : list)
            if (tooLong(e, maxBytes))
                return false;
        std::vector<std::string> result;
        std::size_t total = 0;
        for (const QString& e : list) {
            result.push_back(storedValue(e));
            total += result.back().size() + 1;
            if (total > maxBytes)
                return false;
        }
        out = std::move(result);
        return true;
    });
}

bool QSettingsBackend::writeInteger(std::string_view keyPath, std::string_view name, uint32_t value)
{
    if (!validName(name))
        return false;
    return impl_->change(keyPath, [&](QSettings& s) {
        s.setValue(fromBytes(name), static_cast<int>(static_cast<int32_t>(value)));
    });
}

bool QSettingsBackend::writeString(std::string_view keyPath, std::string_view name, std::string_view text)
{
    if (!validName(name))
        return false;
    return impl_->change(keyPath, [&](QSettings& s) { s.setValue(fromBytes(name), fromBytes(text)); });
}

bool QSettingsBackend::writeStringList(std::string_view keyPath, std::string_view name,
                                       const std::vector<std::string>& list)
{
    if (!validName(name))
        return false;
    QStringList l;
    for (const std::string& e : list)
        l << fromBytes(e);
    return impl_->change(keyPath, [&](QSettings& s) { s.setValue(fromBytes(name), l); });
}

bool QSettingsBackend::removeValue(std::string_view keyPath, std::string_view name)
{
    if (!validName(name))
        return false;
    return impl_->change(keyPath, [&](QSettings& s) { s.remove(fromBytes(name)); });
}

bool QSettingsBackend::removeKey(std::string_view keyPath)
{
    Location loc = locate(keyPath);
    if (!loc.valid)
        return false;
    if (loc.group.isEmpty())
        return impl_->change(keyPath, [](QSettings& s) { s.clear(); });
    // Remove the group from its parent.
    qsizetype cut = loc.group.lastIndexOf(QLatin1Char('/'));
    QString parent = cut < 0 ? QString() : loc.group.left(cut);
    QString leaf = cut < 0 ? loc.group : loc.group.mid(cut + 1);
    QSettings* s = impl_->store(loc);
    if (!s->isWritable())
        return false;
    if (!parent.isEmpty())
        s->beginGroup(parent);
    s->remove(leaf);
    if (!parent.isEmpty())
        s->endGroup();
    s->sync();
    return s->status() == QSettings::NoError;
}

}  // namespace gz
