/* kivo_uart.h: C API of the Kivo UART function (Kivo2 image).

   Full function name: Asynchronous Serial Port

   A UART transmitter, receiver, or both, each on a channel of its own.
   The receiver samples every bit three times in its middle.
*/
#ifndef KIVO_UART_H
#define KIVO_UART_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_UART
#define KIVO_FUNC_UART          9U
#endif

/* Parity bit of a character */
typedef enum {
    KIVO_UART_PARITY_NONE = 0,  /* No parity */
    KIVO_UART_PARITY_EVEN = 1,  /* Even parity */
    KIVO_UART_PARITY_ODD = 2    /* Odd parity */
} kivo_uart_parity_t;

/* Parameter RAM layout (byte offsets in each channel's frame) */
#define KIVO_UART_BIT_TIME      0x00U
#define KIVO_UART_DATA          0x04U
#define KIVO_UART_FORMAT        0x08U
#define KIVO_UART_PARAM_WORDS   3U

int32_t hv_kivo_uart_init_duplex(uint8_t tx_channel, uint8_t rx_channel,
                                 uint8_t priority, uint32_t baud_rate,
                                 kivo_uart_parity_t parity,
                                 uint8_t data_bits);

int32_t hv_kivo_uart_init_tx(uint8_t tx_channel, uint8_t priority,
                             uint32_t baud_rate, kivo_uart_parity_t parity,
                             uint8_t data_bits);

int32_t hv_kivo_uart_init_rx(uint8_t rx_channel, uint8_t priority,
                             uint32_t baud_rate, kivo_uart_parity_t parity,
                             uint8_t data_bits);

/* Sends one character; receives one when it has arrived (returns -1
   before that). */
int32_t hv_kivo_uart_send(uint8_t tx_channel, uint16_t character);
int32_t hv_kivo_uart_receive(uint8_t rx_channel);

/* Channel assignment (hv_kivo_uart_init_duplex; default) Load: uart_load
   tx = tx_channel; priority = priority
   rx = rx_channel; priority = priority
*/

/* Channel assignment (hv_kivo_uart_init_tx; default) Load: uart_load
   tx = tx_channel; priority = priority
*/

/* Channel assignment (hv_kivo_uart_init_rx; default) Load: uart_load
   rx = rx_channel; priority = priority
*/

/* Load expression uart_load
   var traffic {IDLE(0), LIGHT(10), HEAVY(50), FULL(100)} [%];
   bits = baud_rate * traffic / 100;
   chars = bits / (data_bits + if(parity == KIVO_UART_PARITY_NONE, 2, 3));
   tx = (bits * 8 + chars * 10) * uart_cost;
   rx = (bits * 3 * 7 + chars * 14) * uart_cost
*/

/* Load expression uart_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_UART_H */
