#pragma once

#include "platform/formdescription.h"

namespace app {

// The main window as it is created: caption, size, controls in creation order, hidden menu.
platform::FormDescription frmMainDescription();

} // namespace app
