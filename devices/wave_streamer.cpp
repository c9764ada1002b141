#include "devices/wave_streamer.h"

#include <new>

namespace gz {

namespace {

// Completion user data: the buffer's ring index in the low byte, the stop
// count above it, so a report that outlives a stop can be told apart.
constexpr uintptr_t kEpochMask = 0xFFFFFF;

uintptr_t userDataFor(const WaveStreamer& ws, int index)
{
    return (uintptr_t(ws.epoch & kEpochMask) << 8) | uintptr_t(index);
}

int ringMod(int a, int count) { return ((a % count) + count) % count; }

int freeCount(const WaveStreamer& ws)
{
    return ws.bufferCount > 0 ? ringMod(ws.playedIndex - ws.writeIndex, ws.bufferCount) : 0;
}

void setFreeEvent(WaveStreamer& ws, bool on)
{
    std::lock_guard lk(ws.eventLock);
    ws.freeEventSet = on;
    if (on)
        ws.freeEvent.notify_all();
}

void onBufferDone(WaveStreamer& ws, uintptr_t userData, uint32_t length)
{
    std::lock_guard lk(ws.ringLock);
    ws.playedBytes.fetch_add(length);
    if (((userData >> 8) & kEpochMask) != (ws.epoch & kEpochMask) || ws.bufferCount == 0)
        return;  // handed back before the last stop: the ring has started afresh
    int i = int(userData & 0xFF);
    int d = ringMod(ws.playedIndex - i, ws.bufferCount);
    // Only a buffer ahead of the last finished one counts; a stale one
    // (behind it) changes nothing.
    if (d > ws.bufferCount / 2) {
        ws.playedIndex = i < ws.bufferCount ? i : 0;
        if (freeCount(ws) >= kWaveReserve)
            setFreeEvent(ws, true);
    }
}

// Drops the queue and empties the ring. Called with deviceLock held.
void stopLocked(WaveStreamer& ws)
{
    ws.stopRequested = 1;
    ws.accepting = 0;
    ws.device->reset();  // reports every queued buffer before it returns
    {
        std::lock_guard lk(ws.ringLock);
        ws.playedIndex = ws.bufferCount - 1;
        ws.writeIndex = 0;
        ws.preRollCount = 0;
        ws.heldSubmitted = 0;
        ++ws.epoch;
    }
    setFreeEvent(ws, true);  // a write that waited sees the new epoch and gives up
}

int closeLocked(WaveStreamer& ws)
{
    ws.accepting = 0;
    if (!ws.device)
        return 1;
    stopLocked(ws);
    ws.accepting = 0;  // stays off: a closed output takes no writes
    ws.format = PcmFormat{};
    bool failed = ws.device->close() != 0;
    ws.device.reset();
    {
        std::lock_guard lk(ws.ringLock);
        for (int i = ws.bufferCount - 1; i >= 0; --i)
            ws.buffers[i].data.reset();
        ws.bufferCount = 0;
        ws.writeIndex = 0;
        ws.preRollCount = 0;
        ws.playedIndex = ws.bufferCount - 1;
    }
    return failed ? 1 : 0;
}

bool formatAllowed(uint32_t rate, uint32_t bits, uint32_t channels, uint32_t size)
{
    return bits != 0 && bits % 4 == 0 && bits <= 32 && channels != 0 && channels <= 32 && rate != 0 &&
           rate <= 48000 && size <= kWaveMaxBufferSize;
}

}  // namespace

WaveStreamer::~WaveStreamer() { wave::close(*this); }

namespace wave {

int open(WaveStreamer& ws, uint32_t rate, uint32_t bits, uint32_t channels, uint32_t size)
{
    std::lock_guard dev(ws.deviceLock);
    if (ws.device)
        closeLocked(ws);
    if (!formatAllowed(rate, bits, channels, size))
        return kWaveOpenRefused;
    ws.format = makePcmFormat(rate, uint16_t(bits), uint16_t(channels));
    ws.device = ws.opener ? ws.opener(ws.format, [&ws](uintptr_t u, uint32_t n) { onBufferDone(ws, u, n); })
                          : nullptr;
    if (!ws.device) {
        ws.format = PcmFormat{};
        return kWaveOpenRefused;
    }
    if (size != 0)
        ws.bufferSize = size;
    {
        std::lock_guard lk(ws.ringLock);
        ws.preRollCount = 0;
        ws.heldSubmitted = 0;
        ws.writeIndex = 0;
        ws.stopRequested = 0;
        ws.playedBytes = 0;
        ws.bufferCount = 0;
        for (int i = 0; i < kWaveMaxBuffers; ++i) {
            std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[ws.bufferSize]());
            if (!block || ws.device->prepare(block.get(), ws.bufferSize) != 0)
                break;
            ws.buffers[i].data = std::move(block);
            ++ws.bufferCount;
        }
        ws.playedIndex = ws.bufferCount - 1;
        ++ws.epoch;
    }
    if (ws.bufferCount < kWaveMinBuffers) {
        closeLocked(ws);
        return kWaveOpenTooFewBuffers;
    }
    setFreeEvent(ws, true);
    ws.device->reset();
    ws.accepting = 1;
    return kWaveOpenOk;
}

int close(WaveStreamer& ws)
{
    int rc;
    {
        std::lock_guard dev(ws.deviceLock);
        rc = closeLocked(ws);
    }
    setFreeEvent(ws, true);
    return rc;
}

uint8_t* nextBuffer(WaveStreamer& ws)
{
    std::lock_guard dev(ws.deviceLock);
    if (!ws.device)
        return nullptr;
    std::lock_guard lk(ws.ringLock);
    return ws.buffers[ws.writeIndex].data.get();
}

int write(WaveStreamer& ws, uint32_t n)
{
    uint32_t epoch;
    {
        std::lock_guard lk(ws.ringLock);
        epoch = ws.epoch;
    }
    if (!ws.accepting)
        return kWaveWriteNotAccepting;
    if (n > ws.bufferSize)
        return kWaveWriteTooLong;
    {
        std::unique_lock ev(ws.eventLock);
        if (!ws.clock.waitFor(ws.freeEvent, ev, kWaveWriteTimeoutMs, [&ws] { return ws.freeEventSet; }))
            return kWaveWriteNoFreeBuffer;
    }
    std::lock_guard dev(ws.deviceLock);
    std::unique_lock lk(ws.ringLock);
    // A stop or close while this write waited: the buffer it filled is gone
    // from the new stream, so it is not handed over.
    if (!ws.accepting || !ws.device || ws.epoch != epoch)
        return kWaveWriteNotAccepting;
    const int count = ws.bufferCount;

    if (ws.preRollCount < kWavePreRoll) {
        ws.heldLengths[ws.preRollCount++] = n;
        ws.writeIndex = (ws.writeIndex + 1) % count;
        return kWaveWriteOk;
    }
    if (ws.preRollCount == kWavePreRoll) {
        // Hand over the held buffers in order; after a refusal the next
        // write goes on with the one refused.
        for (; ws.heldSubmitted < kWavePreRoll; ++ws.heldSubmitted) {
            int idx = ringMod(ws.writeIndex - kWavePreRoll + ws.heldSubmitted, count);
            uintptr_t user = userDataFor(ws, idx);
            lk.unlock();
            int rc = ws.device->write(ws.buffers[idx].data.get(), ws.heldLengths[ws.heldSubmitted], user);
            lk.lock();
            if (rc != 0)
                return kWaveWriteRefused;
        }
        ws.preRollCount = kWavePreRoll + 1;
    }
    const int idx = ws.writeIndex;
    uintptr_t user = userDataFor(ws, idx);
    lk.unlock();
    int rc = ws.device->write(ws.buffers[idx].data.get(), n, user);
    lk.lock();
    if (rc != 0)
        return kWaveWriteRefused;
    ws.writeIndex = (ws.writeIndex + 1) % count;
    if (freeCount(ws) < kWaveReserve)
        setFreeEvent(ws, false);
    return kWaveWriteOk;
}

int pause(WaveStreamer& ws, int flag)
{
    std::lock_guard dev(ws.deviceLock);
    if (!ws.device)
        return 1;
    return (flag ? ws.device->pause() : ws.device->resume()) == 0 ? 0 : 1;
}

int stop(WaveStreamer& ws)
{
    std::lock_guard dev(ws.deviceLock);
    if (!ws.device)
        return 1;
    stopLocked(ws);
    ws.accepting = 1;
    return 0;
}

bool isOpen(WaveStreamer& ws)
{
    std::lock_guard dev(ws.deviceLock);
    return ws.device != nullptr;
}

uint32_t takePlayedBytes(WaveStreamer& ws) { return ws.playedBytes.exchange(0); }

WaveRingState ringState(WaveStreamer& ws)
{
    std::lock_guard lk(ws.ringLock);
    bool ev;
    {
        std::lock_guard e(ws.eventLock);
        ev = ws.freeEventSet;
    }
    return {ws.bufferCount, ws.writeIndex, ws.playedIndex, ws.preRollCount, freeCount(ws), ev};
}

}  // namespace wave

}  // namespace gz
