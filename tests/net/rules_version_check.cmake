# The version the build names follows the rules' sources: a changed byte in a rule source
# gives another version, the same sources the same one, and a change to the SDL backend none.
#   cmake -DSCRIPT=<cmake/rules_version.cmake> -DWORK=<scratch folder> -P rules_version_check.cmake
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/src/play/trail.cpp "int speed = 3;\n")
file(WRITE ${WORK}/src/net/protocol.h "#pragma once\n")
file(WRITE ${WORK}/src/platform/sdl_window.cpp "// draws\n")

function(version_of out)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK}/src -DFOLDERS=play,net,platform
                          -DOUTPUT=${WORK}/rules_version.h -P ${SCRIPT}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the script failed: ${status}")
  endif()
  file(STRINGS ${WORK}/rules_version.h line REGEX "kRulesVersion = ")
  string(REGEX MATCH "0x[0-9A-F]+u" found "${line}")
  if(NOT found)
    message(FATAL_ERROR "no version in the header: ${line}")
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

version_of(first)
version_of(again)
if(NOT again STREQUAL first)
  message(FATAL_ERROR "the same sources named ${first} then ${again}")
endif()
file(WRITE ${WORK}/src/platform/sdl_window.cpp "// draws faster\n")
version_of(backend)
if(NOT backend STREQUAL first)
  message(FATAL_ERROR "a change to the SDL backend changed the version: ${first} -> ${backend}")
endif()
file(WRITE ${WORK}/src/play/trail.cpp "int speed = 4;\n")
version_of(changed)
if(changed STREQUAL first)
  message(FATAL_ERROR "a changed rule kept the version ${first}")
endif()
message(STATUS "rules versions follow their sources: ${first} -> ${changed}")
