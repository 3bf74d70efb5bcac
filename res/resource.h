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
