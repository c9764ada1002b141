// The remote simulator's core: remote lines, a small script language and a
// pseudo-terminal that plays the remote control's serial port.
//
// Script: tokens separated by blanks.
//   0..9, a..f, A..F   press of that key ("kD" line)
//   U<k>, S<k>         release or status line of key k (framed, no action)
//   w<ms>              wait that many milliseconds (0..600000)
//   raw:<text>         bytes as they stand; \r, \n, \\ and \xHH are escapes
// Each line carries a running press number as its eight hex digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "devices/monotonic_clock.h"

namespace gz {

enum class RemoteLineEnd { Cr, Lf, CrLf };

// "kEhhhhhhhh" + line end, with `payload` as eight upper-case hex digits.
std::string remoteLine(char key, char event, uint32_t payload, RemoteLineEnd end);

struct RemoteScriptStep {
    enum class Kind { Send, Wait } kind = Kind::Send;
    std::string bytes;     // Send
    uint32_t waitMs = 0;   // Wait
};

// Parses a script; on failure returns false with `error` naming the token.
bool parseRemoteScript(std::string_view text, RemoteLineEnd end,
                       std::vector<RemoteScriptStep>& steps, std::string& error);

// The master side of a pseudo-terminal; the program under test opens the
// slave side (slavePath()) as its COM port.
class RemotePty {
public:
    RemotePty() = default;
    ~RemotePty();
    RemotePty(const RemotePty&) = delete;
    RemotePty& operator=(const RemotePty&) = delete;

    bool open();                          // false if no pseudo-terminal can be had
    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }
    bool peerOpen() const;                // someone holds the slave side open
    bool send(std::string_view bytes);    // all bytes written
    void drain();                         // discard what the peer wrote
    // Runs the steps, sleeping on `clock` for the waits; false if a write
    // failed.
    bool run(const std::vector<RemoteScriptStep>& steps, MonotonicClock& clock);

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace gz
