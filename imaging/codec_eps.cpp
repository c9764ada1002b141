#include "imaging/codec_eps.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace gz {

namespace {

constexpr int kMaxNesting = 32;          // of arrays and procedures
constexpr std::size_t kMaxTokenText = 64;   // longer names are cut (none we look for is)
constexpr std::size_t kMaxArray = 16;     // numbers kept of one array

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\0'; }

bool isDelimiter(int c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

// A buffered byte source with one byte of push-back; the picture data is read
// character by character.
class Source {
public:
    explicit Source(ByteReader& in) : in_(in) {}

    int get()
    {
        if (pos_ == len_) {
            len_ = in_.read(buffer_, sizeof buffer_);
            pos_ = 0;
            if (len_ == 0)
                return -1;
        }
        return buffer_[pos_++];
    }
    // Only right after a get() that returned a byte.
    void unget() { --pos_; }
    uint64_t remaining() const { return in_.remaining() + (len_ - pos_); }

    void skipLine()
    {
        int c = get();
        while (c >= 0 && c != '\n' && c != '\r')
            c = get();
    }

private:
    ByteReader& in_;
    uint8_t buffer_[4096];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
};

// What decides where a procedure given to an image operator takes its data.
struct Procedure {
    bool readsFile = false;   // currentfile
    bool readsHex = false;    // readhexstring
    bool other = false;       // another way of reading, or a nested procedure
    int tokens = 0;
    int hexStrings = 0;
    std::vector<uint8_t> hex;   // the first hexadecimal string literal
};

enum class Kind { Number, Name, Literal, String, Hex, Array, Proc, CloseArray, CloseProc, Other };

struct Token {
    Kind kind = Kind::Other;
    std::string text;            // names
    double number = 0;
    std::vector<double> array;   // an array of numbers only
    bool numericArray = true;
    std::vector<uint8_t> hex;
    Procedure proc;
};

bool parseNumber(const std::string& text, double& value)
{
    bool digit = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
            return false;
    }
    if (!digit)
        return false;
    // from_chars: the program's locale must not change the decimal point.
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && std::isfinite(value);
}

// Reads one hexadecimal digit pair after another, skipping white space.
uint8_t hexByte(Source& src)
{
    int nibbles[2];
    for (int& n : nibbles) {
        int c = src.get();
        while (c >= 0 && isSpace(c))
            c = src.get();
        n = codec::hexDigitValue(c);
        if (n < 0)   // end of the file, ">" or anything else before the data is complete
            throw EEpsCorruptFile();
    }
    return static_cast<uint8_t>(nibbles[0] << 4 | nibbles[1]);
}

class Tokenizer {
public:
    explicit Tokenizer(Source& src) : src_(src) {}

    // False at the end of the file.
    bool next(Token& t, int depth = 0)
    {
        int c = src_.get();
        for (;;) {
            if (c < 0)
                return false;
            if (c == '%') {
                src_.skipLine();
                c = src_.get();
            } else if (isSpace(c)) {
                c = src_.get();
            } else {
                break;
            }
        }
        t = Token{};
        switch (c) {
        case '(': skipString(); t.kind = Kind::String; return true;
        case ')': throw EEpsCorruptFile();
        case '<': {
            const int d = src_.get();
            if (d == '<') {
                t.text = "<<";
                return true;
            }
            if (d >= 0)
                src_.unget();
            readHexString(t.hex);
            t.kind = Kind::Hex;
            return true;
        }
        case '>':
            if (src_.get() != '>')
                throw EEpsCorruptFile();
            t.text = ">>";
            return true;
        case '[': t.kind = Kind::Array; readArray(t, depth + 1); return true;
        case ']': t.kind = Kind::CloseArray; return true;
        case '{': t.kind = Kind::Proc; readProc(t.proc, depth + 1); return true;
        case '}': t.kind = Kind::CloseProc; return true;
        case '/': {
            const int d = src_.get();   // "//name" is a name too
            if (d >= 0 && d != '/')
                src_.unget();
            t.kind = Kind::Literal;
            readRegular(t.text, -1);
            return true;
        }
        default:
            readRegular(t.text, c);
            t.kind = parseNumber(t.text, t.number) ? Kind::Number : Kind::Name;
            return true;
        }
    }

private:
    // The rest of a regular token; the white space that ends it is used up,
    // a delimiter is left for the next token.
    void readRegular(std::string& text, int first)
    {
        int c = first >= 0 ? first : src_.get();
        while (c >= 0 && !isSpace(c) && !isDelimiter(c)) {
            if (text.size() < kMaxTokenText)
                text += static_cast<char>(c);
            c = src_.get();
        }
        if (c >= 0 && isDelimiter(c))
            src_.unget();
    }

