// Resource and control ids of UnInstall.
#pragma once

#define IDR_MAINFRAME 128

#define IDD_UNINSTALL 102

// The "Ok!" marks of the six removal steps, in step order.
#define IDC_MARK_CONDUIT 1001
#define IDC_MARK_CONDUIT_REGISTRATION 1002
#define IDC_MARK_MANAGER_FILES 1003
#define IDC_MARK_PROGRAM_FOLDERS 1004
#define IDC_MARK_REGISTRY_ENTRIES 1005
#define IDC_MARK_PROGRAM_GROUP 1006
#define IDC_HEADLINE 1007
#define IDC_WARNING_MARK 1008
#define IDC_WARNING_LINE1 1009
#define IDC_WARNING_LINE2 1010
#define IDC_WARNING_FRAME 1011
