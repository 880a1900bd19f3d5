# The artwork tests run the generator of assets/char.bmp, so they need it built and must
# know where it is.
if(TARGET assets_tests AND TARGET make_char_bmp)
  add_dependencies(assets_tests make_char_bmp)
  target_compile_definitions(assets_tests PRIVATE MAKE_CHAR_BMP_PATH="$<TARGET_FILE:make_char_bmp>")
endif()
# The icon tests read the PNGs the build draws for the desktop.
if(TARGET assets_tests AND TARGET icons)
  add_dependencies(assets_tests icons)
  target_link_libraries(assets_tests PRIVATE PNG::PNG)
  target_compile_definitions(assets_tests PRIVATE ICONS_DIR="${CMAKE_BINARY_DIR}/icons")
endif()
