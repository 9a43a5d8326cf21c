/* kivo_app_bldc.h: commutation of a brushless DC motor, built from the
   DTPWM, HALL and ADCTRIG functions of the Kivo2 motion image.

   Full application name: Brushless DC Motor Commutation

   Ten neighbouring channels, starting at first_channel: three
   complementary PWM pairs for the phases U, V and W, one trigger for the
   current measurement, and three inputs that read either the motor's Hall
   sensors or, without sensors, the back-EMF comparators.
*/

/* Kivo functions used: DTPWM; HALL; ADCTRIG */

#ifndef KIVO_APP_BLDC_H
#define KIVO_APP_BLDC_H

#include "kivo_dtpwm.h"
#include "kivo_adctrig.h"

/* Function number of HALL, which has no C API of its own */
#ifndef KIVO_FUNC_HALL
#define KIVO_FUNC_HALL          7U
#endif

/* sensor options */
#define KIVO_BLDC_HALL_SENSORS  0U  /* Hall sensors */
#define KIVO_BLDC_SENSORLESS    1U  /* Sensorless, back-EMF comparators */

int32_t hv_kivo_app_bldc_init(uint8_t first_channel, uint8_t priority,
                              uint8_t sensor, uint32_t pwm_period,
                              uint16_t dead_time, uint8_t pole_pairs);

/* Sets the torque demand in units of 0.01 percent of full duty. */
int32_t hv_kivo_app_bldc_set_demand(uint8_t first_channel, uint32_t demand);

/* Channel assignment (sensor = KIVO_BLDC_SENSORLESS) Load: bldc_sensorless_load
   u_high = first_channel; priority = priority
   u_low = first_channel + 1; v_high = first_channel + 2; v_low = first_channel + 3
   w_high = first_channel + 4; w_low = first_channel + 5
   adc = first_channel + 6; priority = HV_KIVO_PRIORITY_HIGH
   bemf_u = first_channel + 7; bemf_v = first_channel + 8; bemf_w = first_channel + 9
*/

/* Channel assignment (default) Load: bldc_load
   u_high = first_channel; priority = priority
   u_low = first_channel + 1; v_high = first_channel + 2; v_low = first_channel + 3
   w_high = first_channel + 4; w_low = first_channel + 5
   adc = first_channel + 6; priority = HV_KIVO_PRIORITY_HIGH
   hall_a = first_channel + 7; hall_b = first_channel + 8; hall_c = first_channel + 9
*/

/* Load expression bldc_load
   var motor_speed {0..60000} [rpm];
   u_high = bldc_pwm_high; v_high = bldc_pwm_high; w_high = bldc_pwm_high;
   u_low = bldc_pwm_low; v_low = bldc_pwm_low; w_low = bldc_pwm_low;
   adc = bldc_pwm_rate * 8 * bldc_cost;
   hall_a = bldc_sector_rate * 30 * bldc_cost;
   hall_b = hall_a; hall_c = hall_a
*/

/* Load expression bldc_sensorless_load
   var motor_speed {0..60000} [rpm];
   u_high = bldc_pwm_high; v_high = bldc_pwm_high; w_high = bldc_pwm_high;
   u_low = bldc_pwm_low; v_low = bldc_pwm_low; w_low = bldc_pwm_low;
   adc = bldc_pwm_rate * 8 * bldc_cost;
   bemf_u = (bldc_pwm_rate * 5 + bldc_sector_rate * 36) * bldc_cost;
   bemf_v = bemf_u; bemf_w = bemf_u
*/

/* Load expression bldc_pwm_high
   expression = bldc_pwm_rate * 2 * 16 * bldc_cost
*/

/* Load expression bldc_pwm_low
   expression = bldc_pwm_rate * 2 * 9 * bldc_cost
*/

/* Load expression bldc_sector_rate
   expression = motor_speed / 60 * pole_pairs * 2
*/

/* Load expression bldc_pwm_rate
   expression = kivo_tcr1_freq * (pwm_period > 0) / if(pwm_period > 0, pwm_period, 1)
*/

/* Load expression bldc_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_APP_BLDC_H */
