// Resource ids shared by the program, the language library and the tests.
#pragma once

// Message strings.
#define IDS_PRODUCT_NAME        5101
#define IDS_HELP_LINK           5102
#define IDS_MANUAL_LINK         5103
#define IDS_UNINSTALL_CAPTION   5104
#define IDS_UNINSTALL_DONE      5105
#define IDS_DELETE_MANUALLY     5106
#define IDS_CONFIRM_UNINSTALL   5107
#define IDS_CANNOT_OPEN_LIST    5108
#define IDS_CLASS_QUILLO        5109
#define IDS_CLASS_ZIP           5110
#define IDS_CLASS_REV           5111
#define IDS_HOME_PAGE           5112

// Setup options dialog "SETUPDLG". The archive-type boxes run from
// IDC_ASSOC_FIRST in slot order (QLO, ZIP, CAB, ARJ, LZH, ACE, TAR, GZip,
// UUE, BZ2, JAR, ISO).
#define IDC_ASSOC_FIRST         5101
#define IDC_ASSOC_LAST          5112
#define IDC_DESKTOP_LINK        5113
#define IDC_STARTMENU_LINK      5114
#define IDC_PROGRAM_GROUP       5115
#define IDC_SHELL_INTEGRATION   5116
#define IDC_CASCADED_MENUS      5117
#define IDC_MENU_ICONS          5118
#define IDC_SELECT_ALL          5119
#define IDC_EXPLANATION         5120
#define IDC_CONTEXT_ITEMS       5121

// Context menu items dialog "CONTEXTITEMS": one box per command, in order.
#define IDC_MENU_ITEM_FIRST     101
#define IDC_MENU_ITEM_LAST      111

// Completion dialog "DONEDLG".
#define IDC_INSTALL_FOLDER      5101
#define IDC_RUN_QUILLO          5102
#define IDC_READ_HELP           5103
#define IDC_VIEW_LICENSE        5104
#define IDC_PRICE_LIST          5105
#define IDC_HOME_PAGE           5106
#define IDC_THANKS              5107

// Controls that no dialog procedure addresses.
#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// The predefined window classes by their ordinals, as dialog templates
// name them (a class given as text would be stored as text).
#define CLASS_BUTTON            0x80
#define CLASS_STATIC            0x82
