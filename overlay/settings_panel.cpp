#include "app/frm_lupe.hpp"

#include "platform/runtime/statements.hpp"

namespace lupe {

// Showing or hiding the panel changes nothing else: its children keep
// their captions, colours, positions and own visibility.
void frmLupe::Command8_Click() {
  step([&] { Frame1.Visible = true; });
}

void frmLupe::Command7_Click() {
  step([&] { Frame1.Visible = false; });
}

}  // namespace lupe
