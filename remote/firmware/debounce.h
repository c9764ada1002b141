// Debouncing of eight buttons sampled once per millisecond.
//
// A button's debounced state changes only after its raw state has differed
// from the debounced one on DEBOUNCE_MS samples in a row; one sample that
// agrees again starts the count afresh. So contact bounce and glitches
// shorter than DEBOUNCE_MS give no event, and a press held that long gives
// exactly one.
//
// Pure: no hardware, so the same code builds for the host.
#ifndef DEBOUNCE_H
#define DEBOUNCE_H

#include <stdint.h>

// Long enough for the bounce of cheap tactile switches (a few ms), short
// enough that no player feels it. Both buzzers pay the same delay.
#define DEBOUNCE_MS 10
#define DEBOUNCE_BUTTONS 8

struct debouncer {
    uint8_t pressed;                   // debounced state, bit k = button k
    uint8_t count[DEBOUNCE_BUTTONS];   // samples in a row that disagreed
};

// All buttons released, no count.
void debounce_init(struct debouncer* d);

// Takes one sample (`raw` bit k set = button k down now) and returns the
// buttons whose debounced state changed with it; d->pressed holds the new
// state.
uint8_t debounce_sample(struct debouncer* d, uint8_t raw);

#endif
