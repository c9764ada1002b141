// gz_remote_sim: plays the remote control on a pseudo-terminal, so a show
// can be tried without the hardware.
//
//   gz_remote_sim [--link PATH] [--script TEXT] [--line-end cr|lf|crlf]
//                 [--no-wait] [--hold]
//
// It prints the device path to point the program at, for example
//   GZ_COM_TEMPLATE=/dev/pts/7 ./gamezinko
// (or with --link /tmp/remote0 and GZ_COM_TEMPLATE=/tmp/remote%d, a path
// that stays the same from run to run). Keys typed on the terminal send
// presses: 0 and 1 the buzzers, 2..7 the game master's buttons, 8, 9, a..f
// keys without action; q quits. --script sends a sequence (see
// remote_sim.h) once the program has opened the port (--no-wait: at once)
// and then quits unless --hold is given.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "tools/remote-sim/remote_sim.h"

namespace {

std::atomic<bool> gQuit{false};

void onSignal(int) { gQuit.store(true); }

int usage() {
    std::fprintf(stderr,
                 "usage: gz_remote_sim [--link PATH] [--script TEXT] [--line-end cr|lf|crlf]\n"
                 "                     [--no-wait] [--hold]\n");
    return 2;
}

// Puts the terminal into single-key mode for the run, and back at the end.
class KeyMode {
public:
    KeyMode() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios t = saved_;
        t.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        active_ = tcsetattr(STDIN_FILENO, TCSANOW, &t) == 0;
    }
    ~KeyMode() {
        if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }

private:
    termios saved_{};
    bool active_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::string link;
    std::string script;
    bool haveScript = false;
    bool waitOpen = true;
    bool hold = false;
    gz::RemoteLineEnd lineEnd = gz::RemoteLineEnd::Cr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--link" && i + 1 < argc) {
            link = argv[++i];
        } else if (a == "--script" && i + 1 < argc) {
            script = argv[++i];
            haveScript = true;
        } else if (a == "--line-end" && i + 1 < argc) {
            const std::string e = argv[++i];
            if (e == "cr") lineEnd = gz::RemoteLineEnd::Cr;
            else if (e == "lf") lineEnd = gz::RemoteLineEnd::Lf;
            else if (e == "crlf") lineEnd = gz::RemoteLineEnd::CrLf;
            else return usage();
        } else if (a == "--no-wait") {
            waitOpen = false;
        } else if (a == "--hold") {
            hold = true;
        } else {
            return usage();
        }
    }

    std::vector<gz::RemoteScriptStep> steps;
    std::string error;
    if (haveScript && !gz::parseRemoteScript(script, lineEnd, steps, error)) {
        std::fprintf(stderr, "gz_remote_sim: %s\n", error.c_str());
        return 2;
    }

    gz::RemotePty pty;
    if (!pty.open()) {
        std::fprintf(stderr, "gz_remote_sim: no pseudo-terminal available\n");
        return 1;
    }
    if (!link.empty()) {
        struct stat st{};
        if (lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(link.c_str());
        if (symlink(pty.slavePath().c_str(), link.c_str()) != 0) {
            std::fprintf(stderr, "gz_remote_sim: cannot create link %s: %s\n", link.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    std::printf("remote on %s%s%s\n", pty.slavePath().c_str(), link.empty() ? "" : " via ",
                link.c_str());
    std::printf("try: GZ_COM_TEMPLATE=%s\n", link.empty() ? pty.slavePath().c_str() : link.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    const bool interactive = !haveScript || hold;
    KeyMode keys;
    if (interactive) {
        std::printf("keys: 0/1 buzzers, 2 next picture, 3 uncover, 4/5 left -/+, 6/7 right -/+, q quits\n");
        std::fflush(stdout);
    }

    gz::MonotonicClock& clock = gz::systemClock();
    bool wasOpen = false;
    bool scriptDone = !haveScript;
    uint32_t press = 0x1000;
    int rc = 0;
    while (!gQuit.load()) {
        const bool open = pty.peerOpen();
        if (open != wasOpen) {
            std::printf(open ? "port opened\n" : "port closed\n");
            std::fflush(stdout);
            wasOpen = open;
        }
        if (open) pty.drain();
        if (!scriptDone && (open || !waitOpen)) {
            if (!pty.run(steps, clock)) {
                std::fprintf(stderr, "gz_remote_sim: write failed\n");
                rc = 1;
            }
            scriptDone = true;
            if (!hold) {
                // Closing the master hangs the port up, which may throw away
                // input the program has not read yet: give it time to.
                clock.sleepMs(300);
                break;
            }
        }
        if (!interactive) {
            clock.sleepMs(20);
            continue;
        }
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, 20) <= 0 || !(in.revents & POLLIN)) {
            if (in.revents & (POLLHUP | POLLERR)) break;
            continue;
        }
        char c = 0;
        if (read(STDIN_FILENO, &c, 1) != 1) break;
        if (c == 'q' || c == 4) break;
        const bool key = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!key) continue;
        const std::string line = gz::remoteLine(c, 'D', ++press, lineEnd);
        if (!pty.send(line)) {
            std::fprintf(stderr, "gz_remote_sim: write failed\n");
        } else {
            std::printf("sent %.*s%s\n", 10, line.c_str(), open ? "" : " (port not open)");
            std::fflush(stdout);
        }
    }
    if (!link.empty()) unlink(link.c_str());
    return rc;
}
