#include "imaging/heif_container.h"

#include <optional>
#include <vector>

namespace gz {

namespace {

constexpr uint32_t fourcc(const char (&s)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 8 | static_cast<uint8_t>(s[3]);
}

struct Box {
    uint32_t type = 0;
    std::size_t body = 0;   // first byte after the header
    std::size_t end = 0;    // one past the last byte
};

class Reader {
public:
    Reader(const uint8_t* data, std::size_t size) : d_(data), size_(size) {}

    uint32_t be16(std::size_t at) const { return static_cast<uint32_t>(d_[at] << 8 | d_[at + 1]); }
    uint32_t be32(std::size_t at) const
    {
        return static_cast<uint32_t>(d_[at]) << 24 | static_cast<uint32_t>(d_[at + 1]) << 16 |
               static_cast<uint32_t>(d_[at + 2]) << 8 | d_[at + 3];
    }
    uint8_t byte(std::size_t at) const { return d_[at]; }
    std::size_t size() const { return size_; }

    // The box starting at pos inside [pos, limit); nothing when its header
    // or stated size does not fit.
    std::optional<Box> box(std::size_t pos, std::size_t limit) const
    {
        if (limit > size_ || pos > limit || limit - pos < 8)
            return std::nullopt;
        uint64_t length = be32(pos);
        std::size_t header = 8;
        if (length == 1) {
            if (limit - pos < 16)
                return std::nullopt;
            length = static_cast<uint64_t>(be32(pos + 8)) << 32 | be32(pos + 12);
            header = 16;
        } else if (length == 0) {
            length = limit - pos;   // up to the end of the parent
        }
        if (length < header || length > limit - pos)
            return std::nullopt;
        return Box{be32(pos + 4), pos + header, pos + static_cast<std::size_t>(length)};
    }

    // The boxes within [from, to) in order, until one does not fit.
    std::vector<Box> children(std::size_t from, std::size_t to) const
    {
        std::vector<Box> out;
        for (std::optional<Box> b = box(from, to); b; b = box(b->end, to))
            out.push_back(*b);
        return out;
    }

    // First child of the given type within [from, to).
    std::optional<Box> find(std::size_t from, std::size_t to, uint32_t type) const
    {
        for (std::optional<Box> b = box(from, to); b; b = box(b->end, to))
            if (b->type == type)
                return b;
        return std::nullopt;
    }

private:
    const uint8_t* d_;
    std::size_t size_;
};

// Per property of ipco (index 1 is the first): does it turn the picture?
std::vector<bool> turningProperties(const Reader& r, const Box& ipco)
{
    std::vector<bool> turns;
    for (const Box& b : r.children(ipco.body, ipco.end)) {
        bool turning = false;
        if (b.type == fourcc("irot"))
            turning = b.end > b.body && (r.byte(b.body) & 3) != 0;
        else if (b.type == fourcc("imir"))
            turning = true;
        turns.push_back(turning);
    }
    return turns;
}

std::optional<uint32_t> primaryItem(const Reader& r, const Box& meta, std::size_t children)
{
    const auto pitm = r.find(children, meta.end, fourcc("pitm"));
    if (!pitm || pitm->end - pitm->body < 6)
        return std::nullopt;
    if (r.byte(pitm->body) == 0)
        return r.be16(pitm->body + 4);
    if (pitm->end - pitm->body < 8)
        return std::nullopt;
    return r.be32(pitm->body + 4);
}

// Whether one ipma box associates `item` with a turning property.
bool associatesTurn(const Reader& r, const Box& ipma, uint32_t item, const std::vector<bool>& turns)
{
    if (ipma.end - ipma.body < 8)
        return false;
    const bool longIds = r.byte(ipma.body) >= 1;
    const bool longIndexes = (r.byte(ipma.body + 3) & 1) != 0;
    const uint32_t entries = r.be32(ipma.body + 4);
    std::size_t pos = ipma.body + 8;
    const std::size_t idBytes = longIds ? 4 : 2;
    const std::size_t indexBytes = longIndexes ? 2 : 1;
    for (uint32_t e = 0; e < entries; ++e) {
        if (ipma.end - pos < idBytes + 1)
            return false;
        const uint32_t id = longIds ? r.be32(pos) : r.be16(pos);
        const std::size_t count = r.byte(pos + idBytes);
        pos += idBytes + 1;
        if ((ipma.end - pos) / indexBytes < count)
            return false;
        for (std::size_t a = 0; a < count; ++a, pos += indexBytes) {
            const uint32_t index = longIndexes ? (r.be16(pos) & 0x7FFF) : (r.byte(pos) & 0x7F);
            if (id == item && index >= 1 && index <= turns.size() && turns[index - 1])
                return true;
        }
    }
    return false;
}

}  // namespace

bool heifPrimaryIsTurned(const uint8_t* data, std::size_t size)
{
    if (!data)
        return false;
    const Reader r(data, size);
    const auto meta = r.find(0, size, fourcc("meta"));
    // meta is a full box: version and flags come before its children.
    if (!meta || meta->end - meta->body < 4)
        return false;
    const std::size_t children = meta->body + 4;
    const auto item = primaryItem(r, *meta, children);
    const auto iprp = r.find(children, meta->end, fourcc("iprp"));
    if (!item || !iprp)
        return false;
    const auto ipco = r.find(iprp->body, iprp->end, fourcc("ipco"));
    if (!ipco)
        return false;
    const std::vector<bool> turns = turningProperties(r, *ipco);
    for (const Box& b : r.children(iprp->body, iprp->end))
        if (b.type == fourcc("ipma") && associatesTurn(r, b, *item, turns))
            return true;
    return false;
}

}  // namespace gz
