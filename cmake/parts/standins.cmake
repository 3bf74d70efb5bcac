# The archiver's stand-in with the sample installation's text files, and the
# open recorder that the test prefixes open documents, folders and addresses
# with.
qlo_add_test(standin_tests FAMILIES win98 winxp FILTER "-QuilloStandIn.*"
    SOURCES shell/quillo_standin_test.cpp shell/open_recorder_test.cpp)
# The stand-in asks nothing of the Windows family.
qlo_add_test(standin_tests FAMILIES winxp FILTER "QuilloStandIn.*")
add_dependencies(standin_tests quillo openrecorder)
