#pragma once
// The cancel flag the stages share. It lives outside the windows: the stage sequence reads
// it after the preparation window is gone, and the wizard writes it.
namespace zov {

inline bool SetupCancelled = false;

}  // namespace zov
