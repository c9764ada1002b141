// Interrupt-driven UART transmit at 9600 baud, 8 data bits, no parity,
// 1 stop bit. Bytes wait in a ring buffer that the data-register-empty
// interrupt drains; the receiver stays off (the remote only talks).
#ifndef UART_H
#define UART_H

#include <stdint.h>

// Eight lines of 11 bytes (all buttons pressed at once) fit without the
// writer waiting.
#define UART_TX_BUFFER_SIZE 128   // a power of two, at most 128

// Sets the line up; call before enabling interrupts.
void uart_init(void);

// Queues `n` bytes, waiting for room while the buffer is full. Call with
// interrupts enabled and never from an interrupt.
void uart_write(const char* bytes, uint8_t n);

#endif
