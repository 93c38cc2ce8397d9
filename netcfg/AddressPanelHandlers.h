// Main-dialog handlers of the address controls: the own-address check box and the
// selected device's address control.
#pragma once

namespace tesmara {

struct WindowState;

// The own-address box clicked: enables the start address only while addresses are handed out, after
// the operator confirmed the warning.
void OnOwnAddressClicked(WindowState& dialog);

// A field of the panel's address changed: proposes its gateway and mask and enables "Modify" unless
// the control is blank.
void OnPanelAddressFieldChanged(WindowState& dialog);

// The panel's address edited (any change of a field's text, emptying included, which brings no
// field-changed notice): disables its "Modify" once the control is blank.
void OnPanelAddressEdited(WindowState& dialog);

}  // namespace tesmara
