/* kivo_set_k2_motion.h: motion control image for Kivo2 engines.

   Image name: KIVO2-MOTION, version 1.4
   Code size:  10240 bytes, entry table at code memory address 2048
*/
#ifndef KIVO_SET_K2_MOTION_H
#define KIVO_SET_K2_MOTION_H

#include "hv_kivo.h"

/* MISC compare value of the image and base address of its entry table */
#define HV_KIVO_MISC            0x9B17E02C
#define HV_KIVO_ENTRY_TABLE     2048

/* The image itself, as 32-bit words */
extern const uint32_t kivo_image_k2_motion[];
#define HV_KIVO_IMAGE           kivo_image_k2_motion
#define HV_KIVO_IMAGE_WORDS     2560U

/* Kivo function list of this image (an entry's position is its function
   number; an empty entry is an unused number):
    "PWM - Pulse width modulation output"
    "IC - Input capture and transition counter"
    "DTPWM - Complementary PWM pair with dead time"
    "QD - Quadrature decoder"
    ""
    "Stepper.Ramp - Stepper motor with acceleration ramp"
    "GPIO - General purpose input/output"
    "HALL - Hall sensor commutation decoder"
    "ADCTRIG - ADC trigger synchronised to PWM"
    "UART - Asynchronous serial port"
*/
#define KIVO_FUNC_PWM           0U
#define KIVO_FUNC_IC            1U
#define KIVO_FUNC_DTPWM         2U
#define KIVO_FUNC_QD            3U
#define KIVO_FUNC_STEPPER_RAMP  5U
#define KIVO_FUNC_GPIO          6U
#define KIVO_FUNC_HALL          7U
#define KIVO_FUNC_ADCTRIG       8U
#define KIVO_FUNC_UART          9U

/* Presumed engine settings: the image runs only when these are made
     HV_KIVO_ETB_BASE(HV_KIVO_ENTRY_TABLE)   entry table where the image has it
     HV_KIVO_SCMMISEN_ENABLED                code memory checked with the MISC value
     HV_KIVO_SPPDIS_OFF                      the commutation functions rely on
                                             scheduler priority passing
     HV_KIVO_TCR2CTL_KIVO_DIV8               Stepper.Ramp times its steps with TCR2
*/

#endif /* KIVO_SET_K2_MOTION_H */
