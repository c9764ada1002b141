#include "tools/remote-sim/remote_sim.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace gz {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool unescape(std::string_view in, std::string& out) {
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i >= in.size()) return false;
        switch (in[i]) {
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case '\\': out += '\\'; break;
            case 'x': {
                if (i + 2 >= in.size()) return false;
                const int hi = hexValue(in[i + 1]);
                const int lo = hexValue(in[i + 2]);
                if (hi < 0 || lo < 0) return false;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default: return false;
        }
    }
    return true;
}

}  // namespace

std::string remoteLine(char key, char event, uint32_t payload, RemoteLineEnd end) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c%c%08X", key, event, static_cast<unsigned>(payload));
    std::string line(buf);
    switch (end) {
        case RemoteLineEnd::Cr: line += '\r'; break;
        case RemoteLineEnd::Lf: line += '\n'; break;
        case RemoteLineEnd::CrLf: line += "\r\n"; break;
    }
    return line;
}

bool parseRemoteScript(std::string_view text, RemoteLineEnd end,
                       std::vector<RemoteScriptStep>& steps, std::string& error) {
    steps.clear();
    uint32_t press = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
        if (i >= text.size()) break;
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\n' && text[j] != '\r') ++j;
        const std::string_view tok = text.substr(i, j - i);
        i = j;

        RemoteScriptStep step;
        if (tok.size() == 1 && hexValue(tok[0]) >= 0) {
            step.bytes = remoteLine(tok[0], 'D', ++press, end);
        } else if (tok.size() == 2 && (tok[0] == 'U' || tok[0] == 'S') && hexValue(tok[1]) >= 0) {
            step.bytes = remoteLine(tok[1], tok[0], ++press, end);
        } else if (tok.size() >= 2 && tok[0] == 'w') {
            uint64_t ms = 0;
            for (std::size_t k = 1; k < tok.size(); ++k) {
                if (tok[k] < '0' || tok[k] > '9' || ms > 600000) {
                    ms = UINT64_MAX;
                    break;
                }
                ms = ms * 10 + static_cast<uint64_t>(tok[k] - '0');
            }
            if (ms > 600000) {
                error = "bad wait: " + std::string(tok);
                return false;
            }
            step.kind = RemoteScriptStep::Kind::Wait;
            step.waitMs = static_cast<uint32_t>(ms);
        } else if (tok.substr(0, 4) == "raw:") {
            if (!unescape(tok.substr(4), step.bytes) || step.bytes.empty()) {
                error = "bad raw text: " + std::string(tok);
                return false;
            }
        } else {
            error = "unknown token: " + std::string(tok);
            return false;
        }
        steps.push_back(std::move(step));
    }
    return true;
}

RemotePty::~RemotePty() {
    if (master_ >= 0) ::close(master_);
}

bool RemotePty::open() {
    if (master_ >= 0) return true;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) {
        master_ = -1;
        return false;
    }
    // The program under test opens the slave itself; holding it here would
    // hide whether it did.
    ::close(slave);
    const int fl = fcntl(master_, F_GETFL);
    if (fl >= 0) fcntl(master_, F_SETFL, fl | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    slavePath_ = name;
    return true;
}

bool RemotePty::peerOpen() const {
    if (master_ < 0) return false;
    pollfd p{master_, POLLOUT, 0};
    if (poll(&p, 1, 0) < 0) return false;
    return (p.revents & POLLHUP) == 0;
}

bool RemotePty::send(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            if (poll(&p, 1, 100) <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

void RemotePty::drain() {
    char buf[256];
    while (master_ >= 0 && ::read(master_, buf, sizeof buf) > 0) {
    }
}

bool RemotePty::run(const std::vector<RemoteScriptStep>& steps, MonotonicClock& clock) {
    for (const RemoteScriptStep& s : steps) {
        if (s.kind == RemoteScriptStep::Kind::Wait) {
            clock.sleepMs(s.waitMs);
        } else if (!send(s.bytes)) {
            return false;
        }
    }
    return true;
}

}  // namespace gz
