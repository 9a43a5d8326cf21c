/* kivo_adctrig.h: C API of the Kivo ADCTRIG function (Kivo2 image).

   Full function name: ADC Trigger Synchronised to PWM

   The channel sends a trigger pulse to the analogue-to-digital converter
   a fixed delay after each period start of a PWM or DTPWM channel, so
   that currents are sampled while the bridge is quiet. It runs only on
   period starts and adds almost nothing to the engine's load.
*/
#ifndef KIVO_ADCTRIG_H
#define KIVO_ADCTRIG_H

#include "hv_kivo.h"
#include "kivo_fs_common.h"

#ifndef KIVO_FUNC_ADCTRIG
#define KIVO_FUNC_ADCTRIG       8U
#endif

/* Width of the trigger pulse in TCR1 ticks */
#define KIVO_ADCTRIG_PULSE      4U

/* The trigger follows the PWM or DTPWM channel named by pwm_dtpwm_chan;
   delay is counted in TCR1 ticks from that channel's period start. */
int32_t hv_kivo_adctrig_init(uint8_t trigger_channel, uint8_t priority,
                             uint8_t pwm_dtpwm_chan, uint32_t delay,
                             kivo_polarity_t polarity);

#endif /* KIVO_ADCTRIG_H */
