// Ids of the resources and controls, shared by the resource script, the Win32
// shell and the portable core. Plain numbers only: windres reads this too.
#ifndef TACTIMER_RES_RESOURCE_IDS_H
#define TACTIMER_RES_RESOURCE_IDS_H

// Strings
#define IDS_TITLE 102
#define IDS_WNDCLASS 108

// Dialog templates
#define IDD_VERSION_INFO 103
#define IDD_CALC_FORM 130

// Menu commands
#define IDM_SHOW_VERSION 104
#define IDM_QUIT 105

// Icons
#define IDI_FRAME 106
#define IDI_FRAME_SMALL 107

// Menu and accelerator table
#define IDR_FRAME 108

// Calculator form controls; the 32 result fields (1009 to 1040) are listed
// with their notes in the note-length table.
#define IDC_CALCULATE 1001
#define IDC_TEMPO 1007
#define IDC_RESOLUTION 1008

#endif
