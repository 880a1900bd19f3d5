# The build's include checks refuse a backward include and a stray SDL include, on a small
# tree written here into the build folder: low/low.h includes high/high.h, and
# game/game.cpp includes SDL. (That they pass a clean tree, every build of the game shows.)
set(fixture ${CMAKE_CURRENT_BINARY_DIR}/build_check_fixture)
file(WRITE ${fixture}/high/high.h "// A header of the higher layer.\n")
file(WRITE ${fixture}/low/low.h "#include \"high/high.h\"  // from a lower layer up\n")
file(WRITE ${fixture}/game/game.cpp "#include <SDL.h>  // SDL outside the backend\n")
add_test(NAME build_check_refuses_an_include_up_a_layer
         COMMAND ${CMAKE_COMMAND} -DROOT=${fixture} -DLAYERS=low,high
                 -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake)
add_test(NAME build_check_refuses_sdl_outside_the_backend
         COMMAND ${CMAKE_COMMAND} -DROOT=${fixture} -DHEADER=SDL -DALLOWED=^platform/sdl_ -DWHAT=SDL
                 -P ${PROJECT_SOURCE_DIR}/cmake/check_confined_includes.cmake)
set_tests_properties(build_check_refuses_an_include_up_a_layer PROPERTIES
                     PASS_REGULAR_EXPRESSION "low/low.h -> high/")
set_tests_properties(build_check_refuses_sdl_outside_the_backend PROPERTIES
                     PASS_REGULAR_EXPRESSION "SDL is included outside its place: game/game.cpp")
