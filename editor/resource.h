// Identifiers shared by the resource script, the windows and their tests.
#pragma once

#define IDI_APP 1
#define IDC_EYEDROPPER 2
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 101
#define IDR_SWATCHMENU 102

// Main window controls, in tab order. None is IDOK or IDCANCEL: Enter and Esc do nothing there.
#define IDC_TXTNAME 1001
#define IDC_LABEL1 1002
#define IDC_LABEL2 1003
#define IDC_PICSUNCOL 1004
#define IDC_PICAMBCOL 1005
#define IDC_LABEL3 1006
#define IDC_LABEL4 1007
#define IDC_PICTERRAMBCOL 1008
#define IDC_LABEL5 1009
#define IDC_LABEL6 1010
#define IDC_LABEL7 1011
#define IDC_PICSUNSPEC 1012
#define IDC_TXTSUNINC 1013
#define IDC_TXTSUNROT 1014
#define IDC_CMDSAVE 1015

// Main window menu items.
#define IDM_SAVE 2001
#define IDM_OPEN 2002
#define IDM_HELP 2003
#define IDM_EXIT 2004
#define IDM_PREVIEW 2005

// A colour swatch's menu.
#define IDM_CHOOSECOLOUR 2101
#define IDM_COPYCOLOUR 2102
#define IDM_PASTECOLOUR 2103

// Help window controls (cmdOK is IDOK, so Enter presses it).
#define IDC_PICICON 3002
#define IDC_LBLTITLE 3003
#define IDC_LBLVERSION 3004
#define IDC_ABOUT_LABEL7 3005
#define IDC_ABOUT_LABEL6 3006
#define IDC_ABOUT_LABEL5 3007
#define IDC_ABOUT_LABEL4 3008
#define IDC_ABOUT_LABEL3 3009
#define IDC_ABOUT_LABEL2 3010
#define IDC_ABOUT_LABEL1 3011
#define IDC_ABOUT_LABEL8 3012

// Preview window controls.
#define IDC_PREVIEW_PICTURE 4001
#define IDC_PREVIEW_COMPASS 4002
#define IDC_PREVIEW_HINT 4003
#define IDC_PREVIEW_TEXT 4004
