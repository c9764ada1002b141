// ComPortDriver: numbered handles ("slots" 0..7) to up to eight open serial
// ports, with non-blocking operations whose every wait is bounded, so a
// thread that polls a port always notices a request to stop.
//
// Built on POSIX termios with O_NONBLOCK and poll(). Port n (zero-based,
// n = COM number - 1) is the device path made from a template: "%d" is
// replaced by n, "%%" by "%". The template is, in this order of preference,
// the one given to comPortSetPathTemplate(), the environment variable
// GZ_COM_TEMPLATE, or "/dev/ttyS%d". A template without "%d" names one fixed
// device (a pseudo-terminal of the remote simulator, say) for every n.
//
// Return codes, for every operation: a slot outside 0..7, or a slot that is
// not open, fails as stated below; nothing is ever shown or logged.
//
// Threads: opens from several threads at once are safe (the free-slot search
// and the reservation of the slot found are one locked step). The other
// operations on one slot are meant for the one thread that opened it.
#pragma once

#include <cstdint>
#include <string>

namespace gz {

constexpr int kComPortSlots = 8;
constexpr int kComPortMaxPort = 255;   // highest port number open() accepts

// Parity argument of comPortOpen (index into a table of 8, 5..7 are none).
enum ComParity : int32_t {
    kComParityNone = 0,
    kComParityOdd = 1,
    kComParityEven = 2,
    kComParitySpace = 3,
    kComParityMark = 4,
};

// Flag bits of comPortOpen.
enum ComFlags : uint32_t {
    kComRtsOn = 0x04,
    kComDtrOn = 0x08,
    kComRtsHandshake = 0x10,   // hardware flow control (CRTSCTS)
    kComDtrHandshake = 0x20,   // no DSR/DTR flow control on POSIX: DTR is held on
    kComIgnoreModemLines = 0x40,   // drops both handshake bits
};

// Sets the device path template; returns false (and keeps the old one) when
// it holds a '%' other than one "%d" or "%%", or is longer than 200 bytes.
// An empty template restores the default lookup (environment, then default).
bool comPortSetPathTemplate(const std::string& pathTemplate);

// The device path that comPortOpen(port, ...) would open; empty for a port
// outside 0..255.
std::string comPortDevicePath(int32_t port);

// Opens port `port` (0..255) with the given line settings, raw (no echo, no
// line editing, no character translation), reads returning at once.
// stopBits: lowest bit 0 = one, 1 = two; dataBits: lowest bit 0 = eight,
// 1 = seven. Parity values outside 0..7 and baud rates termios cannot set
// (including 0) are refused. The device is opened exclusively: a second
// open of the same device, from this process or another, fails.
// Returns the slot 0..7, or -1 (no free slot, no such device, settings
// refused); a failed open leaves no slot occupied. Successive opens start
// their search for a free slot at successive slots.
int32_t comPortOpen(int32_t port, uint32_t baud, int32_t parity, int32_t stopBits,
                    int32_t dataBits, uint32_t flags);

// Same, for an explicit device path instead of a port number.
int32_t comPortOpenPath(const std::string& path, uint32_t baud, int32_t parity,
                        int32_t stopBits, int32_t dataBits, uint32_t flags);

// Why `path` could not be opened for reading and writing by this process:
// 0 when the permissions allow it (a failed open then had another cause,
// such as a busy port or refused settings), else the errno of the check
// (ENOENT: no such device; EACCES or EPERM: not allowed, typically a user
// outside the group that owns serial devices). Opens nothing, keeps no state.
int comPortAccessError(const std::string& path);

// Closes the slot's device and frees the slot: 0, or -1 if the slot is not
// open.
int32_t comPortClose(int32_t slot);

// 1 while the device answers (it is there and not hung up), else 0; a slot
// without a device gives 0. A pulled USB adapter or a closed pseudo-terminal
// peer gives 0.
int32_t comPortCheck(int32_t slot);

// Bytes waiting in the receive queue; 0 if the query fails.
int32_t comPortReceivedCount(int32_t slot);

// Waits until at least one byte is waiting (1) or `ms` have passed (0);
// 0 at once for a slot that is not open. Waits in steps of at most 500 ms
// and never more than about `ms` plus 50 ms, also on a port that fails.
int32_t comPortWaitForData(int32_t slot, uint32_t ms);

// Reads what has arrived, at most `count` bytes, without waiting: the number
// of bytes read (possibly 0), or -1 (slot not open, negative count, null
// buffer with count > 0, device failed or hung up). Count 0 returns 0.
int32_t comPortRead(int32_t slot, void* buffer, int32_t count);

// Duration of one character in 1/1024 ms: bits per character x 1024000 /
// baud (1066 for 9600 8N1); 0 for a slot that is not open.
uint32_t comPortByteTime(int32_t slot);

}  // namespace gz
