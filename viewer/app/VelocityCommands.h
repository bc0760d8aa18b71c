#pragma once
// The velocity commands of the main window: Options > Measure Velocity, and the velocity
// calculator behind the small button beside the form's Velocity box.

namespace vexlan {

class CMainFrame;

void InstallVelocityCommands(CMainFrame& frame);

}  // namespace vexlan
