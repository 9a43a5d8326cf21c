/* kivo_ic.h: C API of the Kivo IC function.

   Full function name: Input Capture and Transition Counter

   The channel captures the time of selected input transitions and counts
   them. After max_count transitions it raises an interrupt and, in
   continuous mode, starts counting again.
*/
#ifndef KIVO_IC_H
#define KIVO_IC_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_IC
#define KIVO_FUNC_IC            1U
#endif

/* How the channel goes on after max_count transitions */
typedef enum {
    KIVO_IC_CONTINUOUS = 0, /* Continuous: restart counting */
    KIVO_IC_SINGLE = 1,     /* Single: stop after max_count transitions */
    KIVO_IC_BURST = 2       /* Burst: capture only the first transition */
} kivo_ic_mode_t;

/* Parameter RAM layout (byte offsets in the channel frame) */
#define KIVO_IC_LAST_TIME       0x00U
#define KIVO_IC_COUNT           0x04U
#define KIVO_IC_MAX_COUNT       0x08U
#define KIVO_IC_PARAM_WORDS     3U

int32_t hv_kivo_ic_init(uint8_t channel, uint8_t priority, kivo_edge_t edge,
                        kivo_ic_mode_t mode, uint8_t timebase,
                        uint32_t max_count);

/* Reads the time of the last captured transition and the count. */
uint32_t hv_kivo_ic_get_time(uint8_t channel);
uint32_t hv_kivo_ic_get_count(uint8_t channel);

/* Channel assignment (mode = KIVO_IC_BURST) Load: ic_burst_load
   input = channel
*/

/* Channel assignment (default) Load: ic_load
   input = channel
   priority = priority
*/

/* Load expression ic_load
   var edge_rate {0..250000} [Hz];
   input = edge_rate * if(edge == KIVO_EDGE_BOTH, 2, 1) * 12 * ic_cost
*/

/* Load expression ic_burst_load
   var burst_rate {0..10000} [bursts/s];
   input = burst_rate * 16 * ic_cost
*/

/* Load expression ic_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_IC_H */
