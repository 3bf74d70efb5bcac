# File associations and the saved setup choices.
target_sources(uninstall_core PRIVATE
    ${PROJECT_SOURCE_DIR}/src/integration/setup_options.cpp
    ${PROJECT_SOURCE_DIR}/src/integration/associations.cpp)

# Applies associations from a program folder of a test's making, under the
# Windows version that Wine emulates for the probe's file name.
add_executable(assocprobe ${PROJECT_SOURCE_DIR}/tests/probes/assocprobe.cpp)
target_link_libraries(assocprobe PRIVATE uninstall_core)

# Every case changes fixed keys (the extensions under HKEY_CLASSES_ROOT and
# the product key), so none runs beside another that uses the product key.
set(QLO_ASSOC_SOURCES
    integration/setup_options_test.cpp integration/associations_test.cpp
    integration/registry_snapshot.cpp integration/assoc_fixture.cpp)
qlo_add_test(associations_tests FAMILIES win98 winxp FILTER "-NothingLost.*" LOCK integration
    SOURCES ${QLO_ASSOC_SOURCES})
add_dependencies(associations_tests assocprobe)
# The whole of HKEY_CLASSES_ROOT is compared before and after: nothing else
# may run meanwhile.
foreach(family win98 winxp)
    gtest_discover_tests(associations_tests
        TEST_PREFIX "${family}."
        TEST_FILTER "NothingLost.*"
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QLO_FAMILY=${family}" TIMEOUT 300 RUN_SERIAL TRUE
                   RESOURCE_LOCK integration
        TEST_LIST associations_tests_${family}_serial_tests)
endforeach()
