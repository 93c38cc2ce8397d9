// "增加设备" on the main dialog: a recorder the search cannot reach joins the table by its
// address.
#pragma once

namespace tesmara {

struct WindowState;

// Runs the add-device dialog; a recorder it read is added as the table's last row (unless its
// address is in the table already), then every row is ticked.
void RunAddDeviceCommand(WindowState& dialog);

}  // namespace tesmara
