#include "show/input_poller.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <tuple>

#include <poll.h>
#include <unistd.h>

#include "devices/input_event_decoder.h"
#include "devices/input_leds.h"

namespace gz {
namespace {

// Up to 64 records per read, and a bounded number of reads per device and
// pass, so one chattering device cannot starve the others.
constexpr std::size_t kReadBytes = 64 * kInputRecordSize;
constexpr int kReadsPerPass = 8;

constexpr int8_t kLedUnknown = -1;

// Ranks the outcomes for the pass's summary: the higher, the more it tells.
int rank(InputDevicePoller::Pass p)
{
    using Pass = InputDevicePoller::Pass;
    switch (p) {
    case Pass::NoDevice: return 0;
    case Pass::Quiet: return 1;
    case Pass::Read: return 2;
    case Pass::Lost: return 3;
    case Pass::Learned: return 4;
    case Pass::Acted: return 5;
    }
    return 0;
}

InputDevicePoller::Pass merge(InputDevicePoller::Pass a, InputDevicePoller::Pass b)
{
    return rank(a) >= rank(b) ? a : b;
}

}  // namespace

std::string inputAccessStatusText(const InputAccessStatus& status)
{
    if (status.kind != InputAccessStatus::NoPermission)
        return {};
    return "Keine Berechtigung für " + status.directory + " – Benutzer zur Gruppe input hinzufügen";
}

struct InputDevicePoller::Device {
    int fd = -1;
    InputDeviceInfo info;
    std::string key;
    bool quizSet = false;
    InputEventDecoder decoder;
    InputKeySet down;              // keys held, as far as the events tell
    std::vector<int8_t> ledState;  // per LED: kLedUnknown, 0 or 1
};

InputDevicePoller::InputDevicePoller(BuzzerTarget& buzzer, CommandPoster post, BuzzerActionGate& gate,
                                     InputDeviceSource& source, MonotonicClock& clock, Timing timing)
    : buzzer_(buzzer), post_(std::move(post)), gate_(gate), source_(source), clock_(clock), timing_(timing)
{
}

InputDevicePoller::~InputDevicePoller()
{
    stop();
    closeDevices();
}

// --- Settings from other threads ---

void InputDevicePoller::setMapping(const BuzzerMapping& mapping)
{
    {
        std::lock_guard<std::mutex> g(mappingLock_);
        stored_ = mapping;
    }
    mappingGeneration_.fetch_add(1, std::memory_order_acq_rel);
}

BuzzerMapping InputDevicePoller::mapping() const
{
    std::lock_guard<std::mutex> g(mappingLock_);
    return stored_;
}

void InputDevicePoller::setLearningSink(PressSink sink)
{
    std::lock_guard<std::mutex> g(sinkLock_);
    learningSink_ = std::move(sink);
}

void InputDevicePoller::setStatusSink(StatusSink sink)
{
    std::lock_guard<std::mutex> g(sinkLock_);
    statusSink_ = std::move(sink);
    lastStatus_.reset();
}

std::vector<InputDeviceSummary> InputDevicePoller::devices() const
{
    std::lock_guard<std::mutex> g(summaryLock_);
    return summaries_;
}

std::string InputDevicePoller::defaultDeviceKey() const
{
    std::lock_guard<std::mutex> g(summaryLock_);
    return summaryDefaultKey_;
}

// --- The thread ---

bool InputDevicePoller::start()
{
    return thread_.start([this] { pollOnce(); }, [this] { closeDevices(); });
}

void InputDevicePoller::stop() { thread_.stop(timing_.stopPollMs); }

void InputDevicePoller::closeDevices()
{
    for (const auto& d : devices_) {
        for (std::size_t i = 0; i < d->info.leds.size(); ++i)
            if (d->ledState[i] != 0)
                setInputLed(d->info.leds[i], false);
        source_.close(d->fd);
    }
    const bool had = !devices_.empty();
    devices_.clear();
    if (had)
        devicesChanged();
}

// --- Devices ---

void InputDevicePoller::report(const InputAccessStatus& status)
{
    StatusSink sink;
    {
        std::lock_guard<std::mutex> g(sinkLock_);
        if (lastStatus_ && *lastStatus_ == status)
            return;
        lastStatus_ = status;
        sink = statusSink_;
    }
    if (sink)
        sink(status);
}

void InputDevicePoller::rescan()
{
    scanned_ = true;
    lastScanMs_ = clock_.nowMs();
    const std::vector<InputCandidate> candidates = source_.candidates();
    // A node that is gone, or made anew, may now be a buzzer.
    std::erase_if(notUsed_, [&](const InputCandidate& c) {
        return std::find(candidates.begin(), candidates.end(), c) == candidates.end();
    });
    int refused = 0;
    bool opened = false;
    for (const InputCandidate& c : candidates) {
        const bool isOpen = std::any_of(devices_.begin(), devices_.end(),
                                        [&](const auto& d) { return d->info.path == c.path; });
        if (isOpen || std::find(notUsed_.begin(), notUsed_.end(), c) != notUsed_.end())
            continue;
        InputOpenResult r = source_.open(c.path);
        switch (r.status) {
        case InputOpenResult::Status::Opened: {
            auto d = std::make_unique<Device>();
            d->fd = r.fd;
            d->info = std::move(r.info);
            d->quizSet = isQuizBuzzerSet(d->info.vendor, d->info.product);
            d->ledState.assign(d->info.leds.size(), kLedUnknown);
            devices_.push_back(std::move(d));
            opened = true;
            break;
        }
        case InputOpenResult::Status::NoPermission: ++refused; break;
        case InputOpenResult::Status::NotUsed: notUsed_.push_back(c); break;
        case InputOpenResult::Status::Unavailable: break;
        }
    }
    if (opened) {
        // Node order, whatever order the devices came in.
        std::stable_sort(devices_.begin(), devices_.end(), [&](const auto& a, const auto& b) {
            const auto pos = [&](const std::string& path) {
                return std::find_if(candidates.begin(), candidates.end(),
                                    [&](const InputCandidate& c) { return c.path == path; }) -
                       candidates.begin();
            };
            return pos(a->info.path) < pos(b->info.path);
        });
        devicesChanged();
    }
    InputAccessStatus status;
    status.directory = source_.directory();
    status.kind = !devices_.empty() ? InputAccessStatus::Open
                  : refused > 0     ? InputAccessStatus::NoPermission
                                    : InputAccessStatus::NoDevice;
    report(status);
}

void InputDevicePoller::devicesChanged()
{
    std::vector<NamedDevice> named;
    for (const auto& d : devices_)
        named.push_back({d->info.name, d->info.phys});
    const std::vector<std::string> keys = inputDeviceKeys(named);
    // The buzzer set that gets the default mapping: the first by name and
    // phys, the one whose key is its plain name.
    const Device* quiz = nullptr;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        Device& d = *devices_[i];
        d.key = keys[i];
        if (d.quizSet && (!quiz || std::tie(d.info.name, d.info.phys) < std::tie(quiz->info.name, quiz->info.phys)))
            quiz = &d;
    }
    quizKey_ = quiz ? quiz->key : std::string();
    effectiveStale_ = true;   // the default mapping names the buzzer set's key
    std::vector<InputDeviceSummary> summaries;
    for (const auto& d : devices_)
        summaries.push_back({d->key, d->info.name, d->info.path, d->quizSet, static_cast<int>(d->info.leds.size())});
    std::lock_guard<std::mutex> g(summaryLock_);
    summaries_ = std::move(summaries);
    summaryDefaultKey_ = quizKey_;
}

