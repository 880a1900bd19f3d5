# Fails the build when a source includes a header it must not see:
#   cmake -DROOT=<source dir> -DHEADER=<regex: the included path's start>
#         -DALLOWED=<regex: the paths, relative to ROOT, that may include it>
#         -DWHAT=<the header's name for the message> -P check_confined_includes.cmake
# Every .cpp and .h under ROOT is read, build folders and the fixtures of the checks' own
# tests and npm's packages aside.
file(GLOB_RECURSE sources ${ROOT}/*.cpp ${ROOT}/*.h)
set(offenders)
foreach(source IN LISTS sources)
  file(RELATIVE_PATH relative ${ROOT} ${source})
  if(relative MATCHES "^build[^/]*/|^tests/build_checks/|/node_modules/" OR relative MATCHES "${ALLOWED}")
    continue()
  endif()
  file(STRINGS ${source} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]${HEADER}")
  if(hits)
    list(APPEND offenders ${relative})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "${WHAT} is included outside its place: ${offenders}")
endif()
