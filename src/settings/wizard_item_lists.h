#pragma once
// The setting item lists with which the main frame starts the wizard: one
// item for a device page's setting button, a whole group for the group wizard
// commands.
#include "settings/setting_item_list.h"

// The wizard-mode list with exactly `item` selected.
CSettingItemList SingleItemWizardList(int deviceType, int item);

// The wizard-mode list of a group wizard command (group 0: every item; 1 to
// 4: the items of that group stay, every other item is neither available nor
// selected). The list carries the group number.
CSettingItemList GroupWizardList(int deviceType, int group);