void InputDevicePoller::refreshMapping()
{
    const uint32_t generation = mappingGeneration_.load(std::memory_order_acquire);
    if (generation == seenGeneration_ && !effectiveStale_)
        return;
    seenGeneration_ = generation;
    effectiveStale_ = false;
    effective_ = effectiveMapping(mapping(), quizKey_);
}

// --- Events ---

InputDevicePoller::Pass InputDevicePoller::press(Device& d, uint16_t code)
{
    PressSink sink;
    {
        std::lock_guard<std::mutex> g(sinkLock_);
        sink = learningSink_;
    }
    if (sink) {
        sink(ButtonBinding{d.key, code});
        return Pass::Learned;
    }
    const int action = effective_.actionFor(d.key, code);
    if (action < 0 || !gate_.accept(action, clock_.nowMs()))
        return Pass::Read;
    runBuzzerAction(action, buzzer_, post_);
    if (action <= 1)
        updateLeds();
    return Pass::Acted;
}

InputDevicePoller::Pass InputDevicePoller::handleEvents(Device& d)
{
    Pass result = Pass::Read;
    for (const InputKeyEvent& e : events_) {
        switch (e.kind) {
        case InputKeyEvent::Kind::Press:
            if (e.code < d.down.size())
                d.down.set(e.code);
            result = merge(result, press(d, e.code));
            break;
        case InputKeyEvent::Kind::Release:
            if (e.code < d.down.size())
                d.down.reset(e.code);
            break;
        case InputKeyEvent::Kind::Repeat: break;
        case InputKeyEvent::Kind::Dropped: {
            // Presses may be among the lost events: a key held now that was
            // not held before counts as pressed now.
            InputKeySet now;
            if (!source_.keysDown(d.fd, now)) {
                d.down.reset();
                break;
            }
            const InputKeySet pressed = now & ~d.down;
            d.down = now;
            for (std::size_t c = 0; c < pressed.size(); ++c)
                if (pressed.test(c))
                    result = merge(result, press(d, static_cast<uint16_t>(c)));
            break;
        }
        }
    }
    return result;
}

