// Identifiers of the dialog's resources, shared by the resource script and
// the code.
#pragma once

#define IDD_CONVERTER 102
#define IDI_MAIN 128

#define IDC_MPS_PATH 1003
#define IDC_BROWSE_MPS 1005
#define IDC_LIST_WAYPOINTS 1007
#define IDC_WAYPOINT_LIST 1008
#define IDC_WAYPOINT_COUNT 1010
#define IDC_TRACK_COUNT 1012
#define IDC_CONVERT_WTR 1013

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
