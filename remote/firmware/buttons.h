// The eight buttons on the board's pins D2..D9, active low: a button joins
// its pin to GND, the internal pull-up holds it high otherwise.
//
//   key  0  1  2  3  4  5  6  7
//   pin  D2 D3 D4 D5 D6 D7 D8 D9
//   MCU  PD2 PD3 PD4 PD5 PD6 PD7 PB0 PB1
#ifndef BUTTONS_H
#define BUTTONS_H

#include <stdint.h>

// Makes the eight pins inputs with pull-ups; leaves every other pin alone.
void buttons_init(void);

// The raw state now: bit k set while button k holds its pin low.
uint8_t buttons_read(void);

#endif
