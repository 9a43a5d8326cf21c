/* kivo_stepper_ramp.c: host-side initialisation of the Kivo Stepper.Ramp
   function. */
#include "kivo_stepper_ramp.h"

#define STEP_HSR_START          7U
#define STEP_HSR_FOLLOW         6U
#define STEP_HSR_MOVE           1U

/* hv_kivo_stepper_ramp_init - Starts a stepper motor drive.
 *
 *   first_channel - Channel of the first winding phase; the other
 *      phases use the channels that follow it.
 *   priority - Scheduling priority of the first channel, which times
 *      the steps.
 *   phases - Number of winding phases, and so of channels.
 *   drive - Step sequence.
 *   max_rate - Highest step rate in steps per second; the ramp
 *      table is cut where it would exceed it.
 *   ramp_steps - Number of ramp table entries to use (1 to 64).
 *   ramp - Ramp table in host memory; it must stay valid while the
 *      motor runs.
 *
 * Project notes: The motor of %funcdesc%
 *   starts at %linkpos%
 *   with %valueof(phases)%
 *   phases and the ramp table %param(ramp)%.
 */
int32_t hv_kivo_stepper_ramp_init(uint8_t first_channel, uint8_t priority,
                                  uint8_t phases, kivo_step_drive_t drive,
                                  uint32_t max_rate, uint16_t ramp_steps,
                                  const kivo_step_ramp_t *ramp)
{
    uint8_t i;

    if (ramp == 0 || ramp_steps == 0U || ramp_steps > ramp->count
        || max_rate == 0U)
        return HV_KIVO_ERROR_VALUE;
    if (phases != KIVO_STEP_2_PHASE && phases != KIVO_STEP_4_PHASE)
        return HV_KIVO_ERROR_VALUE;
    for (i = 0U; i < phases; i++) {
        uint8_t channel = (uint8_t)(first_channel + i);
        if (hv_kivo_chan_init(channel, KIVO_FUNC_STEPPER_RAMP,
                              (uint8_t)drive, 0U,
                              (i == 0U) ? KIVO_STEP_PARAM_WORDS : 0U,
                              HV_KIVO_ETCS_STANDARD, 0)
            == HV_KIVO_ERROR_MALLOC)
            return HV_KIVO_ERROR_MALLOC;
    }
    hv_kivo_set_chan_local_32(first_channel, KIVO_STEP_RAMP_ADDR,
                              (uint32_t)(uintptr_t)ramp
                              | ((uint32_t)ramp_steps << 24));
    hv_kivo_set_chan_local_32(first_channel, KIVO_STEP_RATE, max_rate);
    for (i = 1U; i < phases; i++) {
        hv_kivo_hsr((uint8_t)(first_channel + i), STEP_HSR_FOLLOW);
        hv_kivo_enable((uint8_t)(first_channel + i), HV_KIVO_PRIORITY_LOW);
    }
    hv_kivo_hsr(first_channel, STEP_HSR_START);
    hv_kivo_enable(first_channel, priority);
    return HV_KIVO_ERROR_NONE;
}

int32_t hv_kivo_stepper_ramp_move(uint8_t first_channel, int32_t position)
{
    hv_kivo_set_chan_local_32(first_channel, KIVO_STEP_TARGET,
                              (uint32_t)position);
    hv_kivo_hsr(first_channel, STEP_HSR_MOVE);
    return HV_KIVO_ERROR_NONE;
}
