#include "debounce.h"

void debounce_init(struct debouncer* d)
{
    d->pressed = 0;
    for (uint8_t k = 0; k < DEBOUNCE_BUTTONS; ++k)
        d->count[k] = 0;
}

uint8_t debounce_sample(struct debouncer* d, uint8_t raw)
{
    const uint8_t differ = (uint8_t)(raw ^ d->pressed);
    uint8_t changed = 0;
    for (uint8_t k = 0; k < DEBOUNCE_BUTTONS; ++k) {
        const uint8_t bit = (uint8_t)(1u << k);
        if (!(differ & bit)) {
            d->count[k] = 0;
        } else if (++d->count[k] >= DEBOUNCE_MS) {
            d->count[k] = 0;
            changed |= bit;
        }
    }
    d->pressed ^= changed;
    return changed;
}
