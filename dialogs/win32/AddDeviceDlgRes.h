// Resource IDs of the add-device dialog.
// Plain #defines: the resource compiler reads this file too.
#pragma once

#define IDD_ADD_DEVICE 129
#define IDC_ADD_ADDRESS 1040
#define IDC_ADD_PORT 1041
#define IDC_ADD_USER 1042
#define IDC_ADD_PASSWORD 1043
