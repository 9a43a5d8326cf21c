/* kivo_app_fan_control.h: fan speed control built from the PWM and IC
   functions.

   Full application name: Fan Speed Control

   One channel drives the fan's PWM input, a second one counts the pulses
   of its tachometer output. The host reads the speed and adjusts the duty
   cycle with hv_kivo_app_fan_control_set_duty.
*/

/* Kivo functions used: PWM, IC */

#ifndef KIVO_APP_FAN_CONTROL_H
#define KIVO_APP_FAN_CONTROL_H

#include "kivo_pwm.h"
#include "kivo_ic.h"

int32_t hv_kivo_app_fan_control_init(uint8_t drive_channel,
                                     uint8_t tacho_channel,
                                     uint8_t priority,
                                     kivo_polarity_t polarity,
                                     uint32_t pwm_period,
                                     uint32_t start_duty,
                                     uint8_t pulses_per_rev);

/* Speed in revolutions per minute, from the tachometer count of the last
   second. */
uint32_t hv_kivo_app_fan_control_get_speed(uint8_t tacho_channel);
int32_t hv_kivo_app_fan_control_set_duty(uint8_t drive_channel,
                                         uint32_t duty);

/* Channel assignment (default) Load: fan_load
   drive = drive_channel; priority = priority
   tacho = tacho_channel; priority = HV_KIVO_PRIORITY_LOW
*/

/* Load expression fan_load
   var fan_speed {0..0, 500..20000} [rpm];
   drive = fan_pwm_rate * 2 * 14 * fan_cost;
   tacho = fan_speed / 60 * pulses_per_rev * 12 * fan_cost
*/

/* Load expression fan_pwm_rate
   expression = kivo_tcr1_freq * (pwm_period > 0) / if(pwm_period > 0, pwm_period, 1)
*/

/* Load expression fan_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_APP_FAN_CONTROL_H */
