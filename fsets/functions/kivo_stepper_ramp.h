/* kivo_stepper_ramp.h: C API of the Kivo Stepper.Ramp function (Kivo2
   image).

   Full function name: Stepper Motor with Acceleration Ramp

   Drives a stepper motor through two or four neighbouring channels, one
   per winding phase. The first channel times the steps; it accelerates
   and decelerates along a ramp table that the host keeps in memory.
*/
#ifndef KIVO_STEPPER_RAMP_H
#define KIVO_STEPPER_RAMP_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_STEPPER_RAMP
#define KIVO_FUNC_STEPPER_RAMP  5U
#endif

/* phases options */
#define KIVO_STEP_4_PHASE       4U  /* Four phases (unipolar motor) */
#define KIVO_STEP_2_PHASE       2U  /* Two phases (bipolar motor, H bridges) */

/* Step sequence */
typedef enum {
    KIVO_STEP_FULL = 0,     /* Full steps, two phases on */
    KIVO_STEP_HALF = 1,     /* Half steps */
    KIVO_STEP_WAVE = 2      /* Wave drive, one phase on */
} kivo_step_drive_t;

/* Ramp table: step periods in TCR2 ticks from standstill to full speed */
typedef struct {
    uint16_t count;             /* number of entries used */
    uint16_t period[64];        /* step period of each entry */
} kivo_step_ramp_t;

/* Parameter RAM layout of the first channel (byte offsets) */
#define KIVO_STEP_POSITION      0x00U
#define KIVO_STEP_TARGET        0x04U
#define KIVO_STEP_RAMP_ADDR     0x08U
#define KIVO_STEP_RATE          0x0CU
#define KIVO_STEP_PARAM_WORDS   4U

int32_t hv_kivo_stepper_ramp_init(uint8_t first_channel, uint8_t priority,
                                  uint8_t phases, kivo_step_drive_t drive,
                                  uint32_t max_rate, uint16_t ramp_steps,
                                  const kivo_step_ramp_t *ramp);

/* Moves the motor to an absolute step position. */
int32_t hv_kivo_stepper_ramp_move(uint8_t first_channel, int32_t position);

/* Channel assignment (phases = KIVO_STEP_2_PHASE) Load: step_load
   phase_a = first_channel; priority = priority
   phase_b = first_channel + 1
*/

/* Channel assignment (default) Load: step_load
   phase_a = first_channel; priority = priority
   phase_b = first_channel + 1
   phase_c = first_channel + 2
   phase_d = first_channel + 3
*/

/* Load expression step_load
   var step_rate {1..40000} [steps/s];
   changes = step_rate * if(drive == KIVO_STEP_HALF, 1, 0.5);
   phase_a = (step_rate * 26 + changes * 4) * step_cost;
   phase_b = changes * 4 * step_cost;
   phase_c = changes * 4 * step_cost;
   phase_d = changes * 4 * step_cost
*/

/* Load expression step_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_STEPPER_RAMP_H */
