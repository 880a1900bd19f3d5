# Fails the build when a source includes a header from a folder above its own:
#   cmake -DROOT=<source dir> -DLAYERS=<folders, bottom first, separated by commas>
#         -P check_layers.cmake
# A file in one of the listed folders (or below one) may include headers of its own folder
# and of the folders listed before it. Folders not listed (tests, benchmarks, fuzzers, tools)
# are not checked. Every .cpp and .h under ROOT is read, build folders and the fixtures of
# the check's own tests and npm's packages aside.
string(REPLACE "," ";" layers "${LAYERS}")
file(GLOB_RECURSE sources ${ROOT}/*.cpp ${ROOT}/*.h)
set(offenders)
foreach(source IN LISTS sources)
  file(RELATIVE_PATH relative ${ROOT} ${source})
  if(relative MATCHES "^build[^/]*/|^tests/build_checks/|/node_modules/")
    continue()
  endif()
  string(REGEX MATCH "^[^/]+" folder "${relative}")
  list(FIND layers "${folder}" level)
  if(level EQUAL -1)
    continue()
  endif()
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^/\"]+)/.*$" "\\1" included "${line}")
    list(FIND layers "${included}" includedLevel)
    if(includedLevel GREATER level)
      list(APPEND offenders "${relative} -> ${included}/")
    endif()
  endforeach()
endforeach()
if(offenders)
  string(REPLACE ";" ", " offenders "${offenders}")
  message(FATAL_ERROR "An include runs back up a layer (${LAYERS}): ${offenders}")
endif()
