/* kivo_qd.h: C API of the Kivo QD function.

   Full function name: Quadrature Decoder

   Two channels decode the A and B signals of an incremental encoder into
   a position count. A third channel can take the encoder's index signal,
   either as a pulse that resets the count once per revolution or as a
   gate that lets the count run only while the signal is active.
*/
#ifndef KIVO_QD_H
#define KIVO_QD_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_QD
#define KIVO_FUNC_QD            3U
#endif

/* Use of the index signal */
typedef enum {
    KIVO_QD_NO_INDEX = 0,       /* No index signal */
    KIVO_QD_INDEX_PULSE = 1,    /* Index pulse resets the count */
    KIVO_QD_INDEX_GATED = 2     /* Index gates the count */
} kivo_qd_index_t;

/* Parameter RAM layout of the phase A channel (byte offsets) */
#define KIVO_QD_POSITION        0x00U
#define KIVO_QD_LAST_EDGE       0x04U
#define KIVO_QD_LINES           0x08U
#define KIVO_QD_PARAM_WORDS     3U

int32_t hv_kivo_qd_init(uint8_t phase_a_channel, uint8_t phase_b_channel,
                        uint8_t index_channel, uint8_t priority,
                        kivo_qd_index_t index_mode, uint16_t lines_per_rev);

/* Reads the position count (four counts per encoder line). */
int32_t hv_kivo_qd_get_position(uint8_t phase_a_channel);

/* Channel assignment (index_mode = KIVO_QD_INDEX_PULSE) Load: qd_index_load
   phase_a = phase_a_channel; priority = priority
   phase_b = phase_b_channel; priority = priority
   index = index_channel; priority = HV_KIVO_PRIORITY_HIGH
*/

/* Channel assignment (index_mode = KIVO_QD_INDEX_GATED) Load: qd_index_load
   phase_a = phase_a_channel; priority = priority
   phase_b = phase_b_channel; priority = priority
   index = index_channel; priority = priority
*/

/* Channel assignment (default) Load: qd_load
   phase_a = phase_a_channel; priority = priority
   phase_b = phase_b_channel; priority = priority
*/

/* Load expression qd_load
   phase_a = qd_phase_load;
   phase_b = qd_phase_load
*/

/* Load expression qd_index_load
   var speed {0..30000} [rpm];
   phase_a = qd_phase_load;
   phase_b = qd_phase_load;
   index = speed / 60 * 22 * qd_cost
*/

/* Load expression qd_phase_load
   var speed {0..30000} [rpm];
   edges = 2 * lines_per_rev * speed / 60;
   expression = edges * 17 * qd_cost
*/

/* Load expression qd_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_QD_H */