    void skipString()
    {
        int open = 1;
        while (open > 0) {
            const int c = src_.get();
            if (c < 0)
                throw EEpsCorruptFile();
            if (c == '\\') {
                if (src_.get() < 0)
                    throw EEpsCorruptFile();
            } else if (c == '(') {
                ++open;
            } else if (c == ')') {
                --open;
            }
        }
    }

    void readHexString(std::vector<uint8_t>& out)
    {
        int high = -1;
        for (;;) {
            const int c = src_.get();
            if (c < 0)
                throw EEpsCorruptFile();
            if (isSpace(c))
                continue;
            if (c == '>')
                break;
            const int v = codec::hexDigitValue(c);
            if (v < 0)
                throw EEpsCorruptFile();
            if (high < 0) {
                high = v;
            } else {
                out.push_back(static_cast<uint8_t>(high << 4 | v));
                high = -1;
            }
        }
        if (high >= 0)   // an odd last digit stands for its high half
            out.push_back(static_cast<uint8_t>(high << 4));
    }

    void readArray(Token& t, int depth)
    {
        if (depth > kMaxNesting)
            throw EEpsNotSupported();
        Token e;
        for (;;) {
            if (!next(e, depth))
                throw EEpsCorruptFile();
            if (e.kind == Kind::CloseArray)
                return;
            if (e.kind == Kind::CloseProc)
                throw EEpsCorruptFile();
            if (e.kind == Kind::Number && t.array.size() < kMaxArray)
                t.array.push_back(e.number);
            else
                t.numericArray = false;
        }
    }

    void readProc(Procedure& p, int depth)
    {
        if (depth > kMaxNesting)
            throw EEpsNotSupported();
        Token e;
        for (;;) {
            if (!next(e, depth))
                throw EEpsCorruptFile();
            if (e.kind == Kind::CloseProc)
                return;
            ++p.tokens;
            if (e.kind == Kind::Hex) {
                if (p.hexStrings++ == 0)
                    p.hex = std::move(e.hex);
            } else if (e.kind == Kind::Proc) {
                p.other = true;
            } else if (e.kind == Kind::Name) {
                static const char* const kOtherReads[] = {"readstring", "readline",        "read",
                                                          "filter",     "token",           "exec",
                                                          "run",        "setfileposition", "bytesavailable"};
                if (e.text == "currentfile")
                    p.readsFile = true;
                else if (e.text == "readhexstring")
                    p.readsHex = true;
                for (const char* name : kOtherReads)
                    if (e.text == name)
                        p.other = true;
            }
        }
    }

    Source& src_;
};

int64_t positiveInteger(const Token& t)
{
    if (t.kind != Kind::Number || t.number != std::floor(t.number))
        throw EEpsNotSupported();
    if (t.number <= 0)
        throw EEpsCorruptFile();
    // Anything this large is refused by the size check; keep it countable.
    return t.number > 1e12 ? int64_t{1000000000000} : static_cast<int64_t>(t.number);
}

}  // namespace

