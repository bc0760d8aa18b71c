#pragma once
// The tool bar's 16 x 15 pictures, drawn here rather than shipped as files.

#include <QIcon>

namespace vexlan {

QIcon ToolbarIcon(int commandId);

}  // namespace vexlan
