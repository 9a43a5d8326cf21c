/* kivo_app_fan_control.c: host side of the fan speed control application. */
#include "kivo_app_fan_control.h"

/* hv_kivo_app_fan_control_init - Starts the fan drive and its
 *      tachometer input.
 *
 *   drive_channel - Channel that drives the fan's PWM input.
 *   tacho_channel - Channel that receives the tachometer pulses.
 *   priority - Scheduling priority of the drive channel; the
 *      tachometer channel runs at low priority.
 *   polarity - Level of the PWM input that drives the fan.
 *   pwm_period - PWM period in TCR1 ticks; most fans expect 25 kHz.
 *   start_duty - Duty cycle at start in units of 0.01 percent.
 *   pulses_per_rev - Tachometer pulses per revolution, usually 2.
 *
 * Project notes: Connect the fan's PWM input to
 *   %linkname(drive)%
 *   and its tachometer output to the second channel of
 *   %funcdesc%;
 *   the tachometer line needs a pull-up resistor.
 */
int32_t hv_kivo_app_fan_control_init(uint8_t drive_channel,
                                     uint8_t tacho_channel,
                                     uint8_t priority,
                                     kivo_polarity_t polarity,
                                     uint32_t pwm_period,
                                     uint32_t start_duty,
                                     uint8_t pulses_per_rev)
{
    int32_t err;

    if (pulses_per_rev == 0U)
        return HV_KIVO_ERROR_VALUE;
    err = hv_kivo_pwm_init_edge(drive_channel, priority, polarity,
                                KIVO_PWM_TCR1, pwm_period, start_duty,
                                KIVO_PWM_UPDATE_PERIOD_END);
    if (err != HV_KIVO_ERROR_NONE)
        return err;
    return hv_kivo_ic_init(tacho_channel, HV_KIVO_PRIORITY_LOW,
                           KIVO_EDGE_FALLING, KIVO_IC_CONTINUOUS,
                           KIVO_TIMEBASE_TCR2, (uint32_t)pulses_per_rev);
}

uint32_t hv_kivo_app_fan_control_get_speed(uint8_t tacho_channel)
{
    return hv_kivo_ic_get_count(tacho_channel) * 60U;
}

int32_t hv_kivo_app_fan_control_set_duty(uint8_t drive_channel,
                                         uint32_t duty)
{
    return hv_kivo_pwm_set_duty(drive_channel, duty);
}
