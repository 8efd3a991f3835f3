/* The message box dialog: template and control identifiers, the same in both
 * programs (each program has its own template under these numbers). Plain
 * defines: the resource scripts include this file too. */
#pragma once

#define IDD_MESSAGE 140
#define IDC_MESSAGE_ICON 1017
#define IDC_MESSAGE_TEXT 1012
/* The program's icon shown small in the box's caption bar. */
#define IDI_PROGRAM_SMALL 129
