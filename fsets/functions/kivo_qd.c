/* kivo_qd.c: host-side initialisation of the Kivo QD function. */
#include "kivo_qd.h"

#define QD_HSR_PHASE_A          7U
#define QD_HSR_PHASE_B          6U
#define QD_HSR_INDEX            5U

/* hv_kivo_qd_init - Starts decoding an incremental encoder.
 *
 *   phase_a_channel - Channel of the encoder's A signal.
 *   phase_b_channel - Channel of the encoder's B signal; it must lie
 *      on the same engine as the A channel.
 *   index_channel - Channel of the index signal; only used when
 *      index_mode selects an index.
 *   priority - Scheduling priority of the channels.
 *   index_mode - Use of the index signal.
 *   lines_per_rev - Encoder lines per revolution (1 to 65535).
 *
 * Project notes: The encoder of %funcdesc%
 *   is wired to %linkpos%
 *   (signal A); signal B and the index signal use the other
 *   channels of this function in the channel table.
 *   The index is used as %valueof(index_mode)%,
 *   and the decoder counts %param(lines_per_rev)%
 *   lines per revolution.
 */
int32_t hv_kivo_qd_init(uint8_t phase_a_channel, uint8_t phase_b_channel,
                        uint8_t index_channel, uint8_t priority,
                        kivo_qd_index_t index_mode, uint16_t lines_per_rev)
{
    if (lines_per_rev == 0U)
        return HV_KIVO_ERROR_VALUE;
    if (KIVO_CHANNEL_ENGINE(phase_a_channel)
        != KIVO_CHANNEL_ENGINE(phase_b_channel))
        return HV_KIVO_ERROR_CHANNEL;
    if (hv_kivo_chan_init(phase_a_channel, KIVO_FUNC_QD, 0U, 0U,
                          KIVO_QD_PARAM_WORDS, HV_KIVO_ETCS_STANDARD, 0)
        == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    if (hv_kivo_chan_init(phase_b_channel, KIVO_FUNC_QD, 1U, 0U, 0U,
                          HV_KIVO_ETCS_STANDARD, 0) == HV_KIVO_ERROR_MALLOC)
        return HV_KIVO_ERROR_MALLOC;
    hv_kivo_set_chan_local_32(phase_a_channel, KIVO_QD_LINES, lines_per_rev);
    hv_kivo_hsr(phase_a_channel, QD_HSR_PHASE_A);
    hv_kivo_hsr(phase_b_channel, QD_HSR_PHASE_B);
    hv_kivo_enable(phase_a_channel, priority);
    hv_kivo_enable(phase_b_channel, priority);
    if (index_mode != KIVO_QD_NO_INDEX && index_channel != KIVO_CHAN_NOT_USED) {
        if (hv_kivo_chan_init(index_channel, KIVO_FUNC_QD,
                              (uint8_t)(1U + (uint32_t)index_mode), 0U, 0U,
                              HV_KIVO_ETCS_STANDARD, 0) == HV_KIVO_ERROR_MALLOC)
            return HV_KIVO_ERROR_MALLOC;
        hv_kivo_hsr(index_channel, QD_HSR_INDEX);
        hv_kivo_enable(index_channel, HV_KIVO_PRIORITY_HIGH);
    }
    return HV_KIVO_ERROR_NONE;
}

int32_t hv_kivo_qd_get_position(uint8_t phase_a_channel)
{
    return (int32_t)hv_kivo_get_chan_local_32(phase_a_channel,
                                              KIVO_QD_POSITION);
}
