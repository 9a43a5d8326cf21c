/* kivo_dtpwm.h: C API of the Kivo DTPWM function (Kivo2 image).

   Full function name: Complementary PWM Pair with Dead Time

   Two channels drive the high-side and the low-side switch of a half
   bridge with complementary PWM signals. Between switching one side off
   and the other on, both stay off for the dead time. The period is
   always counted in TCR1 ticks.
*/
#ifndef KIVO_DTPWM_H
#define KIVO_DTPWM_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_DTPWM
#define KIVO_FUNC_DTPWM         2U
#endif

/* align options */
#define KIVO_DTPWM_EDGE         0U  /* Edge-aligned */
#define KIVO_DTPWM_CENTER       1U  /* Centre-aligned */

/* Parameter RAM layout of the high-side channel (byte offsets) */
#define KIVO_DTPWM_PERIOD       0x00U
#define KIVO_DTPWM_HIGH_TIME    0x04U
#define KIVO_DTPWM_DEAD_TIME    0x08U
#define KIVO_DTPWM_PARTNER      0x0CU
#define KIVO_DTPWM_PARAM_WORDS  4U

/* The low-side channel is the channel after the high-side channel. */
int32_t hv_kivo_dtpwm_init_adjacent(uint8_t high_side_channel,
                                    uint8_t priority,
                                    kivo_polarity_t polarity,
                                    uint32_t period, uint32_t duty,
                                    uint16_t dead_time, uint8_t align);

/* The low-side channel is any channel of the same engine. */
int32_t hv_kivo_dtpwm_init_pair(uint8_t high_side_channel,
                                uint8_t low_side_channel,
                                uint8_t priority,
                                kivo_polarity_t polarity,
                                uint32_t period, uint32_t duty,
                                uint16_t dead_time, uint8_t align);

/* Changes the duty cycle of a running pair at its next period. */
int32_t hv_kivo_dtpwm_set_duty(uint8_t high_side_channel, uint32_t duty);

/* Channel assignment (hv_kivo_dtpwm_init_adjacent; default) Load: dtpwm_load
   high = high_side_channel; priority = priority
   low = high_side_channel + 1; priority = priority
*/

/* Channel assignment (hv_kivo_dtpwm_init_pair; default) Load: dtpwm_load
   high = high_side_channel; low = low_side_channel
   priority = priority
*/

/* Load expression dtpwm_load
   edges = if(align == KIVO_DTPWM_CENTER, 4, 2);
   high = dtpwm_rate * edges * 16 * dtpwm_cost;
   low = dtpwm_rate * edges * 9 * dtpwm_cost
*/

/* Load expression dtpwm_rate
   expression = kivo_tcr1_freq * (period > 0) / if(period > 0, period, 1)
*/

/* Load expression dtpwm_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_DTPWM_H */
