#include "imaging/codec_xpm.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace gz {

namespace {

const char* const kReadError = "Fehler beim Lesen aus der Datei";
const char* const kUnknownFormat = "Unbekantes Format";
const char* const kTooFewColours = "Zu wenige Farben definiert";
const char* const kTooManyColours = "Zu viele Farben definiert";
const char* const kBadColour = "Nicht unterstütztes Farbformat";
const char* const kFileError = "Fehler in der Datei";
const char* const kWriteError = "Fehler beim Schreiben in die Datei";

constexpr uint32_t kTransparent = 0xFFFFFFFFu;

// The quoted strings of the file, in order (C comments skipped).
class Strings {
public:
    explicit Strings(std::string_view text) : text_(text) {}

    bool next(std::string_view& out)
    {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
                const std::size_t end = text_.find("*/", pos_ + 2);
                pos_ = end == std::string_view::npos ? text_.size() : end + 2;
            } else if (c == '"') {
                const std::size_t end = text_.find('"', pos_ + 1);
                if (end == std::string_view::npos)
                    return false;
                out = text_.substr(pos_ + 1, end - pos_ - 1);
                pos_ = end + 1;
                return true;
            } else {
                ++pos_;
            }
        }
        return false;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isBlank(s[i]))
            ++i;
        const std::size_t start = i;
        while (i < s.size() && !isBlank(s[i]))
            ++i;
        if (i > start)
            out.push_back(s.substr(start, i - start));
    }
    return out;
}

std::string lowerCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

uint32_t parseColour(std::string_view value)
{
    if (!value.empty() && value[0] == '#') {
        const std::string_view hex = value.substr(1);
        if (hex.size() % 3 != 0 || hex.empty() || hex.size() > 12)
            throw EXpmError(kBadColour);
        const std::size_t n = hex.size() / 3;
        uint32_t rgb = 0;
        for (int ch = 0; ch < 3; ++ch) {
            uint32_t v = 0;
            for (std::size_t k = 0; k < n; ++k) {
                const int d = codec::hexDigitValue(hex[ch * n + k]);
                if (d < 0)
                    throw EXpmError(kBadColour);
                v = v * 16 + static_cast<uint32_t>(d);
            }
            // Scale 1..4 hex digits to 8 bits.
            const uint32_t max = (1u << (4 * n)) - 1;
            rgb = rgb << 8 | (v * 255 + max / 2) / max;
        }
        return rgb;
    }
    struct Named { const char* name; uint32_t rgb; };
    static const Named kNames[] = {
        {"none", kTransparent}, {"black", 0x000000}, {"white", 0xFFFFFF}, {"red", 0xFF0000},
        {"green", 0x00FF00},    {"blue", 0x0000FF},  {"yellow", 0xFFFF00}, {"cyan", 0x00FFFF},
        {"magenta", 0xFF00FF},  {"gray", 0xBEBEBE},  {"grey", 0xBEBEBE},   {"orange", 0xFFA500},
    };
    const std::string name = lowerCase(value);
    for (const Named& n : kNames)
        if (name == n.name)
            return n.rgb;
    throw EXpmError(kBadColour);
}

}  // namespace

