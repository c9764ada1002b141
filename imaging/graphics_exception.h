// The exceptions of the image library. The codecs throw them; the two file
// entry points catch them and turn them into a negative result code plus the
// last-error text. Each carries an integer type code and a message of at most
// 255 bytes (longer messages are cut, never in the middle of a UTF-8
// sequence). Messages are UTF-8, since they end up in message boxes.
//
//   type 0  EGraphicsException   any other failure (caller's text)
//   type 1  EGraphicsAbort       "Benutzer Abbruch"      (progress abort)
//   type 4  EGraphicsPicSize     "Das Bild ist zu groß"
//   type 5  EGraphicsWrongColor  "Falsches Farbformat"
//   type 6  EGraphicsMemory      "Zu wenig Speicher"
#pragma once

#include <cstddef>
#include <cstring>
#include <exception>
#include <string_view>

namespace gz {

enum GraphicsErrorType : int {
    kGraphicsErrorGeneral = 0,
    kGraphicsErrorAbort = 1,
    kGraphicsErrorPicSize = 4,
    kGraphicsErrorWrongColor = 5,
    kGraphicsErrorMemory = 6,
};

class EGraphicsException : public std::exception {
public:
    static constexpr std::size_t kMaxMessage = 255;

    explicit EGraphicsException(std::string_view message, int type = kGraphicsErrorGeneral) noexcept
        : type_(type)
    {
        std::size_t n = message.size() < kMaxMessage ? message.size() : kMaxMessage;
        // Step back over UTF-8 continuation bytes so a cut never splits a character.
        if (n < message.size())
            while (n > 0 && (static_cast<unsigned char>(message[n]) & 0xC0) == 0x80)
                --n;
        std::memcpy(message_, message.data(), n);
        message_[n] = '\0';
    }

    int type() const noexcept { return type_; }
    const char* message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_; }

private:
    int type_;
    char message_[kMaxMessage + 1];
};

class EGraphicsAbort : public EGraphicsException {
public:
    EGraphicsAbort() noexcept : EGraphicsException("Benutzer Abbruch", kGraphicsErrorAbort) {}
    explicit EGraphicsAbort(std::string_view message) noexcept
        : EGraphicsException(message, kGraphicsErrorAbort) {}
};

class EGraphicsPicSize : public EGraphicsException {
public:
    EGraphicsPicSize() noexcept : EGraphicsException("Das Bild ist zu groß", kGraphicsErrorPicSize) {}
    explicit EGraphicsPicSize(std::string_view message) noexcept
        : EGraphicsException(message, kGraphicsErrorPicSize) {}
};

class EGraphicsWrongColor : public EGraphicsException {
public:
    EGraphicsWrongColor() noexcept : EGraphicsException("Falsches Farbformat", kGraphicsErrorWrongColor) {}
    explicit EGraphicsWrongColor(std::string_view message) noexcept
        : EGraphicsException(message, kGraphicsErrorWrongColor) {}
};

class EGraphicsMemory : public EGraphicsException {
public:
    EGraphicsMemory() noexcept : EGraphicsException("Zu wenig Speicher", kGraphicsErrorMemory) {}
    explicit EGraphicsMemory(std::string_view message) noexcept
        : EGraphicsException(message, kGraphicsErrorMemory) {}
};

}  // namespace gz
