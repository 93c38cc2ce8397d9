// Resource IDs of the own-address warning and its picture.
// Plain #defines: the resource compiler reads this file too.
#pragma once

#define IDD_WARNING 131
#define IDB_WARNING 132
#define IDC_WARNING_TEXT 1077
#define IDC_WARNING_PICTURE 1078
