/* kivo_uart.c: host-side initialisation of the Kivo UART function. */
#include "kivo_uart.h"

#define UART_HSR_TX             7U
#define UART_HSR_RX             6U
#define UART_HSR_SEND           1U
#define UART_MODE_TX            0U
#define UART_MODE_RX            1U

static int32_t uart_start(uint8_t channel, uint8_t mode, uint8_t hsr,
                          uint8_t priority, uint32_t baud_rate,
                          kivo_uart_parity_t parity, uint8_t data_bits)
{
    if (baud_rate == 0U || data_bits < 5U || data_bits > 9U)
        return HV_KIVO_ERROR_VALUE;
    if (hv_kivo_chan_init(channel, KIVO_FUNC_UART, mode, 0U,
                          KIVO_UART_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_32(channel, KIVO_UART_BIT_TIME, baud_rate);
    hv_kivo_set_chan_local_32(channel, KIVO_UART_FORMAT,
                              ((uint32_t)parity << 8) | data_bits);
    hv_kivo_hsr(channel, hsr);
    hv_kivo_enable(channel, priority);
    return HV_KIVO_ERROR_NONE;
}

/* hv_kivo_uart_init_duplex - Starts a UART transmitter and receiver.
 *
 *   tx_channel - Channel that drives the transmit line.
 *   rx_channel - Channel that samples the receive line.
 *   priority - Scheduling priority of both channels.
 *   baud_rate - Bits per second, the same in both directions.
 *   parity - Parity bit of a character.
 *   data_bits - Data bits of a character (5 to 9).
 *
 * Project notes: The port sends on %linkname(TX)%
 *   and receives on the second channel of this function at
 *   %param(baud_rate)%
 *   bits per second.
 */
int32_t hv_kivo_uart_init_duplex(uint8_t tx_channel, uint8_t rx_channel,
                                 uint8_t priority, uint32_t baud_rate,
                                 kivo_uart_parity_t parity, uint8_t data_bits)
{
    int32_t err = uart_start(tx_channel, UART_MODE_TX, UART_HSR_TX, priority,
                             baud_rate, parity, data_bits);

    if (err != HV_KIVO_ERROR_NONE)
        return err;
    return uart_start(rx_channel, UART_MODE_RX, UART_HSR_RX, priority,
                      baud_rate, parity, data_bits);
}

/* hv_kivo_uart_init_tx - Starts a UART transmitter.
 *
 *   tx_channel - Channel that drives the transmit line.
 *   priority - Scheduling priority of the channel.
 *   baud_rate - Bits per second.
 *   parity - Parity bit of a character.
 *   data_bits - Data bits of a character (5 to 9).
 */
int32_t hv_kivo_uart_init_tx(uint8_t tx_channel, uint8_t priority,
                             uint32_t baud_rate, kivo_uart_parity_t parity,
                             uint8_t data_bits)
{
    return uart_start(tx_channel, UART_MODE_TX, UART_HSR_TX, priority,
                      baud_rate, parity, data_bits);
}

/* hv_kivo_uart_init_rx - Starts a UART receiver.
 *
 *   rx_channel - Channel that samples the receive line.
 *   priority - Scheduling priority of the channel.
 *   baud_rate - Bits per second.
 *   parity - Parity bit of a character; a character with a wrong
 *      parity bit is dropped and counted.
 *   data_bits - Data bits of a character (5 to 9).
 *
 * Project notes: Characters arrive on %linkpos%;
 *   read them with hv_kivo_uart_receive().
 */
int32_t hv_kivo_uart_init_rx(uint8_t rx_channel, uint8_t priority,
                             uint32_t baud_rate, kivo_uart_parity_t parity,
                             uint8_t data_bits)
{
    return uart_start(rx_channel, UART_MODE_RX, UART_HSR_RX, priority,
                      baud_rate, parity, data_bits);
}

int32_t hv_kivo_uart_send(uint8_t tx_channel, uint16_t character)
{
    hv_kivo_set_chan_local_32(tx_channel, KIVO_UART_DATA, character);
    hv_kivo_hsr(tx_channel, UART_HSR_SEND);
    return HV_KIVO_ERROR_NONE;
}

int32_t hv_kivo_uart_receive(uint8_t rx_channel)
{
    uint32_t word = hv_kivo_get_chan_local_32(rx_channel, KIVO_UART_DATA);

    if ((word & 0x80000000U) == 0U)
        return -1;
    return (int32_t)(word & 0x1FFU);
}
