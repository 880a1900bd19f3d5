# Fails when any source outside the SDL backend (platform/sdl_*, and its own tests in
# platform/sdl_tests/) includes an SDL header.
file(GLOB_RECURSE sources
  ${ROOT}/shell/*.cpp ${ROOT}/shell/*.h ${ROOT}/display/*.cpp ${ROOT}/display/*.h
  ${ROOT}/menus/*.cpp ${ROOT}/menus/*.h ${ROOT}/match/*.cpp ${ROOT}/match/*.h
  ${ROOT}/round/*.cpp ${ROOT}/round/*.h ${ROOT}/items/*.cpp ${ROOT}/items/*.h
  ${ROOT}/platform/*.cpp ${ROOT}/platform/*.h ${ROOT}/net/*.cpp ${ROOT}/net/*.h)
set(offenders)
foreach(source IN LISTS sources)
  get_filename_component(name ${source} NAME)
  if(name MATCHES "^sdl_" OR source MATCHES "/platform/sdl_tests/")
    continue()
  endif()
  file(STRINGS ${source} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL2/)?SDL")
  if(hits)
    list(APPEND offenders ${source})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "SDL is included outside the SDL backend: ${offenders}")
endif()
