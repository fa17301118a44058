// Resource ids of the program.
#pragma once

#define IDD_ABOUTBOX            100
#define IDD_NETVETTER_DIALOG    102
#define IDR_MAINFRAME           128
#define IDI_STATUS_OK           1030
#define IDI_STATUS_BAD          1031

#define IDC_SUMMARY             1007
#define IDC_GRID_RESULT         1028
#define IDC_GRID_HEADER         1029

#define IDM_ABOUTBOX            0x0010
#define IDM_SUPPORTREPORT       0x0020

#define IDS_ABOUTBOX            101
#define IDS_HEAD_ADAPTER        102
#define IDS_PRODUCT_CODE        103
#define IDS_BUILD               104
#define IDS_CONGRATULATIONS     108
#define IDS_BAD_USB_DRIVER      109
#define IDS_OPERATING_SYSTEM    110
#define IDS_PASSED              111
#define IDS_BAD_3945_DRIVER     112
#define IDS_BAD_PROSET          113
#define IDS_OS_SUPPORTED        116
#define IDS_OS_NOT_SUPPORTED    117
#define IDS_OS_NA               118
#define IDS_HEAD_OS             119
#define IDS_HEAD_DRIVER         120
#define IDS_HEAD_STATUS         121
#define IDS_HEAD_RESOLUTION     122
#define IDS_STATUS_NOT_SUPPORTED 123
#define IDS_NO_ADAPTER          128
#define IDS_CMD_LIST            129
#define IDS_CMD_3945            130
#define IDS_CMD_USB             131
#define IDS_ON_THIS_OS          132
#define IDS_TITLE_FORMAT        133
#define IDS_REPLAY_TITLE        134
#define IDS_REPLAY_INSTALLER    135
#define IDS_SUPPORT_REPORT      136
#define IDS_SUPPORT_FILTER      137
#define IDS_SUPPORT_FAILED      138
#define IDS_ACTION_CLICK        150
#define IDS_STATUS_FAILED       151
#define IDS_VERSION             1032