void readXpm(ByteReader& in, RasterImage& image)
{
    const uint64_t size = in.size();
    if (size > imageMemoryLimit())
        throw EGraphicsPicSize();
    std::string text(static_cast<std::size_t>(size), '\0');
    codec::readExact(in, text.data(), text.size(), EXpmError(kReadError));
    Strings strings(text);

    std::string_view line;
    if (!strings.next(line))
        throw EXpmError(kUnknownFormat);
    const std::vector<std::string_view> values = words(line);
    if (values.size() < 4)
        throw EXpmError(kUnknownFormat);
    long numbers[4];
    for (int i = 0; i < 4; ++i) {
        numbers[i] = 0;
        for (char c : values[i]) {
            if (c < '0' || c > '9' || numbers[i] > 100000000)
                throw EXpmError(kUnknownFormat);
            numbers[i] = numbers[i] * 10 + (c - '0');
        }
    }
    const long w = numbers[0], h = numbers[1], count = numbers[2], cpp = numbers[3];
    if (w <= 0 || h <= 0 || count <= 0 || cpp <= 0 || cpp > 8)
        throw EXpmError(kUnknownFormat);
    // Every colour takes one line and every pixel cpp characters of text.
    if (static_cast<uint64_t>(count) > size)
        throw EXpmError(kTooManyColours);
    if (static_cast<uint64_t>(w) * cpp * static_cast<uint64_t>(h) > size)
        throw EXpmError(kReadError);

    std::unordered_map<std::string_view, uint32_t> index;
    std::vector<uint32_t> colours;
    bool transparent = false;
    for (long i = 0; i < count; ++i) {
        if (!strings.next(line))
            throw EXpmError(kTooFewColours);
        if (static_cast<long>(line.size()) < cpp)
            throw EXpmError(kFileError);
        const std::string_view key = line.substr(0, static_cast<std::size_t>(cpp));
        const std::vector<std::string_view> parts = words(line.substr(static_cast<std::size_t>(cpp)));
        std::string_view chosen;
        int rank = 99;
        for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
            static const char* const kKeys[] = {"c", "g", "g4", "m"};
            for (int r = 0; r < 4; ++r)
                if (parts[k] == kKeys[r] && r < rank) {
                    rank = r;
                    chosen = parts[k + 1];
                }
        }
        if (rank == 99)
            throw EXpmError(kBadColour);
        const uint32_t rgb = parseColour(chosen);
        transparent = transparent || rgb == kTransparent;
        index.emplace(key, static_cast<uint32_t>(colours.size()));
        colours.push_back(rgb);
    }

    const bool indexed = colours.size() <= 256 && !transparent;
    const int depth = indexed ? 8 : transparent ? 32 : 24;
    codec::createImage(image, depth, static_cast<int>(w), static_cast<int>(h));
    if (indexed)
        for (std::size_t i = 0; i < colours.size(); ++i)
            image.palette()[i] = colours[i];

    const std::size_t step = static_cast<std::size_t>(cpp);
    for (long y = 0; y < h; ++y) {
        if (!strings.next(line) || line.size() < static_cast<std::size_t>(w) * step)
            throw EXpmError(kFileError);
        uint8_t* out = image.row(static_cast<int>(y));
        for (long x = 0; x < w; ++x) {
            const auto it = index.find(line.substr(static_cast<std::size_t>(x) * step, step));
            if (it == index.end())
                throw EXpmError(kFileError);
            const uint32_t c = colours[it->second];
            if (indexed) {
                out[x] = static_cast<uint8_t>(it->second);
            } else {
                uint8_t* p = out + x * (depth / 8);
                p[0] = static_cast<uint8_t>(c);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c >> 16);
                if (depth == 32)
                    p[3] = c == kTransparent ? 0 : 255;
                if (depth == 32 && c == kTransparent)
                    p[0] = p[1] = p[2] = 0;
            }
        }
        codec::progress(image, y + 1, h);
    }
}

void writeXpm(ByteWriter& out, const RasterImage& image)
{
    if (image.isEmpty())
        throw EXpmError("Leeres Bild");
    const int w = image.width();
    const int h = image.height();
    // Distinct colours in order of first use.
    std::unordered_map<uint32_t, uint32_t> index;
    std::vector<uint32_t> palette;
    std::vector<uint32_t> pixels(static_cast<std::size_t>(w) * h);
    std::vector<uint32_t> row(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        codec::rowColours(image, y, row.data());
        for (int x = 0; x < w; ++x) {
            const uint32_t c = row[x] & 0xFFFFFF;
            const auto [it, added] = index.emplace(c, static_cast<uint32_t>(palette.size()));
            if (added)
                palette.push_back(c);
            pixels[static_cast<std::size_t>(y) * w + x] = it->second;
        }
    }
    static const char kChars[] = ".#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+@$%&*=-;:>,<";
    const std::size_t base = sizeof kChars - 1;
    int cpp = 1;
    for (std::size_t n = base; n < palette.size(); n *= base)
        ++cpp;
    const auto code = [&](uint32_t i) {
        std::string s(static_cast<std::size_t>(cpp), ' ');
        for (int k = cpp - 1; k >= 0; --k) {
            s[static_cast<std::size_t>(k)] = kChars[i % base];
            i /= static_cast<uint32_t>(base);
        }
        return s;
    };
    std::string text = "/* XPM */\nstatic char *unkown_xpm[] = {\n\"" + std::to_string(w) + " " + std::to_string(h) +
                       " " + std::to_string(palette.size()) + " " + std::to_string(cpp) + "\",\n";
    for (std::size_t i = 0; i < palette.size(); ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%06X", palette[i]);
        text += "\"" + code(static_cast<uint32_t>(i)) + " c " + hex + "\",\n";
    }
    const EXpmError writeError(kWriteError);
    codec::writeAll(out, text.data(), text.size(), writeError);
    for (int y = 0; y < h; ++y) {
        std::string line = "\"";
        for (int x = 0; x < w; ++x)
            line += code(pixels[static_cast<std::size_t>(y) * w + x]);
        line += y + 1 < h ? "\",\n" : "\"\n};\n";
        codec::writeAll(out, line.data(), line.size(), writeError);
        codec::progress(image, y + 1, h);
    }
}

}  // namespace gz
