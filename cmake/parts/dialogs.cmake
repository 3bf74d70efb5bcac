# The setup dialogs: setup options, context menu items, completion.
target_sources(uninstall_core PRIVATE
    ${PROJECT_SOURCE_DIR}/src/dialogs/context_items_dialog.cpp
    ${PROJECT_SOURCE_DIR}/src/dialogs/done_dialog.cpp
    ${PROJECT_SOURCE_DIR}/src/dialogs/setup_dialog.cpp)

# The templates' bytes are the same under every family; their layout by the
# dialog manager is checked under both.
qlo_add_test(dialog_template_tests FAMILIES win98 winxp FILTER "*LayOut*"
    SOURCES dialogs/dialog_templates_test.cpp)
qlo_add_test(dialog_template_tests FAMILIES winxp FILTER "*HoldEveryControl*")
qlo_add_test(setup_run_tests FAMILIES win98 winxp LOCK integration
    SOURCES dialogs/setup_run_test.cpp integration/registry_snapshot.cpp)
target_include_directories(setup_run_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/integration)
# What a person sees: the same under both families (the setup runs cover
# what differs), captured once.
qlo_add_test(setup_screenshot_tests FAMILIES winxp LOCK integration
    SOURCES dialogs/setup_screenshots_test.cpp)
