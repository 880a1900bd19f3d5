# The real program where it cannot start (char.bmp missing or bad, no display), and in a real
# window under Xvfb with a damaged char.bmp or settings file and with saves that fail.
# Outside CI a machine without Xvfb or xdotool skips the window part (exit 77); in CI it
# fails.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME startup_real_program
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/startup_test.py
            $<TARGET_FILE:diraviru> ${PROJECT_SOURCE_DIR}/assets/char.bmp)
  set_tests_properties(startup_real_program PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL ON)
endif()
