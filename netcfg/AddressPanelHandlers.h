// Main-dialog handlers of the address controls: the own-address check box (1032) and the
// selected-device address control (1040).
#pragma once

namespace tesmara {

struct WindowState;

// 1032 clicked: enables the start address only while addresses are handed out, after the operator
// confirmed the warning.
void OnOwnAddressClicked(WindowState& dialog);

// 1040 field changed: proposes gateway (1081) and mask (1080) and enables "Modify" (1082) unless
// the control is blank.
void OnPanelAddressFieldChanged(WindowState& dialog);

// 1040 edited (any change of a field's text, emptying included, which brings no field-changed
// notice): disables "Modify" (1082) once the control is blank.
void OnPanelAddressEdited(WindowState& dialog);

}  // namespace tesmara
