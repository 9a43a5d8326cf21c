/* hv_kivo.h: host-side C API of the Kivo timing coprocessor: channel numbers,
   error codes, the engine configuration structure with its register-field
   values, and the calls that the generated configuration code and the
   function API sources make. */
#ifndef HV_KIVO_H
#define HV_KIVO_H

#include <stdint.h>

/* ------------------------------------------------------------------------
   Channel numbers
   The host API numbers the channels of engine A 0 to 31 and those of
   engine B 64 to 95, so that one byte names any channel of the module.
   ------------------------------------------------------------------------ */
#define KIVO_ENGINE_A_CHANNEL(n)    ((uint8_t)(n))
#define KIVO_ENGINE_B_CHANNEL(n)    ((uint8_t)(64U + (n)))
#define KIVO_CHAN_NOT_USED          ((uint8_t)0xFFU)

#define KIVO_CHANNEL_ENGINE(c)      ((uint8_t)((c) >> 6))
#define KIVO_CHANNEL_INDEX(c)       ((uint8_t)((c) & 0x3FU))

/* ------------------------------------------------------------------------
   Error codes returned by the initialisation calls (0 is success).
   hv_kivo_chan_init returns a parameter RAM address instead; addresses are
   multiples of 8, so HV_KIVO_ERROR_MALLOC can never be mistaken for one.
   ------------------------------------------------------------------------ */
#define HV_KIVO_ERROR_NONE          0
#define HV_KIVO_ERROR_MALLOC        1   /* parameter RAM exhausted */
#define HV_KIVO_ERROR_VALUE         2   /* an argument is out of range */
#define HV_KIVO_ERROR_CHANNEL       3   /* channel number not valid here */
#define HV_KIVO_ERROR_TIMING        4   /* the time base is too slow or too fast */

/* ------------------------------------------------------------------------
   Engine configuration: ten 32-bit register images, written in this order
   by hv_kivo_init. Members 1 and 2 are module-wide, 3, 4, 5 and 9 belong to
   engine A, 6, 7, 8 and 10 to engine B.
   ------------------------------------------------------------------------ */
struct kivo_config_t {
    uint32_t mcr;        /* 1: module configuration */
    uint32_t etbr;       /* 2: entry table base */
    uint32_t ecr_a;      /* 3: engine A configuration */
    uint32_t tbcr_a;     /* 4: engine A time bases */
    uint32_t staccr_a;   /* 5: engine A STAC bus */
    uint32_t ecr_b;      /* 6: engine B configuration */
    uint32_t tbcr_b;     /* 7: engine B time bases */
    uint32_t staccr_b;   /* 8: engine B STAC bus */
    uint32_t wdtr_a;     /* 9: engine A watchdog (Kivo2) */
    uint32_t wdtr_b;     /* 10: engine B watchdog (Kivo2) */
};
typedef struct kivo_config_t kivo_config_t;

/* Argument macros read an empty argument (a field that was never edited)
   as the field's lowest setting, so that such a configuration still
   compiles and means something definite. */
#define HV_KIVO_ARG_(x)             ((uint32_t)((x + 0)))
#define HV_KIVO_ARG_M1_(x)          ((uint32_t)((x + 0) - ((x + 0) > 0)))

/* MCR: module configuration (member 1) */
#define HV_KIVO_GTBE_DISABLED       ((uint32_t)0x0U << 0)
#define HV_KIVO_GTBE_ENABLED        ((uint32_t)0x1U << 0)
#define HV_KIVO_VIS_OFF             ((uint32_t)0x0U << 1)
#define HV_KIVO_VIS_ON              ((uint32_t)0x1U << 1)
#define HV_KIVO_SCMMISEN_DISABLED   ((uint32_t)0x0U << 2)
#define HV_KIVO_SCMMISEN_ENABLED    ((uint32_t)0x1U << 2)
#define HV_KIVO_SDMECC_OFF          ((uint32_t)0x0U << 3)
#define HV_KIVO_SDMECC_ON           ((uint32_t)0x1U << 3)

/* ETBR: entry table base (member 2). The base is a byte address in code
   memory, a multiple of 2 KB. */
#define HV_KIVO_ETB_BASE(address)   ((HV_KIVO_ARG_(address) >> 11) & 0xFFU)
#define HV_KIVO_ETB_UNLOCKED        ((uint32_t)0x0U << 31)
#define HV_KIVO_ETB_LOCKED          ((uint32_t)0x1U << 31)

