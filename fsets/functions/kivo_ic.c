/* kivo_ic.c: host-side initialisation of the Kivo IC function. */
#include "kivo_ic.h"

#define IC_HSR_START            7U

/* hv_kivo_ic_init - Starts capturing and counting input transitions.
 *
 *   channel - Channel whose pin is observed.
 *   priority - Scheduling priority of the channel.
 *   edge - Transitions that are captured and counted.
 *   mode - What the channel does after max_count transitions.
 *   timebase - Time base that captured times are taken from.
 *   max_count - Number of transitions after which the channel
 *      raises its interrupt (1 to 16777215).
 *
 * Project notes: Transitions on %linkpos%
 *   are counted up to %param(max_count)%;
 *   read the captured time with hv_kivo_ic_get_time().
 */
int32_t hv_kivo_ic_init(uint8_t channel, uint8_t priority, kivo_edge_t edge,
                        kivo_ic_mode_t mode, uint8_t timebase,
                        uint32_t max_count)
{
    uint8_t func_mode;

    if (max_count == 0U || max_count > 0xFFFFFFU)
        return HV_KIVO_ERROR_VALUE;
    func_mode = (uint8_t)((uint32_t)edge | ((uint32_t)timebase << 2));
    if (hv_kivo_chan_init(channel, KIVO_FUNC_IC, func_mode, 0U,
                          KIVO_IC_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_24(channel, KIVO_IC_MAX_COUNT, max_count);
    hv_kivo_set_chan_local_32(channel, KIVO_IC_COUNT, (uint32_t)mode << 24);
    hv_kivo_hsr(channel, IC_HSR_START);
    hv_kivo_enable(channel, priority);
    return HV_KIVO_ERROR_NONE;
}

uint32_t hv_kivo_ic_get_time(uint8_t channel)
{
    return hv_kivo_get_chan_local_32(channel, KIVO_IC_LAST_TIME) & 0xFFFFFFU;
}

uint32_t hv_kivo_ic_get_count(uint8_t channel)
{
    return hv_kivo_get_chan_local_32(channel, KIVO_IC_COUNT) & 0xFFFFFFU;
}