InputDevicePoller::Pass InputDevicePoller::readDevice(Device& d)
{
    uint8_t buf[kReadBytes];
    Pass result = Pass::Quiet;
    for (int i = 0; i < kReadsPerPass; ++i) {
        const ssize_t n = ::read(d.fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0)
            return Pass::Lost;   // pulled out (ENODEV), or the end of a stream
        events_.clear();
        d.decoder.feed(buf, static_cast<std::size_t>(n), events_);
        result = merge(result, handleEvents(d));
        if (static_cast<std::size_t>(n) < sizeof buf)
            break;   // drained; a hang-up shows at the next poll
    }
    return result;
}

void InputDevicePoller::updateLeds()
{
    for (const auto& dp : devices_) {
        Device& d = *dp;
        if (!d.quizSet || d.info.leds.empty())
            continue;
        std::vector<int8_t> want(d.info.leds.size(), 0);
        for (int action = 0; action <= 1; ++action) {
            const std::optional<ButtonBinding>& b = effective_.binding(action);
            if (!b || b->device != d.key)
                continue;
            const int handset = quizHandsetOf(b->code);
            const PlayerSide side = action == 0 ? PlayerSide::Left : PlayerSide::Right;
            if (handset >= 0 && static_cast<std::size_t>(handset) < want.size() && isBuzzed_ && isBuzzed_(side))
                want[static_cast<std::size_t>(handset)] = 1;
        }
        for (std::size_t i = 0; i < want.size(); ++i) {
            if (d.ledState[i] == want[i])
                continue;
            // A refused write is not retried until the wish changes: sysfs
            // LEDs are often root's only.
            setInputLed(d.info.leds[i], want[i] != 0);
            d.ledState[i] = want[i];
        }
    }
}

InputDevicePoller::Pass InputDevicePoller::pollOnce()
{
    const uint32_t now = clock_.nowMs();
    const int32_t sinceScan = tickDiff(now, lastScanMs_);
    if (!scanned_ || sinceScan >= static_cast<int32_t>(timing_.rescanMs) || sinceScan < 0)
        rescan();
    refreshMapping();
    updateLeds();
    if (devices_.empty()) {
        clock_.sleepMs(timing_.pollWaitMs);
        return Pass::NoDevice;
    }

    std::vector<pollfd> fds;
    fds.reserve(devices_.size());
    for (const auto& d : devices_)
        fds.push_back({d->fd, POLLIN, 0});
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(timing_.pollWaitMs));
    if (ready <= 0)
        return Pass::Quiet;
    // A mapping set while poll() waited applies to the presses that woke it.
    refreshMapping();

    Pass result = Pass::Quiet;
    std::vector<std::size_t> lost;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents == 0)
            continue;
        const Pass p = (fds[i].revents & POLLNVAL) ? Pass::Lost : readDevice(*devices_[i]);
        if (p == Pass::Lost)
            lost.push_back(i);
        result = merge(result, p);
    }
    if (!lost.empty()) {
        for (auto it = lost.rbegin(); it != lost.rend(); ++it) {
            // Its LEDs went with it; nothing to switch off.
            source_.close(devices_[*it]->fd);
            devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(*it));
        }
        devicesChanged();
        refreshMapping();
    }
    return result;
}

}  // namespace gz
