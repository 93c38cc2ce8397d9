// Resource IDs of the main window (template 102) and the application-wide resources.
// Plain #defines: the resource compiler reads this file too.
#pragma once

#define IDR_MAINFRAME 128            // application icon
#define IDS_ABOUTBOX 101             // "关于 Tesmara(&A)..."
#define IDP_SOCKETS_INIT_FAILED 103  // "Windows 套接字初始化失败。"
#define IDM_ABOUTBOX 0x0010          // system-menu command of the About entry
#define IDD_ABOUTBOX 100
#define IDD_TESMARA_DIALOG 102

#define IDC_DEVICE_TABLE 1000
#define IDC_IP_SEARCH 1001
#define IDC_ALL 1002
#define IDC_FIRMWARE_PATH 1003
#define IDC_FIRMWARE_BROWSE 1004
#define IDC_CONFIG_PATH 1005
#define IDC_CONFIG_BROWSE 1006
#define IDC_START 1007
#define IDC_STATUS_LOG 1008
#define IDC_MODE_UPGRADE 1009
#define IDC_MODE_CONFIGURE 1010
#define IDC_MODE_SYNC_TIME 1011
#define IDC_START_ADDRESS 1013
#define IDC_LOGIN_USER 1017
#define IDC_LOGIN_PASSWORD 1018
#define IDC_FAIL_COUNT 1028
#define IDC_TOTAL_COUNT 1029
#define IDC_SUCCESS_COUNT 1030
#define IDC_OWN_ADDRESS 1032
#define IDC_START_ADDRESS_LABEL 1033
#define IDC_ADD_DEVICE 1036
#define IDC_MODIFY_CONFIG 1037
#define IDC_PANEL_ADDRESS 1040
#define IDC_PANEL_MASK 1080
#define IDC_PANEL_GATEWAY 1081
#define IDC_MODIFY_ADDRESS 1082
#define IDC_MODIFY_PORTS 1084
#define IDC_HTTP_PORT 1085
#define IDC_TCP_PORT 1086
#define IDC_MODIFY_PASSWORD 1087
