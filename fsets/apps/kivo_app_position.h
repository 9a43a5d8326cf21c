/* kivo_app_position.h: encoder position and speed, built from the QD and
   PPM functions of the standard Kivo image.

   Full application name: Encoder Position and Speed

   Three neighbouring channels: the encoder's A and B signals feed a
   quadrature decoder, and the A signal, wired to the third channel as
   well, feeds a period measurement that gives the speed. The fixed-window
   variant (finit) counts encoder lines in a fixed window instead, which
   suits fast shafts.
*/

/* Kivo function used QD, PPM */

#ifndef KIVO_APP_POSITION_H
#define KIVO_APP_POSITION_H

#include "kivo_qd.h"
#include "kivo_ppm.h"

int32_t hv_kivo_app_position_init(uint8_t encoder_channel, uint8_t priority,
                                  uint16_t lines_per_rev,
                                  uint16_t speed_periods);

int32_t hv_kivo_app_position_finit(uint8_t encoder_channel,
                                   uint8_t priority,
                                   uint16_t lines_per_rev,
                                   uint32_t window);

/* Channel assignment (hv_kivo_app_position_init; default) Load: pos_load
   phase_a = encoder_channel; priority = priority
   phase_b = encoder_channel + 1
   speed = encoder_channel + 2
*/

/* Channel assignment (hv_kivo_app_position_finit; default) Load: pos_window_load
   phase_a = encoder_channel; priority = priority
   phase_b = encoder_channel + 1
   speed = encoder_channel + 2
*/

/* Load expression pos_load
   var shaft_speed {0..30000} [rpm];
   phase_a = pos_edge_rate * 17 * pos_cost;
   phase_b = phase_a;
   speed = lines_per_rev * shaft_speed / 60 * 15 * pos_cost
*/

/* Load expression pos_window_load
   var shaft_speed {0..30000} [rpm];
   phase_a = pos_edge_rate * 17 * pos_cost;
   phase_b = phase_a;
   speed = (lines_per_rev * shaft_speed / 60 * 6 + pos_windows * 20) * pos_cost
*/

/* Load expression pos_edge_rate
   expression = 2 * lines_per_rev * shaft_speed / 60
*/

/* Load expression pos_windows
   expression = kivo_tcr1_freq * (window > 0) / if(window > 0, window, 1)
*/

/* Load expression pos_cost
   expression = 2 * 100 / kivo_clock_freq
*/

#endif /* KIVO_APP_POSITION_H */
