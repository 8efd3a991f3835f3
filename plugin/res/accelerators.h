/* Mapwick's accelerator table for its modeless dialogs, and the commands it
 * sends. */
#pragma once

#define IDR_ACCEL_MODALESS 134
#define ID_CMD_HELP 57670
