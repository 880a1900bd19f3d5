# The artwork tests run the generator of assets/char.bmp, so they need it built and must
# know where it is.
if(TARGET assets_tests AND TARGET make_char_bmp)
  add_dependencies(assets_tests make_char_bmp)
  target_compile_definitions(assets_tests PRIVATE MAKE_CHAR_BMP_PATH="$<TARGET_FILE:make_char_bmp>")
endif()
