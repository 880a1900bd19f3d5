# The SDL backend's own test feeds real SDL events through the backend, so the platform
# tests link it (and see SDL's headers); it runs on SDL's dummy video driver.
if(TARGET platform_tests)
  target_link_libraries(platform_tests PRIVATE diraviru_sdl SDL2::SDL2)
endif()
