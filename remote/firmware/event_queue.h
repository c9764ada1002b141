// The button events between the 1 ms timer interrupt (which pushes) and the
// main loop (which formats and sends them). A plain ring; the caller keeps
// the interrupt out while the main loop pops.
//
// Pure: no hardware, so the same code builds for the host.
#ifndef EVENT_QUEUE_H
#define EVENT_QUEUE_H

#include <stdbool.h>
#include <stdint.h>

// Waits while the UART is busy: sending one line takes 11.5 ms, while all
// eight buttons can change every DEBOUNCE_MS. Room for two presses and two
// releases of every button on top of the UART's own buffer.
#define EVENT_QUEUE_SIZE 32   // a power of two, at most 128

struct button_event {
    uint8_t key;          // 0..7
    bool pressed;         // 'D' or 'U'
    uint32_t uptime_ms;   // when the debounced state changed
};

struct event_queue {
    struct button_event slot[EVENT_QUEUE_SIZE];
    uint8_t head;   // next to pop
    uint8_t tail;   // next to push
};

void event_queue_init(struct event_queue* q);
// False (and the event is lost) when the queue is full.
bool event_queue_push(struct event_queue* q, struct button_event e);
// False when the queue is empty.
bool event_queue_pop(struct event_queue* q, struct button_event* out);

#endif
