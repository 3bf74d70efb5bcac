# The uninstall engine.
target_sources(uninstall_core PRIVATE ${PROJECT_SOURCE_DIR}/src/uninstall/uninstall.cpp)

add_executable(interpreterprobe probes/interpreterprobe.cpp)
qlo_add_test(uninstall_tests FAMILIES win98 winxp LOCK integration
    SOURCES uninstall/uninstall_test.cpp)
add_dependencies(uninstall_tests interpreterprobe)
