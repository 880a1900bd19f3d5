# The build's include checks refuse what they must and let the rest pass, on a fixture tree:
# low/low.h includes high/high.h, and game/game.cpp includes SDL.
set(fixture ${CMAKE_CURRENT_LIST_DIR}/fixture)
set(checks ${PROJECT_SOURCE_DIR}/cmake)
add_test(NAME build_check_refuses_an_include_up_a_layer
         COMMAND ${CMAKE_COMMAND} -DROOT=${fixture} -DLAYERS=low,high -P ${checks}/check_layers.cmake)
add_test(NAME build_check_passes_includes_down_the_layers
         COMMAND ${CMAKE_COMMAND} -DROOT=${fixture} -DLAYERS=high,low -P ${checks}/check_layers.cmake)
add_test(NAME build_check_refuses_sdl_outside_the_backend
         COMMAND ${CMAKE_COMMAND} -DROOT=${fixture} -DHEADER=SDL -DALLOWED=^platform/sdl_ -DWHAT=SDL
                 -P ${checks}/check_confined_includes.cmake)
add_test(NAME build_check_passes_sdl_where_allowed
         COMMAND ${CMAKE_COMMAND} -DROOT=${fixture} -DHEADER=SDL -DALLOWED=^game/ -DWHAT=SDL
                 -P ${checks}/check_confined_includes.cmake)
set_tests_properties(build_check_refuses_an_include_up_a_layer PROPERTIES
                     PASS_REGULAR_EXPRESSION "low/low.h -> high/")
set_tests_properties(build_check_refuses_sdl_outside_the_backend PROPERTIES
                     PASS_REGULAR_EXPRESSION "SDL is included outside its place: game/game.cpp")
