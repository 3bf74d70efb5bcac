// The sample language file of the repository, read by the loader as the
// program reads it, against the program's own strings.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>
#include <string>

#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "resource.h"

TEST(SampleLanguageFile, TranslatesEveryMessage)
{
    ProgramModule = ResourceModule = GetModuleHandleA(NULL);
    LanguageResources table;
    table.Load(QLO_SOURCE_DIR "\\res\\lang\\uninstall.lng");
    ASSERT_TRUE(table.IsLoaded());
    EXPECT_EQ(0, table.rightToLeft);
    for (int id = IDS_PRODUCT_NAME; id <= IDS_HOME_PAGE; id++) {
        SCOPED_TRACE(id);
        char own[256], translated[256];
        ASSERT_GT(LoadStringA(NULL, id, own, sizeof own), 0);
        table.Translate(translated, sizeof translated, own, nullptr, kMessageText);
        EXPECT_STRNE(own, translated);
        EXPECT_NE(0, translated[0]);
        EXPECT_EQ(strstr(own, "%s") != NULL, strstr(translated, "%s") != NULL);
    }
    char done[256];
    table.Translate(done, sizeof done, "Uninstall completed", nullptr, kMessageText);
    EXPECT_STREQ("D\xE9sinstallation termin\xE9" "e", done);
}