void readEps(ByteReader& in, RasterImage& image)
{
    Source src(in);
    if (src.get() != '%' || src.get() != '!')
        throw EEpsNotAEpsFile();
    src.skipLine();

    // Only the last operands before the image operator matter; nothing is
    // executed, so a program that draws its picture some other way never
    // reaches a fitting operator.
    Tokenizer tokens(src);
    std::vector<Token> stack;
    Token t;
    for (;;) {
        if (!tokens.next(t))
            throw EEpsNotSupported();
        if (t.kind == Kind::CloseArray || t.kind == Kind::CloseProc)
            throw EEpsCorruptFile();
        if (t.kind == Kind::Name && (t.text == "image" || t.text == "colorimage"))
            break;
        if (t.kind == Kind::Name && t.text == "bind" && !stack.empty() && stack.back().kind == Kind::Proc)
            continue;   // "{...} bind" leaves the procedure as it is
        stack.push_back(std::move(t));
        if (stack.size() > 8)
            stack.erase(stack.begin());
    }

    const bool colourOperator = t.text == "colorimage";
    const std::size_t operands = colourOperator ? 7 : 5;
    if (stack.size() < operands)
        throw EEpsNotSupported();
    const Token* op = &stack[stack.size() - operands];
    int components = 1;
    if (colourOperator) {
        if (op[5].kind != Kind::Name || op[5].text != "false")   // one procedure for all channels
            throw EEpsNotSupported();
        if (op[6].kind != Kind::Number || (op[6].number != 1 && op[6].number != 3))
            throw EEpsNotSupported();
        components = static_cast<int>(op[6].number);
    }
    const int64_t width = positiveInteger(op[0]);
    const int64_t height = positiveInteger(op[1]);
    if (op[2].kind != Kind::Number || (op[2].number != 8 && (op[2].number != 1 || colourOperator)))
        throw EEpsNotSupported();
    const int bits = static_cast<int>(op[2].number);
    const Token& matrix = op[3];
    if (matrix.kind != Kind::Array || !matrix.numericArray || matrix.array.size() != 6 || matrix.array[0] == 0 ||
        matrix.array[1] != 0 || matrix.array[2] != 0 || matrix.array[3] == 0)
        throw EEpsNotSupported();   // rotated or skewed
    if (op[4].kind != Kind::Proc)
        throw EEpsNotSupported();
    const Procedure& proc = op[4].proc;
    const bool fromFile = proc.readsFile && proc.readsHex && !proc.other && proc.hexStrings == 0;
    const bool inlineData = proc.hexStrings == 1 && proc.tokens == 1;
    if (!fromFile && !inlineData)
        throw EEpsNotSupported();

    const int depth = bits == 1 ? 1 : (components == 3 ? 24 : 8);
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits * components + 7) / 8;
    codec::checkPictureSize(width, height, depth, rowBytes);
    const uint64_t dataBytes = rowBytes * static_cast<uint64_t>(height);
    if (fromFile && src.remaining() / 2 < dataBytes)   // two digits per byte at least
        throw EEpsCorruptFile();
    if (inlineData && proc.hex.size() < dataBytes)
        throw EEpsNotSupported();   // a string used over and over

    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    codec::createImage(image, depth, w, h);
    if (depth == 1) {
        image.palette()[0] = 0x000000;
        image.palette()[1] = 0xFFFFFF;
    } else if (depth == 8) {
        for (int i = 0; i < 256; ++i)
            image.palette()[i] = static_cast<uint32_t>(i) * 0x010101u;
    }
    const bool mirrorX = matrix.array[0] < 0;
    const bool bottomUp = matrix.array[3] > 0;
    std::vector<uint8_t> row(static_cast<std::size_t>(rowBytes));
    std::size_t inlineAt = 0;
    for (int y = 0; y < h; ++y) {
        if (fromFile) {
            for (uint8_t& b : row)
                b = hexByte(src);
        } else {
            std::memcpy(row.data(), proc.hex.data() + inlineAt, row.size());
            inlineAt += row.size();
        }
        const int ty = bottomUp ? h - 1 - y : y;
        for (int x = 0; x < w; ++x) {
            const int tx = mirrorX ? w - 1 - x : x;
            uint32_t v;
            if (depth == 1)
                v = row[x >> 3] >> (7 - (x & 7)) & 1u;
            else if (depth == 8)
                v = row[x];
            else
                v = static_cast<uint32_t>(row[3 * x]) << 16 | static_cast<uint32_t>(row[3 * x + 1]) << 8 |
                    row[3 * x + 2];
            image.setPixel(tx, ty, v);
        }
        codec::progress(image, y + 1, h);
    }
}

void writeEps(ByteWriter& out, const RasterImage& image)
{
    if (image.isEmpty())
        throw EEpsDataError();
    const int w = image.width();
    const int h = image.height();
    const bool bits = image.bitsPerPixel() == 1;
    const int rowBytes = bits ? (w + 7) / 8 : 3 * w;
    char head[512];
    const int n = std::snprintf(head, sizeof head,
                                "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %i %i\n%%%%EndComments\n"
                                "gsave\n/picstr %i string def\n%i %i scale\n%i %i %i [%i 0 0 -%i 0 %i]\n"
                                "{currentfile picstr readhexstring pop}\n%s\n",
                                w, h, rowBytes, w, h, w, h, bits ? 1 : 8, w, h, h,
                                bits ? "image" : "false 3 colorimage");
    const EEpsFileWriteError writeError;
    codec::writeAll(out, head, static_cast<std::size_t>(n), writeError);
    static const char kHex[] = "0123456789abcdef";
    std::vector<uint32_t> colours(static_cast<std::size_t>(w));
    std::vector<uint8_t> row(static_cast<std::size_t>(rowBytes));
    std::string text;
    for (int y = 0; y < h; ++y) {
        codec::rowColours(image, y, colours.data());
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colours[x];
            if (bits) {
                const uint32_t luma = ((c >> 16 & 0xFF) * 299 + (c >> 8 & 0xFF) * 587 + (c & 0xFF) * 114) / 1000;
                if (luma >= 128)   // set bits are white
                    row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                row[3 * x + 0] = static_cast<uint8_t>(c >> 16);
                row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(c);
            }
        }
        text.clear();
        for (int i = 0; i < rowBytes; ++i) {
            text += kHex[row[i] >> 4];
            text += kHex[row[i] & 15];
            if (i % 36 == 35 || i + 1 == rowBytes)
                text += '\n';
        }
        codec::writeAll(out, text.data(), text.size(), writeError);
        codec::progress(image, y + 1, h);
    }
    static const char kTail[] = "grestore\nshowpage\n%%EOF\n";
    codec::writeAll(out, kTail, sizeof kTail - 1, writeError);
}

}  // namespace gz
