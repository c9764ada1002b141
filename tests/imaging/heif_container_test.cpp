#include "imaging/heif_container.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/imaging/picture_fixtures.h"

namespace gz {
namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<uint8_t>(v >> s));
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes box(const char* type, const Bytes& payload)
{
    Bytes b;
    put32(b, static_cast<uint32_t>(8 + payload.size()));
    b.insert(b.end(), type, type + 4);
    return cat({b, payload});
}

Bytes fullBox(const char* type, uint8_t version, uint32_t flags, const Bytes& payload)
{
    return box(type, cat({{version, static_cast<uint8_t>(flags >> 16), static_cast<uint8_t>(flags >> 8),
                           static_cast<uint8_t>(flags)},
                          payload}));
}

const Bytes kFtyp = box("ftyp", {'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1', 'h', 'e', 'i', 'c'});
const Bytes kHdlr = fullBox("hdlr", 0, 0, {0, 0, 0, 0, 'p', 'i', 'c', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
const Bytes kIspe = fullBox("ispe", 0, 0, {0, 0, 0, 16, 0, 0, 0, 8});

Bytes pitm(uint32_t item, uint8_t version = 0)
{
    Bytes id;
    if (version == 0)
        id = {static_cast<uint8_t>(item >> 8), static_cast<uint8_t>(item)};
    else
        put32(id, item);
    return fullBox("pitm", version, 0, id);
}

// One ipma entry per item: (item, property indexes; essential bit set on the first).
struct Association { uint32_t item; std::vector<uint16_t> properties; };

Bytes ipma(const std::vector<Association>& entries, uint8_t version = 0, bool longIndexes = false)
{
    Bytes p;
    put32(p, static_cast<uint32_t>(entries.size()));
    for (const Association& e : entries) {
        if (version == 0) {
            p.push_back(static_cast<uint8_t>(e.item >> 8));
            p.push_back(static_cast<uint8_t>(e.item));
        } else {
            put32(p, e.item);
        }
        p.push_back(static_cast<uint8_t>(e.properties.size()));
        for (std::size_t i = 0; i < e.properties.size(); ++i) {
            const uint16_t essential = i == 0 ? (longIndexes ? 0x8000 : 0x80) : 0;
            const uint16_t v = static_cast<uint16_t>(e.properties[i] | essential);
            if (longIndexes)
                p.push_back(static_cast<uint8_t>(v >> 8));
            p.push_back(static_cast<uint8_t>(v));
        }
    }
    return fullBox("ipma", version, longIndexes ? 1 : 0, p);
}

Bytes file(const Bytes& properties, const Bytes& associations, const Bytes& primary = pitm(1))
{
    const Bytes iprp = box("iprp", cat({box("ipco", properties), associations}));
    return cat({kFtyp, fullBox("meta", 0, 0, cat({kHdlr, primary, iprp})), box("mdat", {1, 2, 3, 4})});
}

const Bytes kIrot90 = box("irot", {1});
const Bytes kIrot0 = box("irot", {0});
const Bytes kImir = box("imir", {0});

TEST(HeifContainer, TurnOfThePrimaryItem)
{
    // A meta box with a 64-bit size, and a last box running to the end.
    Bytes large = {0, 0, 0, 1, 'm', 'e', 't', 'a'};
    const Bytes metaBody = cat({{0, 0, 0, 0}, kHdlr, pitm(1),
                                box("iprp", cat({box("ipco", cat({kIspe, kIrot90})), ipma({{1, {1, 2}}})}))});
    for (int s = 56; s >= 0; s -= 8)
        large.push_back(static_cast<uint8_t>((16 + metaBody.size()) >> s));
    large = cat({kFtyp, large, metaBody});
    Bytes toEnd = file(cat({kIspe, kIrot90}), ipma({{1, {1, 2}}}));
    const std::size_t mdat = toEnd.size() - 12;
    toEnd[mdat] = toEnd[mdat + 1] = toEnd[mdat + 2] = toEnd[mdat + 3] = 0;

    struct Case { const char* what; Bytes data; bool turned; };
    const Case cases[] = {
        {"irot 90", file(cat({kIspe, kIrot90}), ipma({{1, {1, 2}}})), true},
        {"irot 0", file(cat({kIspe, kIrot0}), ipma({{1, {1, 2}}})), false},
        {"imir", file(cat({kIspe, kImir}), ipma({{1, {2, 1}}})), true},
        {"no transform", file(kIspe, ipma({{1, {1}}})), false},
        {"irot of a thumbnail only", file(cat({kIspe, kIrot90}), ipma({{1, {1}}, {2, {1, 2}}})), false},
        {"primary is the second item", file(cat({kIspe, kIrot90}), ipma({{1, {1}}, {2, {1, 2}}}), pitm(2)), true},
        {"32-bit item ids", file(cat({kIspe, kIrot90}), ipma({{70000, {2}}}, 1), pitm(70000, 1)), true},
        {"15-bit property indexes", file(cat({kIspe, kImir}), ipma({{1, {1, 2}}}, 0, true)), true},
        {"second ipma box", file(cat({kIspe, kIrot90}), cat({ipma({{1, {1}}}), ipma({{1, {2}}})})), true},
        {"64-bit meta size", large, true},
        {"last box to the end of the file", toEnd, true},
        // Damage
        {"property index past ipco", file(cat({kIspe, kIrot90}), ipma({{1, {1, 3}}})), false},
        {"property index 0", file(cat({kIspe, kIrot90}), ipma({{1, {0}}})), false},
        {"no pitm", file(cat({kIspe, kIrot90}), ipma({{1, {2}}}), {}), false},
        {"empty irot", file(cat({kIspe, box("irot", {})}), ipma({{1, {2}}})), false},
        {"nothing", {}, false},
        {"ftyp only", kFtyp, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(heifPrimaryIsTurned(c.data.data(), c.data.size()), c.turned) << c.what;
}

// Counts and sizes that point past their box: the walk stops, and every
// cut of a good file is read without touching bytes past the cut.
TEST(HeifContainer, DamagedSizesAndEveryTruncation)
{
    const Bytes good = file(cat({kIspe, kIrot90}), ipma({{1, {1, 2}}}));
    ASSERT_TRUE(heifPrimaryIsTurned(good.data(), good.size()));

    // The primary item is not among the entries that are there; the count
    // claims four billion more.
    Bytes hugeCount = file(cat({kIspe, kIrot90}), ipma({{2, {1, 2}}}));
    const std::size_t ipmaAt = std::string(hugeCount.begin(), hugeCount.end()).find("ipma");
    ASSERT_NE(ipmaAt, std::string::npos);
    for (int i = 0; i < 4; ++i)
        hugeCount[ipmaAt + 8 + i] = 0xFF;   // entry count after version and flags
    Bytes boxTooLong = good;
    boxTooLong[ipmaAt - 1] = 0xF0;           // ipma claims more than its parent holds
    Bytes boxTooShort = good;
    boxTooShort[ipmaAt - 1] = 4;             // smaller than its own header
    for (const Bytes& bad : {hugeCount, boxTooLong, boxTooShort})
        EXPECT_FALSE(heifPrimaryIsTurned(bad.data(), bad.size()));

    // Until meta is complete nothing counts; the cut mdat after it does not matter.
    const std::size_t metaEnd = good.size() - 12;
    for (std::size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_EQ(heifPrimaryIsTurned(cut.data(), cut.size()), n >= metaEnd) << n;
    }
}

// Files libheif writes: the turn it is asked for shows up as irot/imir.
TEST(HeifContainer, FilesWrittenByLibheif)
{
    RasterImage picture;
    ASSERT_TRUE(picture.create(24, 16, 8, 0x336699u));
    struct Case { int orientation; bool turned; };
    for (const Case& c : {Case{1, false}, Case{2, true}, Case{3, true}, Case{6, true}, Case{8, true}}) {
        const Bytes heic = testing::encodeHeif(picture, testing::HeifCodec::Av1, false, c.orientation);
        ASSERT_FALSE(heic.empty());
        EXPECT_EQ(heifPrimaryIsTurned(heic.data(), heic.size()), c.turned) << c.orientation;
    }
}

}  // namespace
}  // namespace gz
