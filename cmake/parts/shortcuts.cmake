# Links and program groups.
target_sources(uninstall_core PRIVATE ${PROJECT_SOURCE_DIR}/src/integration/shortcuts.cpp)
target_link_libraries(uninstall_core PUBLIC uuid)
qlo_add_test(shortcut_tests FAMILIES win98 winxp LOCK integration
    SOURCES integration/shortcuts_test.cpp)
