/* kivo_ppm.h: C API of the Kivo PPM function.

   Full function name: Period and Pulse Width Measurement

   The channel measures the period, the high time or the low time of its
   input and accumulates the result over a number of periods. The fixed
   window variant (finit) counts input periods during a fixed window of
   time instead, which suits fast inputs.
*/
#ifndef KIVO_PPM_H
#define KIVO_PPM_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_PPM
#define KIVO_FUNC_PPM           2U
#endif

/* measure options */
#define KIVO_PPM_PERIOD         0U  /* Period (edge to like edge) */
#define KIVO_PPM_HIGH_TIME      1U  /* High time */
#define KIVO_PPM_LOW_TIME       2U  /* Low time */

/* Parameter RAM layout (byte offsets in the channel frame) */
#define KIVO_PPM_RESULT         0x00U
#define KIVO_PPM_PERIODS        0x04U
#define KIVO_PPM_WINDOW         0x08U
#define KIVO_PPM_PARAM_WORDS    3U

int32_t hv_kivo_ppm_init(uint8_t channel, uint8_t priority, kivo_edge_t edge,
                         uint8_t measure, uint8_t timebase,
                         uint16_t periods);

int32_t hv_kivo_ppm_finit(uint8_t channel, uint8_t priority,
                          kivo_edge_t edge, uint8_t timebase,
                          uint32_t window);

/* Reads the accumulated result in ticks of the chosen time base (or, for
   the fixed window, the number of periods seen in the last window). */
uint32_t hv_kivo_ppm_get_result(uint8_t channel);

/* Channel assignment (hv_kivo_ppm_init; default) Load: ppm_load
   input = channel; priority = priority
*/

/* Channel assignment (hv_kivo_ppm_finit; default) Load: ppm_window_load
   input = channel; priority = priority
*/

/* Load expression ppm_load
   var input_freq {0.1..100000} [Hz];
   input = input_freq * if(measure == KIVO_PPM_PERIOD, 1, 2) * 15 * ppm_cost
*/

/* Load expression ppm_window_load
   var input_freq {0.1..2000000} [Hz];
   input = (input_freq * 6 + ppm_windows * 20) * ppm_cost
*/

/* Load expression ppm_windows
   ticks = if(timebase == KIVO_TIMEBASE_TCR1, kivo_tcr1_freq, kivo_tcr2_freq);
   expression = ticks * (window > 0) / if(window > 0, window, 1)
*/

/* Load expression ppm_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_PPM_H */
