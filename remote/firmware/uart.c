#include "uart.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <util/atomic.h>

#define BAUD 9600
#include <util/setbaud.h>

#define UART_TX_MASK (UART_TX_BUFFER_SIZE - 1)

// Shared with the interrupt: the main loop moves tail, the interrupt head.
// Both run freely and wrap at 256; tail - head is the fill.
static volatile uint8_t tx_head;
static volatile uint8_t tx_tail;
static uint8_t tx_buffer[UART_TX_BUFFER_SIZE];

void uart_init(void)
{
    UBRR0H = UBRRH_VALUE;
    UBRR0L = UBRRL_VALUE;
#if USE_2X
    UCSR0A = (uint8_t)(1 << U2X0);
#else
    UCSR0A = 0;
#endif
    UCSR0C = (uint8_t)((1 << UCSZ01) | (1 << UCSZ00));   // 8N1
    UCSR0B = (uint8_t)(1 << TXEN0);
}

void uart_write(const char* bytes, uint8_t n)
{
    for (uint8_t i = 0; i < n; ++i) {
        while ((uint8_t)(tx_tail - tx_head) >= UART_TX_BUFFER_SIZE) {
            // Full: the interrupt makes room within one byte time.
        }
        tx_buffer[tx_tail & UART_TX_MASK] = (uint8_t)bytes[i];
        ++tx_tail;
        ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
            UCSR0B |= (uint8_t)(1 << UDRIE0);
        }
    }
}

ISR(USART_UDRE_vect)
{
    const uint8_t head = tx_head;
    UDR0 = tx_buffer[head & UART_TX_MASK];
    tx_head = (uint8_t)(head + 1);
    if (tx_head == tx_tail)
        UCSR0B &= (uint8_t)~(1 << UDRIE0);
}
