/* kivo_ssp.h: C API of the Kivo SSP function.

   Full function name: Synchronous Serial Port Master

   A serial master of the SPI kind. The chip select and the shift clock
   each take a channel of their own; data out and data in always use the
   two channels that follow the shift clock channel.
*/
#ifndef KIVO_SSP_H
#define KIVO_SSP_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_SSP
#define KIVO_FUNC_SSP           5U
#endif

/* direction options */
#define KIVO_SSP_FULL_DUPLEX    0U  /* Send and receive */
#define KIVO_SSP_TX_ONLY        1U  /* Send only */
#define KIVO_SSP_RX_ONLY        2U  /* Receive only */

/* Idle level of the shift clock and the edge that data is sampled on */
typedef enum {
    KIVO_SSP_IDLE_LOW_SAMPLE_RISE = 0,  /* Clock idles low, sample on rising edge */
    KIVO_SSP_IDLE_LOW_SAMPLE_FALL = 1,  /* Clock idles low, sample on falling edge */
    KIVO_SSP_IDLE_HIGH_SAMPLE_FALL = 2, /* Clock idles high, sample on falling edge */
    KIVO_SSP_IDLE_HIGH_SAMPLE_RISE = 3  /* Clock idles high, sample on rising edge */
} kivo_ssp_clock_mode_t;

/* Parameter RAM layout of the shift clock channel (byte offsets) */
#define KIVO_SSP_HALF_BIT       0x00U
#define KIVO_SSP_TX_DATA        0x04U
#define KIVO_SSP_RX_DATA        0x08U
#define KIVO_SSP_FRAME          0x0CU
#define KIVO_SSP_PARAM_WORDS    4U

int32_t hv_kivo_ssp_init(uint8_t cs_channel, uint8_t sclk_channel,
                         uint8_t priority, uint8_t direction,
                         kivo_ssp_clock_mode_t clock_mode,
                         uint32_t bit_rate, uint8_t frame_bits);

/* Starts one frame; the received bits are read with hv_kivo_ssp_read. */
int32_t hv_kivo_ssp_transfer(uint8_t sclk_channel, uint32_t data);
uint32_t hv_kivo_ssp_read(uint8_t sclk_channel);

/* Channel assignment (direction = KIVO_SSP_TX_ONLY) Load: ssp_load
   cs = cs_channel
   sclk = sclk_channel; priority = priority
   dout = sclk_channel + 1; priority = priority
*/

/* Channel assignment (direction = KIVO_SSP_RX_ONLY) Load: ssp_load
   cs = cs_channel
   sclk = sclk_channel; priority = priority
   din = sclk_channel + 2; priority = priority
*/

/* Channel assignment (default) Load: ssp_load
   cs = cs_channel
   sclk = sclk_channel; priority = priority
   dout = sclk_channel + 1; din = sclk_channel + 2
*/

/* Load expression ssp_load
   var frame_rate {0..100000} [frames/s];
   bits = frame_rate * frame_bits;
   cs = frame_rate * 2 * 10 * ssp_cost;
   sclk = bits * 2 * 9 * ssp_cost;
   dout = bits * 6 * ssp_cost;
   din = bits * 7 * ssp_cost
*/

/* Load expression ssp_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_SSP_H */
