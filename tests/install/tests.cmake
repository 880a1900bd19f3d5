# The game installed into a temporary prefix and started from there under Xvfb, and its
# Debian package made from the same install. Both in the normal build only: the sanitizer
# build's program is no program to install, and the rule of the folders is tested in both
# builds by shell_tests. Outside CI a missing tool skips what needs it (exit 77); in CI it
# fails.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND AND NOT DIRAVIRU_SANITIZE)
  add_test(NAME install_into_prefix
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/install_test.py installed
            ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR})
  set_tests_properties(install_into_prefix PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL ON)
  add_test(NAME install_debian_package
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/install_test.py package
            ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR})
  set_tests_properties(install_debian_package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
