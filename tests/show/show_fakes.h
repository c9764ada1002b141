// Stand-ins for everything the show engine reaches through ShowHost, plus a
// driver that runs the 93 ms timer on a fake clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "show/show_engine.h"

namespace gz::testing {

// Atomic because cues recorded on a buzzer thread read it too.
struct FakeClock final : ShowClock {
    std::atomic<uint32_t> now{0};
    uint32_t nowMs() override { return now; }
};

struct StoreCall {
    int32_t gameNumber;
    int32_t revealCountAtLoad;
    int32_t drawnRevealCountAtLoad;
};

// Games that exist, by number, with their polygon count.
struct FakeStore final : GameStore {
    std::map<int32_t, int32_t> games;
    const ShowState* state = nullptr;  // to see what the engine set before a load
    std::vector<StoreCall> loads;
    std::vector<bool> saveAsks;        // one entry per save call
    int savesWritten = 0;              // calls that found the game modified
    bool failWrites = false;           // a write fails: the game stays modified
    // Fills in more of a loaded game (a picture, polygons), when set.
    std::function<void(int32_t, GameContent&)> onLoad;

    bool load(int32_t n, GameContent& c) override
    {
        loads.push_back({n, state ? state->revealCount : 0, state ? state->drawnRevealCount : 0});
        c.modified = false;
        auto it = games.find(n);
        if (it == games.end()) {
            c.polygonCount = 0;
            return false;
        }
        c.setQuestion("Frage " + std::to_string(n));
        c.setAnswer("Antwort " + std::to_string(n));
        c.polygonCount = it->second;
        if (onLoad)
            onLoad(n, c);
        return true;
    }
    void save(bool ask, GameContent& c) override
    {
        saveAsks.push_back(ask);
        if (c.modified)
            ++savesWritten;
        c.modified = c.modified && failWrites;
    }
};

struct Cue {
    uint32_t at;
    std::string what;  // "TICK", "CLING1", "CLING2", "pause", "resume", "restart"
};

// Thread-safe: the remote poller's thread calls the cues too.
struct FakeSound final : SoundCues {
    explicit FakeSound(FakeClock& c) : clock(c) {}
    FakeClock& clock;
    std::mutex m;
    std::vector<Cue> cues;
    // Runs after each cue is recorded, on the calling thread.
    std::function<void(const std::string&)> onCue;

    void add(const char* what)
    {
        {
            std::lock_guard<std::mutex> l(m);
            cues.push_back({clock.now, what});
        }
        if (onCue)
            onCue(what);
    }
    void playEffect(const char* name) override { add(name); }
    void pauseMusic() override { add("pause"); }
    void resumeMusic() override { add("resume"); }
    void restartMusic() override { add("restart"); }

    std::vector<std::string> names()
    {
        std::lock_guard<std::mutex> l(m);
        std::vector<std::string> out;
        for (const Cue& c : cues)
            out.push_back(c.what);
        return out;
    }
    int count(const std::string& what)
    {
        std::lock_guard<std::mutex> l(m);
        int n = 0;
        for (const Cue& c : cues)
            n += c.what == what;
        return n;
    }
    std::vector<uint32_t> times(const std::string& what)
    {
        std::lock_guard<std::mutex> l(m);
        std::vector<uint32_t> out;
        for (const Cue& c : cues)
            if (c.what == what)
                out.push_back(c.at);
        return out;
    }
    void clear()
    {
        std::lock_guard<std::mutex> l(m);
        cues.clear();
    }
};

struct FakeBoard final : BoardHooks {
    int renders = 0;
    int fullRedraws = 0;
    int repaints = 0;
    std::vector<int32_t> revealAtRender;
    const ShowState* state = nullptr;
    void renderTick() override
    {
        ++renders;
        if (state)
            revealAtRender.push_back(state->revealCount);
    }
    void requestFullRedraw() override { ++fullRedraws; }
    void repaintView() override { ++repaints; }
};

struct FakePointer final : PointerControl {
    ScreenPoint pos;
    std::vector<ScreenPoint> moves;
    bool cursorPos(ScreenPoint& out) override
    {
        out = pos;
        return true;
    }
    void setCursorPos(ScreenPoint p) override
    {
        pos = p;
        moves.push_back(p);
    }
};

// One board view's worth of show: state, content, fakes and the engine,
// sized so that ticks run.
struct ShowRig {
    FakeClock clock;
    FakeStore store;
    FakeSound sound{clock};
    FakeBoard board;
    FakePointer pointer;
    ShowState state;
    GameContent content;
    ShowEngine engine{state, content, ShowHost{&clock, &store, &sound, &board, &pointer}};

    ShowRig()
    {
        store.state = &state;
        board.state = &state;
        engine.setViewSize(800, 600);
    }
    // Runs the ShowTimer every 93 ms for `ms` milliseconds of fake time.
    void run(uint32_t ms)
    {
        for (uint32_t t = 0; t + kShowTimerPeriodMs <= ms; t += kShowTimerPeriodMs) {
            clock.now += kShowTimerPeriodMs;
            engine.showTick();
        }
    }
    // Ticks until a condition holds or `limitMs` of fake time has passed.
    template <class Pred>
    bool runUntil(Pred done, uint32_t limitMs)
    {
        for (uint32_t t = 0; t < limitMs; t += kShowTimerPeriodMs) {
            if (done())
                return true;
            clock.now += kShowTimerPeriodMs;
            engine.showTick();
        }
        return done();
    }
    PlayerState player(PlayerSide s) const { return state.player(s); }
    std::string banner() const { return state.bannerText; }
};

}  // namespace gz::testing
