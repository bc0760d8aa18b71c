#pragma once
// The About box of the Help menu.

class QDialog;
class QWidget;

namespace vexlan {

QDialog* CreateAboutBox(QWidget* parent);

}  // namespace vexlan
