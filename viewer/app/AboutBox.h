#pragma once
// The About box of the Help menu.

class QDialog;
class QWidget;

namespace vexlan {

// Items of the About box's texts in the string table (resource::kAboutDialog); 0 is the caption.
namespace about {
constexpr int kCaption = 0, kVersion = 1, kCopyright = 2;
constexpr int kTextItems[] = {kCaption, kVersion, kCopyright};
}  // namespace about

QDialog* CreateAboutBox(QWidget* parent);

}  // namespace vexlan
