/* kivo_ppm.c: host-side initialisation of the Kivo PPM function. */
#include "kivo_ppm.h"

#define PPM_HSR_START           7U
#define PPM_HSR_START_WINDOW    6U

/* hv_kivo_ppm_init - Starts measuring periods or pulse widths.
 *
 *   channel - Channel whose pin is measured.
 *   priority - Scheduling priority of the channel.
 *   edge - Edge that starts a measurement; with both edges every
 *      transition starts one.
 *   measure - Quantity that is measured.
 *   timebase - Time base that the result is counted in.
 *   periods - Number of measurements accumulated in one result
 *      (1 to 65535).
 *
 * Project notes: %funcname% measures the input of
 *   %linkpos%
 *   and averages %param(periods)%
 *   measurements per result.
 */
int32_t hv_kivo_ppm_init(uint8_t channel, uint8_t priority, kivo_edge_t edge,
                         uint8_t measure, uint8_t timebase, uint16_t periods)
{
    if (periods == 0U || measure > KIVO_PPM_LOW_TIME)
        return HV_KIVO_ERROR_VALUE;
    if (hv_kivo_chan_init(channel, KIVO_FUNC_PPM,
                          (uint8_t)((uint32_t)edge | ((uint32_t)measure << 2)
                                    | ((uint32_t)timebase << 4)),
                          0U, KIVO_PPM_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_32(channel, KIVO_PPM_PERIODS, periods);
    hv_kivo_hsr(channel, PPM_HSR_START);
    hv_kivo_enable(channel, priority);
    return HV_KIVO_ERROR_NONE;
}

/* hv_kivo_ppm_finit - Starts counting input periods in a fixed window.
 *
 *   channel - Channel whose pin is measured.
 *   priority - Scheduling priority of the channel.
 *   edge - Edge that is counted.
 *   timebase - Time base that the window is timed with.
 *   window - Length of the window in ticks of the time base.
 *
 * Project notes: The input of %linkpos%
 *   is counted in windows of %param(window)%
 *   ticks of %valueof(timebase)%.
 */
int32_t hv_kivo_ppm_finit(uint8_t channel, uint8_t priority, kivo_edge_t edge,
                          uint8_t timebase, uint32_t window)
{
    if (window < 16U || window > 0xFFFFFFU)
        return HV_KIVO_ERROR_VALUE;
    if (hv_kivo_chan_init(channel, KIVO_FUNC_PPM,
                          (uint8_t)((uint32_t)edge | ((uint32_t)timebase << 4)),
                          0U, KIVO_PPM_PARAM_WORDS, HV_KIVO_ETCS_ALTERNATE, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_24(channel, KIVO_PPM_WINDOW, window);
    hv_kivo_hsr(channel, PPM_HSR_START_WINDOW);
    hv_kivo_enable(channel, priority);
    return HV_KIVO_ERROR_NONE;
}

uint32_t hv_kivo_ppm_get_result(uint8_t channel)
{
    return hv_kivo_get_chan_local_32(channel, KIVO_PPM_RESULT);
}
