// Unwindle's string table (its own numbering, independent of the programs').
#pragma once

#define IDS_UNINSTALL_CONFIRM       52
#define IDS_UNINSTALL_PRODUCT_BUSY  201
#define IDS_UNINSTALL_SETUP_BUSY    202
#define IDS_UNINSTALL_ERROR         203
