/* kivo_app_bldc.c: host side of the brushless DC motor commutation
   application. */
#include "kivo_app_bldc.h"

#define BLDC_PHASES             3U
#define BLDC_ADC_OFFSET         6U
#define BLDC_INPUT_OFFSET       7U
#define BLDC_HSR_INPUT          7U
#define BLDC_TRIGGER_DELAY      16U

/* hv_kivo_app_bldc_init - Starts the commutation of a brushless DC
 *      motor.
 *
 *   first_channel - First of the ten channels of the motor; it must be
 *      22 or lower.
 *   priority - Scheduling priority of the PWM channels.
 *   sensor - Position sensing of the motor.
 *   pwm_period - PWM period of the phase bridges in TCR1 ticks.
 *   dead_time - Dead time of the bridges in TCR1 ticks.
 *   pole_pairs - Pole pairs of the motor.
 *
 * Project notes: The motor bridge of %funcdesc%
 *   starts at %linkpos%;
 *   the phases U, V and W use three channel pairs from there, the
 *   current measurement trigger the seventh channel and the
 *   position inputs the last three. Position sensing:
 *   %valueof(sensor)%
 */
int32_t hv_kivo_app_bldc_init(uint8_t first_channel, uint8_t priority,
                              uint8_t sensor, uint32_t pwm_period,
                              uint16_t dead_time, uint8_t pole_pairs)
{
    uint8_t i;
    int32_t err;

    if (KIVO_CHANNEL_INDEX(first_channel) > 22U || pole_pairs == 0U)
        return HV_KIVO_ERROR_CHANNEL;
    for (i = 0U; i < BLDC_PHASES; i++) {
        uint8_t high = (uint8_t)(first_channel + 2U * i);
        err = hv_kivo_dtpwm_init_adjacent(high, priority, KIVO_ACTIVE_HIGH,
                                          pwm_period, 0U, dead_time,
                                          KIVO_DTPWM_CENTER);
        if (err != HV_KIVO_ERROR_NONE)
            return err;
    }
    err = hv_kivo_adctrig_init((uint8_t)(first_channel + BLDC_ADC_OFFSET),
                               HV_KIVO_PRIORITY_HIGH, first_channel,
                               pwm_period / 2U, KIVO_ACTIVE_HIGH);
    if (err != HV_KIVO_ERROR_NONE)
        return err;
    for (i = 0U; i < BLDC_PHASES; i++) {
        uint8_t input = (uint8_t)(first_channel + BLDC_INPUT_OFFSET + i);
        if (hv_kivo_chan_init(input, KIVO_FUNC_HALL, sensor, BLDC_HSR_INPUT,
                              1U, HV_KIVO_ETCS_STANDARD, 0)
            == HV_KIVO_ERROR_MALLOC)
            return HV_KIVO_ERROR_MALLOC;
        hv_kivo_set_chan_local_32(input, 0x00U, first_channel);
        hv_kivo_enable(input, priority);
    }
    return HV_KIVO_ERROR_NONE;
}

int32_t hv_kivo_app_bldc_set_demand(uint8_t first_channel, uint32_t demand)
{
    uint8_t i;

    for (i = 0U; i < BLDC_PHASES; i++) {
        int32_t err = hv_kivo_dtpwm_set_duty(
            (uint8_t)(first_channel + 2U * i), demand);
        if (err != HV_KIVO_ERROR_NONE)
            return err;
    }
    return HV_KIVO_ERROR_NONE;
}
