/* The ids of the dialog templates and their controls: read by the resource compiler (dialogs.rc)
   and by the dialogs' code, so both name the same numbers. Plain macros, for the resource
   compiler. Ids are per dialog: the same number names different controls in different dialogs. */
#ifndef KESTRAVA_RESOURCES_DIALOG_IDS_H
#define KESTRAVA_RESOURCES_DIALOG_IDS_H

/* Squawk airport list. */
#define IDD_SQUAWK_AIRPORTS 3000
#define IDC_SQK_ENABLE 3014
#define IDC_SQK_LIST 3000
#define IDC_SQK_ICAO_LABEL 3008
#define IDC_SQK_ICAO 3001
#define IDC_SQK_ADD 3002
#define IDC_SQK_REMOVE 3003
#define IDC_SQK_REMOVE_ALL 3004

/* Initial altitudes. */
#define IDD_INITIAL_ALTITUDES 3001
#define IDC_ALT_ENABLE 3013
#define IDC_ALT_LIST 3006
#define IDC_ALT_ICAO_LABEL 3008
#define IDC_ALT_ICAO 3001
#define IDC_ALT_SID_LABEL 3009
#define IDC_ALT_SID 3002
#define IDC_ALT_ALTITUDE_LABEL 3010
#define IDC_ALT_ALTITUDE 3003
#define IDC_ALT_ADD 3011
#define IDC_ALT_DELETE_SELECTED 3012
#define IDC_ALT_DELETE_ALL 3014

/* Time settings. */
#define IDD_TIME_SETTINGS 3002
#define IDC_TIME_SEPARATOR 3015
#define IDC_TIME_ADT_TYPE 3031
#define IDC_TIME_EARLY 3016
#define IDC_TIME_LATE 3018
#define IDC_TIME_PUSH 3019
#define IDC_TIME_TAKEOFF 3020
#define IDC_TIME_LANDING 3021
#define IDC_TIME_MODIFIED 3022

/* History trails. */
#define IDD_HISTORY_TRAILS 3003
#define IDC_TRAILS_SHOW 3019
#define IDC_TRAILS_COUNT 3026
#define IDC_TRAILS_COUNT_SPIN 3027
#define IDC_TRAILS_COLOUR 3016
#define IDC_TRAILS_ANTIALIAS 3028
#define IDC_TRAILS_TYPE 3029
#define IDC_TRAILS_DEGRADING 3030
#define IDC_TRAILS_FADE 3031

/* Statistics log. */
#define IDD_STATISTICS_LOG 3004
#define IDC_LOG_ENABLE 3032
#define IDC_LOG_PATH 3033
#define IDC_LOG_BROWSE 3034

/* Labels without an id of their own. */
#define IDC_STATIC (-1)

#endif
