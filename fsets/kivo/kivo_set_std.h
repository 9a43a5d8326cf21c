/* kivo_set_std.h: standard timing image for Kivo engines.

   Image name: KIVO-STD, version 2.3
   Code size:  6144 bytes, entry table at code memory address 0x0800
*/
#ifndef KIVO_SET_STD_H
#define KIVO_SET_STD_H

#include "hv_kivo.h"

/* MISC compare value of the image and base address of its entry table */
#define HV_KIVO_MISC            0x3D5A96C1
#define HV_KIVO_ENTRY_TABLE     0x0800

/* The image itself, as 32-bit words */
extern const uint32_t kivo_image_std[];
#define HV_KIVO_IMAGE           kivo_image_std
#define HV_KIVO_IMAGE_WORDS     1536U

/* Kivo function list of this image (an entry's position is its function
   number; an empty entry is an unused number):
    "PWM - Pulse width modulation output"
    "IC - Input capture and transition counter"
    "PPM - Period and pulse width measurement"
    "QD - Quadrature decoder"
    ""
    "SSP - Synchronous serial port master"
    "GPIO - General purpose input/output"
    ""
    "PACC - Pulse accumulator"
*/
#define KIVO_FUNC_PWM           0U
#define KIVO_FUNC_IC            1U
#define KIVO_FUNC_PPM           2U
#define KIVO_FUNC_QD            3U
#define KIVO_FUNC_SSP           5U
#define KIVO_FUNC_GPIO          6U
#define KIVO_FUNC_PACC          8U

/* Presumed engine settings: the image runs only when these are made
     HV_KIVO_ETB_BASE(HV_KIVO_ENTRY_TABLE)   entry table where the image has it
     HV_KIVO_SCMMISEN_ENABLED                code memory checked with the MISC value
*/

#endif /* KIVO_SET_STD_H */