/* ECR: engine configuration (members 3 and 6) */
#define HV_KIVO_MDIS_OFF            ((uint32_t)0x0U << 30)
#define HV_KIVO_MDIS_ON             ((uint32_t)0x1U << 30)
#define HV_KIVO_FPSCK_DIV2          ((uint32_t)0x0U << 16)
#define HV_KIVO_FPSCK_DIV4          ((uint32_t)0x1U << 16)
#define HV_KIVO_FPSCK_DIV8          ((uint32_t)0x2U << 16)
#define HV_KIVO_FPSCK_DIV16         ((uint32_t)0x3U << 16)
#define HV_KIVO_FPSCK_DIV32         ((uint32_t)0x4U << 16)
#define HV_KIVO_FPSCK_DIV64         ((uint32_t)0x5U << 16)
#define HV_KIVO_FPSCK_DIV128        ((uint32_t)0x6U << 16)
#define HV_KIVO_FPSCK_DIV256        ((uint32_t)0x7U << 16)
#define HV_KIVO_CDFC_TWO_SAMPLE     ((uint32_t)0x0U << 20)
#define HV_KIVO_CDFC_THREE_SAMPLE   ((uint32_t)0x1U << 20)
#define HV_KIVO_CDFC_INTEGRATION    ((uint32_t)0x2U << 20)
#define HV_KIVO_CDFC_BYPASS         ((uint32_t)0x3U << 20)  /* Kivo2 */
#define HV_KIVO_FCSS_PRESCALED      ((uint32_t)0x0U << 22)  /* Kivo2 */
#define HV_KIVO_FCSS_FULL           ((uint32_t)0x1U << 22)  /* Kivo2 */
#define HV_KIVO_SPPDIS_OFF          ((uint32_t)0x0U << 8)   /* Kivo2 */
#define HV_KIVO_SPPDIS_ON           ((uint32_t)0x1U << 8)   /* Kivo2 */

/* TBCR: time base configuration (members 4 and 7) */
#define HV_KIVO_TCR1P(divider)      ((HV_KIVO_ARG_M1_(divider) & 0xFFU) << 0)
#define HV_KIVO_TCR2P(divider)      ((HV_KIVO_ARG_M1_(divider) & 0x3FU) << 8)
#define HV_KIVO_TCR1CS_DIV2         ((uint32_t)0x0U << 14)
#define HV_KIVO_TCR1CS_FULL         ((uint32_t)0x1U << 14)
#define HV_KIVO_TCR1CTL_TCRCLK      ((uint32_t)0x0U << 16)
#define HV_KIVO_TCR1CTL_KIVO_CLK    ((uint32_t)0x1U << 16)
#define HV_KIVO_TCR1CTL_OFF         ((uint32_t)0x2U << 16)
#define HV_KIVO_TCR2CTL_GATED_DIV8  ((uint32_t)0x0U << 18)
#define HV_KIVO_TCR2CTL_RISE        ((uint32_t)0x1U << 18)
#define HV_KIVO_TCR2CTL_FALL        ((uint32_t)0x2U << 18)
#define HV_KIVO_TCR2CTL_BOTH        ((uint32_t)0x3U << 18)
#define HV_KIVO_TCR2CTL_KIVO_DIV8   ((uint32_t)0x4U << 18)
#define HV_KIVO_TCR2CTL_PTB         ((uint32_t)0x5U << 18)  /* Kivo2 */
#define HV_KIVO_AM_OFF              ((uint32_t)0x0U << 22)
#define HV_KIVO_AM_CH0              ((uint32_t)0x1U << 22)
#define HV_KIVO_AM_CH1              ((uint32_t)0x2U << 22)
#define HV_KIVO_AM_CH2              ((uint32_t)0x3U << 22)
#define HV_KIVO_TCRCF1_KIVO_DIV2    ((uint32_t)0x0U << 24)
#define HV_KIVO_TCRCF1_CHAN_FILTER  ((uint32_t)0x1U << 24)
#define HV_KIVO_TCRCF2_TWO_SAMPLE   ((uint32_t)0x0U << 25)
#define HV_KIVO_TCRCF2_INTEGRATION  ((uint32_t)0x1U << 25)

/* STACCR: STAC bus (members 5 and 8) */
#define HV_KIVO_REN1_OFF            ((uint32_t)0x0U << 31)
#define HV_KIVO_REN1_ON             ((uint32_t)0x1U << 31)
#define HV_KIVO_RSC1_SERVER         ((uint32_t)0x0U << 30)
#define HV_KIVO_RSC1_CLIENT         ((uint32_t)0x1U << 30)
#define HV_KIVO_SRV1(slot)          ((HV_KIVO_ARG_(slot) & 0xFU) << 16)
#define HV_KIVO_REN2_OFF            ((uint32_t)0x0U << 15)
#define HV_KIVO_REN2_ON             ((uint32_t)0x1U << 15)
#define HV_KIVO_RSC2_SERVER         ((uint32_t)0x0U << 14)
#define HV_KIVO_RSC2_CLIENT         ((uint32_t)0x1U << 14)
#define HV_KIVO_SRV2(slot)          ((HV_KIVO_ARG_(slot) & 0xFU) << 0)

