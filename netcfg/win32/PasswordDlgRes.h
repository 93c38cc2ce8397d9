// Resource IDs of the password dialog.
// Plain #defines: the resource compiler reads this file too.
#pragma once

#define IDD_MODIFY_PASSWORD 133
#define IDC_PASSWORD_NEW 1089
#define IDC_PASSWORD_CONFIRM 1090
#define IDC_PASSWORD_OLD 1091
#define IDC_PASSWORD_USER 1092
#define IDC_PASSWORD_DEVICE 1093
#define IDC_PASSWORD_DEVICE_LABEL 1074
#define IDC_PASSWORD_USER_LABEL 1094
#define IDC_PASSWORD_OLD_LABEL 1095
#define IDC_PASSWORD_NEW_LABEL 1096
#define IDC_PASSWORD_CONFIRM_LABEL 1097
