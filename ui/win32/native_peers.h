#pragma once
// Peers that show controls as the system's own controls: owner-drawn flat buttons, check
// boxes, radio buttons, memos, check lists, progress bars and the directory edit.
#include <memory>

#include "ui/control.h"

namespace zov::ui::win32 {

std::unique_ptr<TControlPeer> CreateNativePeer(TControl& control);

}  // namespace zov::ui::win32
