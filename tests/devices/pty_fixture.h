// Test helpers for serial devices: a pseudo-terminal whose slave side the
// driver opens by path, and running a check as an unprivileged user.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <grp.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gz::testing {

// One pseudo-terminal; the slave side is left for the driver to open.
class Pty {
public:
    Pty() {
        int slave = -1;
        char name[128] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
        path_ = name;
        ::close(slave);
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& path() const { return path_; }
    int master() const { return master_; }
    void write(const std::string& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string path_;
};

// Runs `check` as an unprivileged user and returns its result (0..254);
// -1 when the user cannot be changed. Root opens any device, so as root
// the check runs in a child that has given up root.
template <typename F>
int runUnprivileged(F check) {
    constexpr uid_t kNobody = 65534;
    if (geteuid() != 0) return check();
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(255);
        _exit(check());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

}  // namespace gz::testing
