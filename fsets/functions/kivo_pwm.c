/* kivo_pwm.c: host-side initialisation of the Kivo PWM function. */
#include "kivo_pwm.h"

/* Host service requests understood by the PWM function */
#define PWM_HSR_START_EDGE      7U
#define PWM_HSR_START_CENTER    6U
#define PWM_HSR_START_SYNC      5U
#define PWM_HSR_UPDATE          1U

/* The function mode carries the polarity in bit 0 and the time base in
   bit 1. */
static uint8_t pwm_mode(kivo_polarity_t polarity, kivo_pwm_timebase_t timebase)
{
    return (uint8_t)(((polarity == KIVO_ACTIVE_LOW) ? 1U : 0U)
                     | ((timebase == KIVO_PWM_TCR2) ? 2U : 0U));
}

static uint32_t pwm_high_time(uint32_t period, uint32_t duty)
{
    return (uint32_t)(((uint64_t)period * duty) / KIVO_DUTY_FULL);
}

static int32_t pwm_start(uint8_t channel, uint8_t mode, uint8_t hsr,
                         uint32_t period, uint32_t high_time,
                         uint8_t priority)
{
    if (hv_kivo_chan_init(channel, KIVO_FUNC_PWM, mode, 0U,
                          KIVO_PWM_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_32(channel, KIVO_PWM_PERIOD, period);
    hv_kivo_set_chan_local_32(channel, KIVO_PWM_HIGH_TIME, high_time);
    hv_kivo_hsr(channel, hsr);
    hv_kivo_enable(channel, priority);
    return HV_KIVO_ERROR_NONE;
}

/* hv_kivo_pwm_init_edge - Starts an edge-aligned PWM output.
 *
 *   channel - Channel whose pin carries the PWM signal.
 *   priority - Scheduling priority of the channel.
 *   polarity - Pin level during the active part of the period.
 *   timebase - Time base that period and duty are counted in.
 *   period - Length of the period in ticks of the chosen time base;
 *      the PWM frequency is the time base frequency divided by this
 *      value.
 *   duty - Active part of the period in units of 0.01 percent
 *      (0 to 10000).
 *   update - When a new duty cycle written by the host takes
 *      effect.
 *
 * Project notes: The PWM signal leaves the pin of
 *   %linkpos%.
 *   Its period is %param(period)%
 *   ticks of %valueof(timebase)%;
 *   the pin is %^(polarity)%
 *   while the duty part of the period runs.
 */
int32_t hv_kivo_pwm_init_edge(uint8_t channel, uint8_t priority,
                              kivo_polarity_t polarity,
                              kivo_pwm_timebase_t timebase,
                              uint32_t period, uint32_t duty,
                              uint8_t update)
{
    uint8_t mode = pwm_mode(polarity, timebase);

    if (period < 2U || duty > KIVO_DUTY_FULL)
        return HV_KIVO_ERROR_VALUE;
    if (update == KIVO_PWM_UPDATE_PERIOD_END)
        mode = (uint8_t)(mode | 4U);
    return pwm_start(channel, mode, PWM_HSR_START_EDGE, period,
                     pwm_high_time(period, duty), priority);
}

/* hv_kivo_pwm_init_center - Starts a centre-aligned PWM output: the
 *      active part lies in the middle of the period, which suits
 *      motor bridges and keeps switching edges apart.
 *
 *   channel - Channel whose pin carries the PWM signal.
 *   priority - Scheduling priority of the channel.
 *   polarity - Pin level during the active part of the period.
 *   timebase - Time base that period and duty are counted in.
 *   period - Length of the period in ticks of the chosen time base.
 *   duty - Active part of the period in units of 0.01 percent.
 *
 * Project notes: %funcdesc% in centre-aligned mode on
 *   %linkname(this_output)%;
 *   the initialisation call is %funccall%.
 */
int32_t hv_kivo_pwm_init_center(uint8_t channel, uint8_t priority,
                                kivo_polarity_t polarity,
                                kivo_pwm_timebase_t timebase,
                                uint32_t period, uint32_t duty)
{
    if (period < 4U || duty > KIVO_DUTY_FULL)
        return HV_KIVO_ERROR_VALUE;
    return pwm_start(channel, pwm_mode(polarity, timebase),
                     PWM_HSR_START_CENTER, period / 2U,
                     pwm_high_time(period, duty) / 2U, priority);
}

/* hv_kivo_pwm_init_sync - Starts a PWM output whose period follows
 *      another PWM channel, its master.
 *
 *   channel - Channel whose pin carries the PWM signal.
 *   priority - Scheduling priority of the channel.
 *   polarity - Pin level during the active part of the period.
 *   master_pwm_chan - Channel of the PWM function whose period this
 *      output follows; it must run on the same engine.
 *   duty - Active part of the master's period in units of 0.01
 *      percent.
 *   delay - Start of the active part after the master's period
 *      start, in ticks of the master's time base.
 *
 * Project notes: This output on %enginename%
 *   follows the PWM channel %param(master_pwm_chan)%
 *   with a delay of %param(delay)%
 *   ticks. Start the master before this channel; see also
 *   %link%.
 */
int32_t hv_kivo_pwm_init_sync(uint8_t channel, uint8_t priority,
                              kivo_polarity_t polarity,
                              uint8_t master_pwm_chan,
                              uint32_t duty, uint32_t delay)
{
    if (master_pwm_chan == KIVO_CHAN_NOT_USED || duty > KIVO_DUTY_FULL)
        return HV_KIVO_ERROR_VALUE;
    if (KIVO_CHANNEL_ENGINE(master_pwm_chan) != KIVO_CHANNEL_ENGINE(channel))
        return HV_KIVO_ERROR_CHANNEL;
    if (hv_kivo_chan_init(channel, KIVO_FUNC_PWM,
                          pwm_mode(polarity, KIVO_PWM_TCR1), 0U,
                          KIVO_PWM_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_32(channel, KIVO_PWM_HIGH_TIME, duty);
    hv_kivo_set_chan_local_32(channel, KIVO_PWM_MASTER, master_pwm_chan);
    hv_kivo_set_chan_local_32(channel, KIVO_PWM_DELAY, delay);
    hv_kivo_hsr(channel, PWM_HSR_START_SYNC);
    hv_kivo_enable(channel, priority);
    return HV_KIVO_ERROR_NONE;
}

int32_t hv_kivo_pwm_set_duty(uint8_t channel, uint32_t duty)
{
    uint32_t period;

    if (duty > KIVO_DUTY_FULL)
        return HV_KIVO_ERROR_VALUE;
    period = hv_kivo_get_chan_local_32(channel, KIVO_PWM_PERIOD);
    hv_kivo_set_chan_local_32(channel, KIVO_PWM_HIGH_TIME,
                              pwm_high_time(period, duty));
    hv_kivo_hsr(channel, PWM_HSR_UPDATE);
    return HV_KIVO_ERROR_NONE;
}
