# mktctables: writes the viewer's thermocouple table file from eu's ITS-90
# tables.  The build runs it to put "tctables.txt" into build/bin; install puts
# the file beside the programs.
orvela_program(mktctables SOURCES ${CMAKE_CURRENT_LIST_DIR}/../mktctables/mktctables.cpp LINK eu_tc_tables)

set(ORVELA_TCTABLES ${ORVELA_BIN_DIR}/tctables.txt)
add_custom_command(OUTPUT ${ORVELA_TCTABLES}
                   COMMAND mktctables ${ORVELA_TCTABLES}
                   DEPENDS mktctables
                   COMMENT "Writing the viewer's thermocouple tables")
add_custom_target(tctables ALL DEPENDS ${ORVELA_TCTABLES})
install(FILES ${ORVELA_TCTABLES} DESTINATION ${ORVELA_INSTALL_BIN})

orvela_test(mktctables_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/../mktctables/tests/mktctables_test.cpp
            LINK eu_tc_tables)
if(TARGET mktctables_test)
  add_dependencies(mktctables_test tctables)
endif()
