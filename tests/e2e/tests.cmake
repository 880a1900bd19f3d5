# The end-to-end test: the real program in a real X window under Xvfb, driven by real key
# events. Outside CI a machine without Xvfb or xdotool skips it (exit 77); in CI it fails.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME e2e_real_window
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/e2e_test.py
            $<TARGET_FILE:diraviru> ${PROJECT_SOURCE_DIR}/assets/char.bmp)
  set_tests_properties(e2e_real_window PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL ON)
endif()
