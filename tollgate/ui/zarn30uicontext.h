// What every window of the Tollgate needs: the services its lists and dialogs use.
#ifndef ZARN_TOLLGATE_UI_ZARN30UICONTEXT_H
#define ZARN_TOLLGATE_UI_ZARN30UICONTEXT_H

#include "zarnlistctrl.h"

struct CZARN30UiContext {
    zarn::ListServices list;  // UI services, desktop, profile, export dialogs, caption, logo
};

// Menu resource 128 of the Tollgate: submenus FILTER (0), TREE (1), ACTIVE (2), SCANNED (3)
// and ERROR (4).
constexpr unsigned kMenuResource = 128;
void RegisterTollgateMenus();

#endif
