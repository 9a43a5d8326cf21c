/* kivo_pwm.h: C API of the Kivo PWM function.

   Full function name: Pulse Width Modulation Output

   One channel drives a pulse-width modulated signal. The edge-aligned and
   centre-aligned variants time their own period; the synchronised variant
   follows the period of another PWM channel (its master).
*/
#ifndef KIVO_PWM_H
#define KIVO_PWM_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

/* Function number of PWM in the images that carry it */
#ifndef KIVO_FUNC_PWM
#define KIVO_FUNC_PWM           0U
#endif

/* Time base that period and duty are counted in */
typedef enum {
    KIVO_PWM_TCR1 = 0,      /* TCR1 */
    KIVO_PWM_TCR2 = 1       /* TCR2 */
} kivo_pwm_timebase_t;

/* update options: when new values written by the host take effect */
#define KIVO_PWM_UPDATE_IMMEDIATE   0U  /* At once (one pulse may be cut short) */
#define KIVO_PWM_UPDATE_PERIOD_END  1U  /* At the end of the running period */

/* Parameter RAM layout (byte offsets in the channel frame) */
#define KIVO_PWM_PERIOD         0x00U
#define KIVO_PWM_HIGH_TIME      0x04U
#define KIVO_PWM_MASTER         0x08U
#define KIVO_PWM_DELAY          0x0CU
#define KIVO_PWM_PARAM_WORDS    4U

int32_t hv_kivo_pwm_init_edge(uint8_t channel, uint8_t priority,
                              kivo_polarity_t polarity,
                              kivo_pwm_timebase_t timebase,
                              uint32_t period, uint32_t duty,
                              uint8_t update);

int32_t hv_kivo_pwm_init_center(uint8_t channel, uint8_t priority,
                                kivo_polarity_t polarity,
                                kivo_pwm_timebase_t timebase,
                                uint32_t period, uint32_t duty);

int32_t hv_kivo_pwm_init_sync(uint8_t channel, uint8_t priority,
                              kivo_polarity_t polarity,
                              uint8_t master_pwm_chan,
                              uint32_t duty, uint32_t delay);

/* Changes the duty cycle of a running PWM channel. */
int32_t hv_kivo_pwm_set_duty(uint8_t channel, uint32_t duty);

/* Channel assignment (hv_kivo_pwm_init_edge: update = KIVO_PWM_UPDATE_PERIOD_END) Load: pwm_edge_sync_load
   output = channel; priority = priority
*/

/* Channel assignment (hv_kivo_pwm_init_edge; default) Load: pwm_edge_load
   output = channel; priority = priority
*/

/* Channel assignment (hv_kivo_pwm_init_center; default) Load: pwm_center_load
   output = channel; priority = priority
*/

/* Channel assignment (hv_kivo_pwm_init_sync; default) Load: pwm_sync_load
   output = channel; priority = priority
*/

/* Load expression pwm_edge_load
   var duty_updates {0..20000} [updates/s];
   output = (pwm_rate * 2 * 14 + duty_updates * 9) * pwm_cost
*/

/* Load expression pwm_edge_sync_load
   var duty_updates {0..20000} [updates/s];
   output = (pwm_rate * (2 * 14 + 6) + duty_updates * 5) * pwm_cost
*/

/* Load expression pwm_center_load
   output = pwm_rate * 2 * 19 * pwm_cost
*/

/* Load expression pwm_sync_load
   var master_freq {1..200000} [Hz];
   output = master_freq * (2 * 14 + 8) * pwm_cost
*/

/* Load expression pwm_rate
   ticks = if(timebase == KIVO_PWM_TCR1, kivo_tcr1_freq, kivo_tcr2_freq);
   expression = ticks * (period > 0) / if(period > 0, period, 1)
*/

/* Load expression pwm_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_PWM_H */
