# Installs the build into a fresh prefix and tries the installed program there:
#   cmake -DBUILD_DIR=... -DPREFIX=... -DTEST_APP=... -P check_install.cmake
# The installed program folder is then made read-only (by its permission bits, which is what
# the program looks at even when run by root) and a save for a user must land in the user's
# data folder.
foreach(var BUILD_DIR PREFIX TEST_APP)
    if(NOT ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

if(EXISTS ${PREFIX})
    file(CHMOD_RECURSE ${PREFIX} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    file(REMOVE_RECURSE ${PREFIX})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(program ${PREFIX}/lib/vowline)
foreach(file bin/vowline lib/vowline/vowline lib/vowline/VLHelp.htm
        lib/vowline/VowlineManual.htm lib/vowline/defaults/VowlRelTypes.pdb
        lib/vowline/defaults/VowlEventsM.pdb
        share/applications/com.vowline.Desktop.desktop
        share/icons/hicolor/scalable/apps/com.vowline.Desktop.svg
        share/metainfo/com.vowline.Desktop.metainfo.xml)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
if(NOT IS_DIRECTORY ${program}/PalmOS)
    message(FATAL_ERROR "not installed: lib/vowline/PalmOS/")
endif()

# The launcher on PATH runs the program.
execute_process(COMMAND ${PREFIX}/bin/vowline --version RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^Vowline Desktop [0-9]+\\.[0-9]+\\.[0-9]+")
    message(FATAL_ERROR "vowline --version: ${rc}\n${out}${err}")
endif()

# A read-only program folder: plans go to the data folder.
file(CHMOD ${program} DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
set(ENV{VOWLINE_INSTALLED_PROGRAM} ${program})
execute_process(COMMAND ${TEST_APP} installedProgramSavesInTheDataFolder
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(CHMOD ${program} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(NOT rc EQUAL 0 OR out MATCHES "SKIP")
    message(FATAL_ERROR "the save from the installed program folder failed:\n${out}${err}")
endif()
file(REMOVE_RECURSE ${PREFIX})
