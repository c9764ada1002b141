// What the picture codecs share: a byte source (a file through a 32 KB
// buffer, or memory), a byte sink, bounded little/big-endian reads, the
// memory limit for decoded pictures, progress reporting and the mapping of a
// failed RasterImage::create onto the library's exceptions.
//
// Readers take a ByteReader positioned at 0 and throw EGraphicsException
// (or a codec subclass) on any failure. Nothing here allocates from a number
// read out of a file without checking it against the limit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/graphics_exception.h"
#include "imaging/raster_image.h"

namespace gz {

class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Reads up to n bytes; returns how many were read (short at the end).
    virtual std::size_t read(void* buffer, std::size_t n) = 0;
    virtual bool seek(uint64_t position) = 0;
    virtual uint64_t tell() const = 0;
    virtual uint64_t size() const = 0;
    uint64_t remaining() const { const uint64_t s = size(), t = tell(); return t < s ? s - t : 0; }
};

class MemoryReader final : public ByteReader {
public:
    MemoryReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(void* buffer, std::size_t n) override;
    bool seek(uint64_t position) override;
    uint64_t tell() const override { return pos_; }
    uint64_t size() const override { return size_; }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A file opened for reading with a 32 KB stdio buffer.
class FileReader final : public ByteReader {
public:
    explicit FileReader(const std::string& path);
    ~FileReader() override;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    bool isOpen() const { return file_ != nullptr; }
    std::size_t read(void* buffer, std::size_t n) override;
    bool seek(uint64_t position) override;
    uint64_t tell() const override;
    uint64_t size() const override { return size_; }

private:
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    char buffer_[32768];
};

class ByteWriter {
public:
    virtual ~ByteWriter() = default;
    // True when all n bytes were written.
    virtual bool write(const void* data, std::size_t n) = 0;
    // Flushes; true when everything written so far reached its target.
    virtual bool finish() = 0;
};

class FileWriter final : public ByteWriter {
public:
    explicit FileWriter(const std::string& path);   // creates or truncates
    ~FileWriter() override;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    bool isOpen() const { return file_ != nullptr; }
    bool write(const void* data, std::size_t n) override;
    bool finish() override;

private:
    std::FILE* file_ = nullptr;
    char buffer_[32768];
};

class MemoryWriter final : public ByteWriter {
public:
    bool write(const void* data, std::size_t n) override;
    bool finish() override { return true; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Largest pixel memory (stride x height) a reader may ask for; a larger
// picture is refused with EGraphicsPicSize before anything is allocated.
// Default 1 GiB.
void setImageMemoryLimit(std::size_t bytes);
std::size_t imageMemoryLimit();

namespace codec {

// Throws EGraphicsPicSize when a w x h picture of bpp bits (also the
// intermediate buffers a codec needs, given as extraBytes) passes the limit
// or RasterImage's side limit. w, h <= 0 are left to create.
void checkPictureSize(int64_t width, int64_t height, int bitsPerPixel, uint64_t extraBytes = 0);

// checkPictureSize, then image.create; a failed create becomes the
// exception of its error code (1 size, 2 colour, 3 memory, else "Unknown
// error").
void createImage(RasterImage& image, int bitsPerPixel, int width, int height);

// Reports row `done` of `total` to the image's progress callback and throws
// EGraphicsAbort when it asks to stop.
void progress(const RasterImage& image, int64_t done, int64_t total);

// Exact reads; throw `error` on a short read.
void readExact(ByteReader& in, void* buffer, std::size_t n, const EGraphicsException& error);
uint8_t readU8(ByteReader& in, const EGraphicsException& error);
uint16_t readLe16(ByteReader& in, const EGraphicsException& error);
uint32_t readLe32(ByteReader& in, const EGraphicsException& error);
uint16_t readBe16(ByteReader& in, const EGraphicsException& error);
uint32_t readBe32(ByteReader& in, const EGraphicsException& error);

// The whole source from position 0, for libraries that want the file in
// memory. A source larger than the memory limit is EGraphicsPicSize before
// anything is allocated; a short read throws `error`.
std::vector<uint8_t> readWhole(ByteReader& in, const EGraphicsException& error);

// Value of a hexadecimal digit; -1 for anything else (also end of file).
inline int hexDigitValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

inline uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

void putLe16(std::vector<uint8_t>& out, uint32_t v);
void putLe32(std::vector<uint8_t>& out, uint32_t v);
void putBe32(std::vector<uint8_t>& out, uint32_t v);

// Colours 0xRRGGBB (0xAARRGGBB at 32 bits) of row y, palette looked up.
void rowColours(const RasterImage& image, int y, uint32_t* out);

// Writes all bytes or throws `error`.
void writeAll(ByteWriter& out, const void* data, std::size_t n, const EGraphicsException& error);

}  // namespace codec
}  // namespace gz
