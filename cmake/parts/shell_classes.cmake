# Shell extension registration, file classes and the application path.
target_sources(uninstall_core PRIVATE
    ${PROJECT_SOURCE_DIR}/src/integration/shell_extension.cpp
    ${PROJECT_SOURCE_DIR}/src/integration/file_classes.cpp)

# Stand-in for the shell extension library: a real in-process COM server
# that serves no class yet, built beside the program.
add_library(qloext SHARED
    ${PROJECT_SOURCE_DIR}/samples/qloext/qloext.cpp
    ${PROJECT_SOURCE_DIR}/samples/qloext/qloext.def)
set_target_properties(qloext PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_compile_options(qloext PRIVATE ${QLO_PRODUCT_FLAGS})
target_link_options(qloext PRIVATE -s)

# Apply the registrations from a program folder of a test's making.
add_executable(shellextprobe ${PROJECT_SOURCE_DIR}/tests/probes/shellextprobe.cpp)
target_link_libraries(shellextprobe PRIVATE uninstall_core uuid)
add_executable(classesprobe ${PROJECT_SOURCE_DIR}/tests/probes/classesprobe.cpp
    $<TARGET_OBJECTS:uninstall_resources>)
target_link_libraries(classesprobe PRIVATE uninstall_core)

# Every case that changes fixed keys (HKEY_CLASSES_ROOT\Quillo and the keys
# beside it, the class identifier, the approval, the application path) runs
# under the lock that the association tests share; the library's own cases
# touch no key.
set(QLO_SHELL_CLASSES_SOURCES
    integration/shell_extension_test.cpp integration/file_classes_test.cpp
    integration/shellext_registry.cpp)
qlo_add_test(shell_classes_tests FAMILIES win98 winxp FILTER "-ShellExtLibrary.*"
    LOCK integration SOURCES ${QLO_SHELL_CLASSES_SOURCES})
qlo_add_test(shell_classes_tests FAMILIES win98 winxp FILTER "ShellExtLibrary.*")
target_link_libraries(shell_classes_tests PRIVATE uuid)
add_dependencies(shell_classes_tests qloext shellextprobe classesprobe)
