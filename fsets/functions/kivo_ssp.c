/* kivo_ssp.c: host-side initialisation of the Kivo SSP function. */
#include "kivo_ssp.h"

#define SSP_HSR_START           7U
#define SSP_HSR_TRANSFER        3U

/* hv_kivo_ssp_init - Starts a synchronous serial master.
 *
 *   cs_channel - Channel that drives the chip select (active low).
 *   sclk_channel - Channel that drives the shift clock; data out uses
 *      the next channel and data in the one after it.
 *   priority - Scheduling priority of the shift clock and data
 *      channels.
 *   direction - Whether the port sends, receives or does both.
 *   clock_mode - Idle level of the shift clock and sampling edge.
 *   bit_rate - Shift clock frequency in bits per second; it must not
 *      exceed a quarter of the TCR1 frequency.
 *   frame_bits - Number of bits in one frame (1 to 32).
 *
 * Project notes: The chip select of %funcname%
 *   uses %linkname(CS)%;
 *   frames of %param(frame_bits)%
 *   bits are shifted at %param(bit_rate)%
 *   bits per second.
 */
int32_t hv_kivo_ssp_init(uint8_t cs_channel, uint8_t sclk_channel,
                         uint8_t priority, uint8_t direction,
                         kivo_ssp_clock_mode_t clock_mode,
                         uint32_t bit_rate, uint8_t frame_bits)
{
    if (bit_rate == 0U || frame_bits == 0U || frame_bits > 32U)
        return HV_KIVO_ERROR_VALUE;
    if (hv_kivo_chan_init(cs_channel, KIVO_FUNC_SSP, 3U, 0U, 0U,
                          HV_KIVO_ETCS_STANDARD, 0) == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    if (hv_kivo_chan_init(sclk_channel, KIVO_FUNC_SSP, (uint8_t)clock_mode,
                          0U, KIVO_SSP_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_32(sclk_channel, KIVO_SSP_HALF_BIT, bit_rate);
    hv_kivo_set_chan_local_32(sclk_channel, KIVO_SSP_FRAME,
                              ((uint32_t)direction << 8) | frame_bits);
    hv_kivo_set_chan_local_32(sclk_channel, KIVO_SSP_RX_DATA,
                              (uint32_t)cs_channel << 24);
    hv_kivo_hsr(sclk_channel, SSP_HSR_START);
    hv_kivo_enable(cs_channel, HV_KIVO_PRIORITY_LOW);
    hv_kivo_enable(sclk_channel, priority);
    return HV_KIVO_ERROR_NONE;
}

int32_t hv_kivo_ssp_transfer(uint8_t sclk_channel, uint32_t data)
{
    hv_kivo_set_chan_local_32(sclk_channel, KIVO_SSP_TX_DATA, data);
    hv_kivo_hsr(sclk_channel, SSP_HSR_TRANSFER);
    return HV_KIVO_ERROR_NONE;
}

uint32_t hv_kivo_ssp_read(uint8_t sclk_channel)
{
    return hv_kivo_get_chan_local_32(sclk_channel, KIVO_SSP_RX_DATA);
}
