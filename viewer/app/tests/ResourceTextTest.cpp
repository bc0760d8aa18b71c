// The menu, the form template and the About box take every text they show from the string table.
#include "app/AboutBox.h"
#include "res/StringIds.h"
#include "view/FormTemplate.h"
#include "app/FrameCommands.h"
#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace vexlan;

namespace {

bool HasResourceEntry(int resourceId, int itemId) {
    const auto keys = AllStringKeys();
    return std::find(keys.begin(), keys.end(), StringKey{resourceId, itemId}) != keys.end();
}

}  // namespace

TEST(ResourceText, NoKeyIsInTheTableTwice) {
    const auto keys = AllStringKeys();
    std::set<std::pair<int, int>> seen;
    for (const StringKey& k : keys)
        EXPECT_TRUE(seen.insert({k.resourceId, k.itemId}).second) << k.resourceId << "/" << k.itemId;
    // Plain strings and resource texts are separate sections: 128 is a plain string and a menu.
    EXPECT_TRUE(seen.count({kPlainStrings, string_id::kDocTemplate}));
    EXPECT_TRUE(seen.count({resource::kMainMenu, cmd::kOpen}));
}

TEST(ResourceText, EveryMenuPopupAndCommandHasItsText) {
    int count = 0;
    const MenuEntry* menu = MainMenu(count);
    std::set<int> keys;
    for (int i = 0; i < count; ++i) {
        const MenuEntry& e = menu[i];
        keys.insert(e.menu);
        EXPECT_STRNE(MenuText(e.menu), "") << "popup " << e.menu;
        if (e.submenu != popup::kNone) {
            keys.insert(e.submenu);
            EXPECT_STRNE(MenuText(e.submenu), "") << "popup " << e.submenu;
        }
        if (e.id == cmd::kSeparator) continue;
        keys.insert(e.id);
        const std::string text = MenuText(e.id);
        EXPECT_FALSE(text.empty()) << e.id;
        // A shortcut is shown after a tab, as the accelerator the item has.
        if (e.shortcut) {
            EXPECT_EQ(text.substr(text.find('\t') + 1), e.shortcut) << e.id;
        } else {
            EXPECT_EQ(text.find('\t'), std::string::npos) << e.id;
        }
    }
    // No text of the menu is left without an item: popup ids and command ids do not meet.
    for (const StringKey& k : AllStringKeys()) {
        if (k.resourceId == resource::kMainMenu) {
            EXPECT_TRUE(keys.count(k.itemId)) << k.itemId;
        }
    }
    EXPECT_STREQ(MenuText(cmd::kSave), "&Save..\tCtrl+S");
    EXPECT_STREQ(MenuText(popup::kChangeComPort), "Change COM Port");
}

TEST(ResourceText, EveryFormControlWithATextHasItAndNoOtherHasOne) {
    int count = 0;
    const ControlTemplate* controls = FormControls(count);
    std::set<int> captioned;
    for (int i = 0; i < count; ++i) {
        const ControlTemplate& c = controls[i];
        EXPECT_EQ(HasResourceEntry(resource::kFormTemplate, c.id), c.hasText) << c.id;
        if (c.hasText) {
            captioned.insert(c.id);
            EXPECT_STRNE(ControlText(c.id), "") << c.id;
        } else {
            EXPECT_STREQ(ControlText(c.id), "") << c.id;
        }
    }
    for (const StringKey& k : AllStringKeys()) {
        if (k.resourceId == resource::kFormTemplate) {
            EXPECT_TRUE(captioned.count(k.itemId)) << k.itemId;
        }
    }
    EXPECT_STREQ(ControlText(idc::kTimeDelayUnit), "sec");
    EXPECT_STREQ(ControlText(1033), "Length");
}

TEST(ResourceText, TheAboutBoxHasItsTexts) {
    for (int item : about::kTextItems) EXPECT_STRNE(LoadResourceText(resource::kAboutDialog, item), "") << item;
    EXPECT_STREQ(LoadResourceText(resource::kAboutDialog, about::kCaption), "About Vexlan");
    EXPECT_STREQ(LoadResourceText(resource::kAboutDialog, 99), "");
    EXPECT_STREQ(LoadResourceText(12345, 0), "");
}

TEST(ResourceText, DocumentTemplateFieldsSplitAtNewlines) {
    EXPECT_EQ(LoadDocTemplateField(DocTemplateField::WindowTitle), "Vexlan");
    EXPECT_EQ(LoadDocTemplateField(DocTemplateField::DocName), "");
    EXPECT_EQ(LoadDocTemplateField(DocTemplateField::FilterName), "Correlation Files (*.ked)");
    EXPECT_EQ(LoadDocTemplateField(DocTemplateField::FilterExtension), ".ked");
    EXPECT_EQ(LoadDocTemplateField(DocTemplateField::FileTypeName), "Correlation File");
}
