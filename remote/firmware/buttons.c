#include "buttons.h"

#include <avr/io.h>

#define PORTD_BUTTONS 0xFC   // PD2..PD7: keys 0..5
#define PORTB_BUTTONS 0x03   // PB0..PB1: keys 6..7

void buttons_init(void)
{
    DDRD &= (uint8_t)~PORTD_BUTTONS;
    PORTD |= PORTD_BUTTONS;
    DDRB &= (uint8_t)~PORTB_BUTTONS;
    PORTB |= PORTB_BUTTONS;
}

uint8_t buttons_read(void)
{
    const uint8_t low_d = (uint8_t)(~PIND & PORTD_BUTTONS);
    const uint8_t low_b = (uint8_t)(~PINB & PORTB_BUTTONS);
    return (uint8_t)((low_d >> 2) | (low_b << 6));
}
