// The remote control's firmware: eight buttons in, one line per debounced
// press or release out on the UART (see remote_line.h for the line).
//
// Timer 0 ticks every millisecond: it counts the uptime, samples and
// debounces the buttons and queues their events; the main loop formats the
// queued events and hands them to the UART, and sleeps when there are none.
// The on-board LED (D13) lights for a moment on every press.
#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <stdbool.h>
#include <stdint.h>

#include "buttons.h"
#include "debounce.h"
#include "event_queue.h"
#include "remote_line.h"
#include "uart.h"

// Tells the simulator which chip and clock the image is for; the section is
// not part of the HEX file that is flashed.
#if defined(__has_include)
#if __has_include(<avr/avr_mcu_section.h>)
#include <avr/avr_mcu_section.h>
AVR_MCU(F_CPU, "atmega328p");
#endif
#endif

#define TICKS_PER_SECOND 1000
#define TIMER0_PRESCALER 64
#define LED_BLINK_MS 50
#define LED_BIT (1 << PB5)

#if F_CPU / TIMER0_PRESCALER / TICKS_PER_SECOND - 1 > 255
#error "timer 0 cannot count one millisecond at this clock"
#endif

// State of the tick interrupt; the main loop touches the queue only with
// interrupts off.
static struct debouncer debounced;
static struct event_queue events;
static uint32_t uptime_ms;
static uint8_t led_ms_left;

static void timer_init(void)
{
    TCCR0A = (uint8_t)(1 << WGM01);                 // CTC: clear on OCR0A
    OCR0A = (uint8_t)(F_CPU / TIMER0_PRESCALER / TICKS_PER_SECOND - 1);
    TCCR0B = (uint8_t)((1 << CS01) | (1 << CS00));  // clock / 64
    TIMSK0 = (uint8_t)(1 << OCIE0A);
}

ISR(TIMER0_COMPA_vect)
{
    ++uptime_ms;
    const uint8_t changed = debounce_sample(&debounced, buttons_read());
    for (uint8_t k = 0; k < DEBOUNCE_BUTTONS; ++k) {
        const uint8_t bit = (uint8_t)(1u << k);
        if (!(changed & bit))
            continue;
        const struct button_event e = {k, (debounced.pressed & bit) != 0, uptime_ms};
        event_queue_push(&events, e);   // full: the event is lost (see the queue size)
        if (e.pressed) {
            PORTB |= LED_BIT;
            led_ms_left = LED_BLINK_MS;
        }
    }
    if (led_ms_left != 0 && --led_ms_left == 0)
        PORTB &= (uint8_t)~LED_BIT;
}

int main(void)
{
    debounce_init(&debounced);
    event_queue_init(&events);
    buttons_init();
    DDRB |= LED_BIT;
    uart_init();
    timer_init();
    set_sleep_mode(SLEEP_MODE_IDLE);   // timer 0 and the UART keep running
    sei();

    for (;;) {
        struct button_event e;
        cli();
        if (!event_queue_pop(&events, &e)) {
            // sei takes effect after the next instruction, so no interrupt
            // can slip in between the check and the sleep.
            sleep_enable();
            sei();
            sleep_cpu();
            sleep_disable();
            continue;
        }
        sei();
        char line[REMOTE_LINE_LENGTH];
        remote_line_format(line, e.key, e.pressed, e.uptime_ms);
        uart_write(line, REMOTE_LINE_LENGTH);
    }
}
