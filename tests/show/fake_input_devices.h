// An InputDeviceSource made of pipes: a test plugs in devices with fixed
// infos and writes kernel event records into them, so the input poller runs
// without any /dev/input. Thread-safe: the poller's thread opens and reads
// while the test thread plugs and writes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "devices/input_device_source.h"

namespace gz::testing {

class FakeInputDevices final : public InputDeviceSource {
public:
    enum class Kind { Device, Refused, NotUsed };

    ~FakeInputDevices() override
    {
        for (auto& [path, n] : nodes_) {
            closeWriter(n);
            if (n.reader >= 0)
                ::close(n.reader);
        }
    }

    // A node appears; opening it gives a pipe and `info` (its path is the key).
    void plug(const InputDeviceInfo& info) { add(info.path, Kind::Device, info); }
    // A node that this user may not open.
    void plugRefused(const std::string& path) { add(path, Kind::Refused, {}); }
    // A node that is no buzzer (a mouse).
    void plugNotUsed(const std::string& path) { add(path, Kind::NotUsed, {}); }

    // The node vanishes; a reader of its pipe sees the end of the stream.
    void unplug(const std::string& path)
    {
        std::lock_guard<std::mutex> g(lock_);
        auto it = nodes_.find(path);
        if (it == nodes_.end())
            return;
        closeWriter(it->second);
        it->second.present = false;
    }
    // The pipe's write end closes but the node stays: the reader's next read
    // fails, and a new open gets a fresh pipe.
    void hangUp(const std::string& path)
    {
        std::lock_guard<std::mutex> g(lock_);
        auto it = nodes_.find(path);
        if (it != nodes_.end())
            closeWriter(it->second);
    }

    // Writes into the device's pipe; false when it is not open.
    bool send(const std::string& path, const std::string& bytes)
    {
        std::lock_guard<std::mutex> g(lock_);
        auto it = nodes_.find(path);
        if (it == nodes_.end() || it->second.writer < 0)
            return false;
        return ::write(it->second.writer, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    void setKeysDown(const std::string& path, const InputKeySet& keys)
    {
        std::lock_guard<std::mutex> g(lock_);
        nodes_[path].keysDown = keys;
    }

    int opens(const std::string& path)
    {
        std::lock_guard<std::mutex> g(lock_);
        auto it = nodes_.find(path);
        return it == nodes_.end() ? 0 : it->second.opens;
    }
    bool isOpen(const std::string& path)
    {
        std::lock_guard<std::mutex> g(lock_);
        auto it = nodes_.find(path);
        return it != nodes_.end() && it->second.reader >= 0;
    }
    int openCount()
    {
        std::lock_guard<std::mutex> g(lock_);
        int n = 0;
        for (const auto& [path, node] : nodes_)
            n += node.reader >= 0;
        return n;
    }

    std::string directory() const override { return "/dev/input"; }

    std::vector<InputCandidate> candidates() override
    {
        std::lock_guard<std::mutex> g(lock_);
        std::vector<InputCandidate> out;
        for (const std::string& path : order_) {
            const Node& n = nodes_[path];
            if (n.present)
                out.push_back({path, n.identity});
        }
        return out;
    }

    InputOpenResult open(const std::string& path) override
    {
        std::lock_guard<std::mutex> g(lock_);
        InputOpenResult r;
        auto it = nodes_.find(path);
        if (it == nodes_.end() || !it->second.present)
            return r;
        Node& n = it->second;
        ++n.opens;
        if (n.kind == Kind::Refused) {
            r.status = InputOpenResult::Status::NoPermission;
            return r;
        }
        if (n.kind == Kind::NotUsed) {
            r.status = InputOpenResult::Status::NotUsed;
            return r;
        }
        int fds[2];
        if (n.reader >= 0 || ::pipe2(fds, O_CLOEXEC) != 0)
            return r;
        ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
        n.reader = fds[0];
        n.writer = fds[1];
        r.status = InputOpenResult::Status::Opened;
        r.fd = n.reader;
        r.info = n.info;
        return r;
    }

    bool keysDown(int fd, InputKeySet& down) override
    {
        std::lock_guard<std::mutex> g(lock_);
        for (const auto& [path, n] : nodes_) {
            if (n.reader == fd && fd >= 0) {
                down = n.keysDown;
                return true;
            }
        }
        return false;
    }

    void close(int fd) override
    {
        std::lock_guard<std::mutex> g(lock_);
        for (auto& [path, n] : nodes_) {
            if (n.reader == fd && fd >= 0) {
                ::close(n.reader);
                n.reader = -1;
                closeWriter(n);
            }
        }
    }

private:
    struct Node {
        Kind kind = Kind::Device;
        InputDeviceInfo info;
        bool present = false;
        uint64_t identity = 0;
        int reader = -1;
        int writer = -1;
        int opens = 0;
        InputKeySet keysDown;
    };

    void add(const std::string& path, Kind kind, InputDeviceInfo info)
    {
        std::lock_guard<std::mutex> g(lock_);
        Node& n = nodes_[path];
        if (std::find(order_.begin(), order_.end(), path) == order_.end())
            order_.push_back(path);
        closeWriter(n);
        n.kind = kind;
        n.info = std::move(info);
        n.info.path = path;
        n.present = true;
        n.identity = ++nextIdentity_;
    }
    static void closeWriter(Node& n)
    {
        if (n.writer >= 0)
            ::close(n.writer);
        n.writer = -1;
    }

    std::mutex lock_;
    std::map<std::string, Node> nodes_;
    std::vector<std::string> order_;   // plug order: the node order
    uint64_t nextIdentity_ = 0;
};

}  // namespace gz::testing
