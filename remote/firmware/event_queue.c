#include "event_queue.h"

#define EVENT_QUEUE_MASK (EVENT_QUEUE_SIZE - 1)

void event_queue_init(struct event_queue* q)
{
    q->head = 0;
    q->tail = 0;
}

bool event_queue_push(struct event_queue* q, struct button_event e)
{
    // head and tail run freely and wrap at 256; the difference is the fill.
    if ((uint8_t)(q->tail - q->head) >= EVENT_QUEUE_SIZE)
        return false;
    q->slot[q->tail & EVENT_QUEUE_MASK] = e;
    ++q->tail;
    return true;
}

bool event_queue_pop(struct event_queue* q, struct button_event* out)
{
    if (q->head == q->tail)
        return false;
    *out = q->slot[q->head & EVENT_QUEUE_MASK];
    ++q->head;
    return true;
}