/* WDTR: watchdog, Kivo2 only (members 9 and 10) */
#define HV_KIVO_WDM_OFF             ((uint32_t)0x0U << 28)
#define HV_KIVO_WDM_THREAD          ((uint32_t)0x1U << 28)
#define HV_KIVO_WDM_BUSY            ((uint32_t)0x2U << 28)
#define HV_KIVO_WDCNT(count)        ((HV_KIVO_ARG_(count) & 0xFFFFU) << 0)

/* ------------------------------------------------------------------------
   Arguments of the generic channel initialisation hv_kivo_chan_init and of
   hv_kivo_enable, used for functions that have no C API of their own.
   ------------------------------------------------------------------------ */
#define HV_KIVO_FUNC_NUMBER(number) ((uint8_t)(HV_KIVO_ARG_(number) & 0x1FU))
#define HV_KIVO_FM0                 ((uint8_t)0U)
#define HV_KIVO_FM1                 ((uint8_t)1U)
#define HV_KIVO_FM2                 ((uint8_t)2U)
#define HV_KIVO_FM3                 ((uint8_t)3U)
#define HV_KIVO_HSR_1               ((uint8_t)1U)
#define HV_KIVO_HSR_2               ((uint8_t)2U)
#define HV_KIVO_HSR_3               ((uint8_t)3U)
#define HV_KIVO_HSR_4               ((uint8_t)4U)
#define HV_KIVO_HSR_5               ((uint8_t)5U)
#define HV_KIVO_HSR_6               ((uint8_t)6U)
#define HV_KIVO_HSR_7               ((uint8_t)7U)
#define HV_KIVO_PRM_COUNT(count)    ((uint8_t)(HV_KIVO_ARG_(count) & 0xFU))
#define HV_KIVO_ETCS_STANDARD       ((uint32_t)0x0U << 24)
#define HV_KIVO_ETCS_ALTERNATE      ((uint32_t)0x1U << 24)
#define HV_KIVO_PRIORITY_LOW        ((uint8_t)1U)
#define HV_KIVO_PRIORITY_MIDDLE     ((uint8_t)2U)
#define HV_KIVO_PRIORITY_HIGH       ((uint8_t)3U)

/* Size of one channel's parameter word in parameter RAM, in bytes */
#define HV_KIVO_PARAM_WORD          4U

/* ------------------------------------------------------------------------
   Calls
   ------------------------------------------------------------------------ */

/* Loads the function set image into code memory, checks it against its
   MISC value and writes the ten configuration registers. */
int32_t hv_kivo_init(const struct kivo_config_t *config,
                     const uint32_t *image, uint32_t image_words,
                     uint32_t misc_value);

/* Sets the interrupt, DMA request, output disable and output polarity
   masks of one engine (bit n = channel n). */
void hv_kivo_set_channel_masks(uint8_t engine, uint32_t cie, uint32_t dtre,
                               uint32_t odis, uint32_t opol);

/* Assigns a function to a channel, reserves num_param parameter words and
   issues the host service request init_hsr. Returns the parameter RAM
   address of the channel, or HV_KIVO_ERROR_MALLOC. func_frame may hand in
   a frame that was reserved before; 0 lets the call reserve one. */
uint32_t hv_kivo_chan_init(uint8_t channel, uint8_t func_num,
                           uint8_t func_mode, uint8_t init_hsr,
                           uint8_t num_param, uint32_t chan_config,
                           uint32_t *func_frame);

/* Channel parameter RAM access; offsets are byte offsets in the channel's
   frame. */
void hv_kivo_set_chan_local_32(uint8_t channel, uint32_t offset,
                               uint32_t value);
void hv_kivo_set_chan_local_24(uint8_t channel, uint32_t offset,
                               uint32_t value);
uint32_t hv_kivo_get_chan_local_32(uint8_t channel, uint32_t offset);

/* Host service request to a running channel. */
void hv_kivo_hsr(uint8_t channel, uint8_t hsr);

/* Starts and stops the scheduling of a channel. */
void hv_kivo_enable(uint8_t channel, uint8_t priority);
void hv_kivo_disable(uint8_t channel);

/* Starts all time bases of the module together (MCR.GTBE set). */
void hv_kivo_start_time_bases(void);

#endif /* HV_KIVO_H */
