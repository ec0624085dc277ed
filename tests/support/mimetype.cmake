# Builds a MIME database of the plan's type alone and checks that it reads cleanly and maps
# the plan's file name to the type.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/packages)
configure_file(${PACKAGE} ${WORK}/packages/com.vowline.Desktop.xml COPYONLY)
# The database sits where the data folders would look for it, or the tool says they won't.
get_filename_component(data ${WORK} DIRECTORY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${data} XDG_DATA_DIRS=${data}
                        ${UPDATE} ${WORK}
                RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "update-mime-database failed (${result}): ${errors}")
endif()
file(READ ${WORK}/globs2 globs)
if(NOT globs MATCHES "application/x-vowline-plan:VowlineDB.pdb:cs")
    message(FATAL_ERROR "the plan's file name is not in the globs:\n${globs}")
endif()
