/* kivo_dtpwm.c: host-side initialisation of the Kivo DTPWM function. */
#include "kivo_dtpwm.h"

#define DTPWM_HSR_START         7U
#define DTPWM_HSR_PARTNER       6U
#define DTPWM_HSR_UPDATE        2U

static int32_t dtpwm_start(uint8_t high, uint8_t low, uint8_t priority,
                           kivo_polarity_t polarity, uint32_t period,
                           uint32_t duty, uint16_t dead_time, uint8_t align)
{
    uint8_t mode = (uint8_t)(((polarity == KIVO_ACTIVE_LOW) ? 1U : 0U)
                             | ((align == KIVO_DTPWM_CENTER) ? 2U : 0U));

    if (period < 4U || duty > KIVO_DUTY_FULL || 2U * dead_time >= period)
        return HV_KIVO_ERROR_VALUE;
    if (KIVO_CHANNEL_ENGINE(high) != KIVO_CHANNEL_ENGINE(low))
        return HV_KIVO_ERROR_CHANNEL;
    if (hv_kivo_chan_init(high, KIVO_FUNC_DTPWM, mode, 0U,
                          KIVO_DTPWM_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    if (hv_kivo_chan_init(low, KIVO_FUNC_DTPWM, mode, 0U, 0U,
                          HV_KIVO_ETCS_ALTERNATE, 0) == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_32(high, KIVO_DTPWM_PERIOD, period);
    hv_kivo_set_chan_local_32(high, KIVO_DTPWM_HIGH_TIME,
                              (uint32_t)(((uint64_t)period * duty)
                                         / KIVO_DUTY_FULL));
    hv_kivo_set_chan_local_32(high, KIVO_DTPWM_DEAD_TIME, dead_time);
    hv_kivo_set_chan_local_32(high, KIVO_DTPWM_PARTNER, low);
    hv_kivo_hsr(low, DTPWM_HSR_PARTNER);
    hv_kivo_hsr(high, DTPWM_HSR_START);
    hv_kivo_enable(low, priority);
    hv_kivo_enable(high, priority);
    return HV_KIVO_ERROR_NONE;
}

/* hv_kivo_dtpwm_init_adjacent - Starts a complementary PWM pair on two
 *      neighbouring channels.
 *
 *   high_side_channel - Channel of the high-side switch; the low-side
 *      switch uses the next channel.
 *   priority - Scheduling priority of both channels.
 *   polarity - Level that switches a transistor on.
 *   period - PWM period in TCR1 ticks.
 *   duty - On time of the high side in units of 0.01 percent of the
 *      period.
 *   dead_time - Time in TCR1 ticks during which both sides are off;
 *      less than half the period.
 *   align - Alignment of the pulses within the period.
 *
 * Project notes: The half bridge of %linkpos%
 *   switches with a period of %param(period)%
 *   TCR1 ticks and a dead time of %param(dead_time)%
 *   ticks; the switches conduct when their gate is
 *   %valueof(polarity)%.
 */
int32_t hv_kivo_dtpwm_init_adjacent(uint8_t high_side_channel,
                                    uint8_t priority,
                                    kivo_polarity_t polarity,
                                    uint32_t period, uint32_t duty,
                                    uint16_t dead_time, uint8_t align)
{
    return dtpwm_start(high_side_channel, (uint8_t)(high_side_channel + 1U),
                       priority, polarity, period, duty, dead_time, align);
}

/* hv_kivo_dtpwm_init_pair - Starts a complementary PWM pair on two
 *      channels of the same engine.
 *
 *   high_side_channel - Channel of the high-side switch.
 *   low_side_channel - Channel of the low-side switch.
 *   priority - Scheduling priority of both channels.
 *   polarity - Level that switches a transistor on.
 *   period - PWM period in TCR1 ticks.
 *   duty - On time of the high side in units of 0.01 percent of the
 *      period.
 *   dead_time - Time in TCR1 ticks during which both sides are off.
 *   align - Alignment of the pulses within the period.
 *
 * Project notes: The high side of %funcdesc%
 *   is %linkname(high_side)%;
 *   its low side is the second channel of this function.
 */
int32_t hv_kivo_dtpwm_init_pair(uint8_t high_side_channel,
                                uint8_t low_side_channel,
                                uint8_t priority,
                                kivo_polarity_t polarity,
                                uint32_t period, uint32_t duty,
                                uint16_t dead_time, uint8_t align)
{
    return dtpwm_start(high_side_channel, low_side_channel, priority,
                       polarity, period, duty, dead_time, align);
}

int32_t hv_kivo_dtpwm_set_duty(uint8_t high_side_channel, uint32_t duty)
{
    uint32_t period;

    if (duty > KIVO_DUTY_FULL)
        return HV_KIVO_ERROR_VALUE;
    period = hv_kivo_get_chan_local_32(high_side_channel, KIVO_DTPWM_PERIOD);
    hv_kivo_set_chan_local_32(high_side_channel, KIVO_DTPWM_HIGH_TIME,
                              (uint32_t)(((uint64_t)period * duty)
                                         / KIVO_DUTY_FULL));
    hv_kivo_hsr(high_side_channel, DTPWM_HSR_UPDATE);
    return HV_KIVO_ERROR_NONE;
}
