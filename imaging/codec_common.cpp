#include "imaging/codec_common.h"

#include <algorithm>
#include <cstring>

#include "imaging/pixel_formats.h"

namespace gz {

std::size_t MemoryReader::read(void* buffer, std::size_t n)
{
    const std::size_t k = std::min(n, size_ - pos_);
    if (k > 0)
        std::memcpy(buffer, data_ + pos_, k);
    pos_ += k;
    return k;
}

bool MemoryReader::seek(uint64_t position)
{
    if (position > size_)
        return false;
    pos_ = static_cast<std::size_t>(position);
    return true;
}

FileReader::FileReader(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return;
    std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        const long end = std::ftell(file_);
        size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
    std::fseek(file_, 0, SEEK_SET);
}

FileReader::~FileReader()
{
    if (file_)
        std::fclose(file_);
}

std::size_t FileReader::read(void* buffer, std::size_t n)
{
    return file_ && n > 0 ? std::fread(buffer, 1, n, file_) : 0;
}

bool FileReader::seek(uint64_t position)
{
    return file_ && position <= size_ && std::fseek(file_, static_cast<long>(position), SEEK_SET) == 0;
}

uint64_t FileReader::tell() const
{
    if (!file_)
        return 0;
    const long p = std::ftell(file_);
    return p > 0 ? static_cast<uint64_t>(p) : 0;
}

FileWriter::FileWriter(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "wb");
    if (file_)
        std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
}

FileWriter::~FileWriter()
{
    if (file_)
        std::fclose(file_);
}

bool FileWriter::write(const void* data, std::size_t n)
{
    return file_ && (n == 0 || std::fwrite(data, 1, n, file_) == n);
}

bool FileWriter::finish()
{
    if (!file_)
        return false;
    const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok && closed;
}

bool MemoryWriter::write(const void* data, std::size_t n)
{
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
    return true;
}

namespace {
std::size_t g_memoryLimit = std::size_t{1} << 30;
}

void setImageMemoryLimit(std::size_t bytes) { g_memoryLimit = bytes; }
std::size_t imageMemoryLimit() { return g_memoryLimit; }

namespace codec {

void checkPictureSize(int64_t width, int64_t height, int bitsPerPixel, uint64_t extraBytes)
{
    if (width <= 0 || height <= 0)
        return;
    if (width > kMaxImageSide || height > kMaxImageSide)
        throw EGraphicsPicSize();
    const int bits = bitsPerPixel > 0 && bitsPerPixel <= 32 ? bitsPerPixel : 32;
    const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    const uint64_t bytes = stride * static_cast<uint64_t>(height);
    if (bytes > g_memoryLimit || extraBytes > g_memoryLimit || bytes + extraBytes > g_memoryLimit)
        throw EGraphicsPicSize();
}

void createImage(RasterImage& image, int bitsPerPixel, int width, int height)
{
    checkPictureSize(width, height, bitsPerPixel);
    if (image.create(bitsPerPixel, width, height))
        return;
    switch (image.error()) {
    case kImageErrorSize: throw EGraphicsPicSize();
    case kImageErrorFormat: throw EGraphicsWrongColor();
    case kImageErrorMemory: throw EGraphicsMemory();
    default: throw EGraphicsException("Unknown error");
    }
}

void progress(const RasterImage& image, int64_t done, int64_t total)
{
    const ProgressFn fn = image.progressFn();
    if (!fn)
        return;
    const int percent = total > 0 ? static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100)) : 100;
    bool abort = false;
    fn(image.progressUser(), percent, &abort);
    if (abort)
        throw EGraphicsAbort();
}

void readExact(ByteReader& in, void* buffer, std::size_t n, const EGraphicsException& error)
{
    if (in.read(buffer, n) != n)
        throw error;
}

uint8_t readU8(ByteReader& in, const EGraphicsException& error)
{
    uint8_t b;
    readExact(in, &b, 1, error);
    return b;
}

uint16_t readLe16(ByteReader& in, const EGraphicsException& error)
{
    uint8_t b[2];
    readExact(in, b, 2, error);
    return le16(b);
}

uint32_t readLe32(ByteReader& in, const EGraphicsException& error)
{
    uint8_t b[4];
    readExact(in, b, 4, error);
    return le32(b);
}

uint16_t readBe16(ByteReader& in, const EGraphicsException& error)
{
    uint8_t b[2];
    readExact(in, b, 2, error);
    return be16(b);
}

uint32_t readBe32(ByteReader& in, const EGraphicsException& error)
{
    uint8_t b[4];
    readExact(in, b, 4, error);
    return be32(b);
}

std::vector<uint8_t> readWhole(ByteReader& in, const EGraphicsException& error)
{
    const uint64_t size = in.size();
    if (size > g_memoryLimit)
        throw EGraphicsPicSize();
    if (!in.seek(0))
        throw error;
    std::vector<uint8_t> data(static_cast<std::size_t>(size));
    readExact(in, data.data(), data.size(), error);
    return data;
}

void putLe16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLe32(std::vector<uint8_t>& out, uint32_t v)
{
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

void putBe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<uint8_t>(v >> s));
}

void rowColours(const RasterImage& image, int y, uint32_t* out)
{
    const pixfmt::PixelFormat* f = pixfmt::formatFor(image.bitsPerPixel());
    if (f && f->readColours) {
        f->readColours(image, y, 0, image.width(), out);
        return;
    }
    for (int x = 0; x < image.width(); ++x)
        out[x] = image.colourAt(x, y);
}

void writeAll(ByteWriter& out, const void* data, std::size_t n, const EGraphicsException& error)
{
    if (!out.write(data, n))
        throw error;
}

}  // namespace codec
}  // namespace gz
