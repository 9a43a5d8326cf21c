/* kivo_fs_common.h: types and values that several function APIs of the
   bundled function sets share. */
#ifndef KIVO_FS_COMMON_H
#define KIVO_FS_COMMON_H

#include "hv_kivo.h"

/* Level of an output during its active time, or active level of an input */
typedef enum {
    KIVO_ACTIVE_HIGH = 0,   /* Active high */
    KIVO_ACTIVE_LOW = 1     /* Active low */
} kivo_polarity_t;

/* Input edge that a function reacts to */
typedef enum {
    KIVO_EDGE_RISING = 0,   /* Rising edge */
    KIVO_EDGE_FALLING = 1,  /* Falling edge */
    KIVO_EDGE_BOTH = 2      /* Both edges */
} kivo_edge_t;

/* timebase options: the time base that captured times are taken from */
#define KIVO_TIMEBASE_TCR1      0U   /* TCR1 */
#define KIVO_TIMEBASE_TCR2      1U   /* TCR2 */

/* Duty cycles are given in units of 0.01 percent */
#define KIVO_DUTY_FULL          10000U

#endif /* KIVO_FS_COMMON_H */
