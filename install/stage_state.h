#pragma once
// What the stages share outside the windows: the cancel flag (the stage sequence reads it
// after the preparation window is gone, and the wizard writes it), how the install ended,
// and the log of the run.
namespace zov {

class TInstallLog;

inline bool SetupCancelled = false;
// The install failed (its message has been shown): no completion message follows.
inline bool InstallFailed = false;
// 0 installed; 1 cancelled, or failed before anything was installed; 2 failed during the
// install.
inline int SetupExitCode = 0;
// Where the run's actions are logged (the /LOG= switch); none when null.
inline TInstallLog* SetupLog = nullptr;

}  // namespace zov
