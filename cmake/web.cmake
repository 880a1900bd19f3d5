# The web build, made with Debian's Emscripten (`emcmake cmake`, see scripts/web.sh). One
# compilation of the game's libraries serves three programs:
#   - the page: index.html, diraviru.js and diraviru.wasm (char.bmp built in);
#   - diraviru_node.js, the replay checker under Node.js (`--play FILE --check`);
#   - golden_tests.js, the golden matches under Node.js.
# Nothing is fetched at build or run time: no Emscripten ports.

# The web backend: the only code that sees Emscripten (checked like SDL's confinement).
file(GLOB web_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/web_*.cpp)
add_library(diraviru_web STATIC ${web_sources})
target_include_directories(diraviru_web PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(diraviru_web PUBLIC diraviru_platform)
add_dependencies(diraviru_web check_emscripten_confined)
set(web_page_script ${PROJECT_SOURCE_DIR}/platform/web_platform.js)
target_link_options(diraviru_web INTERFACE "SHELL:--js-library ${web_page_script}" -lidbfs.js)

# The page. The game's waits for an event are the only places where it hands the tab back
# to the browser (Asyncify); the functions of the page's script that wait are named here.
set(web_waits web_wait web_yield web_open_storage web_store_files)
string(REPLACE ";" "," web_waits "${web_waits}")
function(diraviru_page target)
  target_link_libraries(${target} PRIVATE diraviru_shell diraviru_web)
  target_link_options(${target} PRIVATE
    -sENVIRONMENT=web -sASYNCIFY "-sASYNCIFY_IMPORTS=[${web_waits}]" -sALLOW_MEMORY_GROWTH=1
    -sEXPORTED_RUNTIME_METHODS=FS
    "SHELL:--embed-file ${PROJECT_SOURCE_DIR}/assets/char.bmp@/program/char.bmp")
  set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY
                        ${CMAKE_BINARY_DIR} LINK_DEPENDS ${web_page_script})
endfunction()
add_executable(diraviru ${PROJECT_SOURCE_DIR}/shell/web_main.cpp)
diraviru_page(diraviru)
add_custom_command(TARGET diraviru POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/web/index.html
          ${CMAKE_BINARY_DIR}/index.html)

# The pacing probe as a page of its own (web_pacing_probe.html); tools/web_probe.mjs runs it.
# Built every time, so that a change of the game's code that breaks it shows at once.
add_executable(web_pacing_probe ${PROJECT_SOURCE_DIR}/bench/probes/web_pacing_probe.cpp)
diraviru_page(web_pacing_probe)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/web/index.html)
file(READ ${PROJECT_SOURCE_DIR}/web/index.html probe_page)
string(REPLACE "diraviru.js" "web_pacing_probe.js" probe_page "${probe_page}")
file(WRITE ${CMAKE_BINARY_DIR}/web_pacing_probe.html "${probe_page}")

# Under Node.js, on the machine's own files (NODERAWFS): the replay checker, run from a folder
# holding char.bmp (the build folder gets a copy).
# Node.js 20 cannot load a .wasm beside the script by its path (its fetch takes URLs only):
# the Node.js programs carry theirs inside (SINGLE_FILE).
set(node_options -sENVIRONMENT=node -sSINGLE_FILE=1 -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
add_executable(diraviru_node ${PROJECT_SOURCE_DIR}/shell/node_main.cpp)
target_link_libraries(diraviru_node PRIVATE diraviru_shell)
target_link_options(diraviru_node PRIVATE ${node_options})
set_target_properties(diraviru_node PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_custom_command(TARGET diraviru_node POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/assets/char.bmp
          ${CMAKE_BINARY_DIR}/char.bmp)

if(NOT DIRAVIRU_TESTS)
  return()
endif()
enable_testing()
# The tests run the programs with Node.js itself (the emulator Emscripten's CMake files
# choose passes an option Node.js 20 refuses).
find_program(NODE_JS NAMES node nodejs REQUIRED)

# GoogleTest from Debian's sources (the googletest package), compiled for Node.js.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian: googletest)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own code needs no optimising: it compiles in a fraction of the time.
target_compile_options(gtest PRIVATE -O0)
target_compile_options(gtest_main PRIVATE -O0)

file(GLOB support_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
add_library(diraviru_test_support STATIC ${support_sources})
target_include_directories(diraviru_test_support PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(diraviru_test_support PUBLIC diraviru_shell diraviru_replay gtest)
target_compile_definitions(diraviru_test_support PUBLIC
  DIRAVIRU_SOURCE_DIR="${PROJECT_SOURCE_DIR}" DIRAVIRU_BINARY_DIR="${PROJECT_BINARY_DIR}")

add_executable(golden_tests ${PROJECT_SOURCE_DIR}/tests/golden/golden_test.cpp
                            ${PROJECT_SOURCE_DIR}/tests/alloc/counting_new.cpp)
target_link_libraries(golden_tests PRIVATE diraviru_test_support gtest_main)
target_link_options(golden_tests PRIVATE ${node_options})
set_target_properties(golden_tests PROPERTIES SUFFIX ".js")
add_test(NAME web_golden_matches COMMAND ${NODE_JS} $<TARGET_FILE:golden_tests>)

# The replays recorded by the desktop game, checked by the web build's game.
file(GLOB recorded_replays CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/replay/data/*.dvr)
foreach(replay IN LISTS recorded_replays)
  get_filename_component(name ${replay} NAME_WE)
  add_test(NAME web_replay_${name} COMMAND ${NODE_JS} $<TARGET_FILE:diraviru_node> --play ${replay} --check
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(web_replay_${name} PROPERTIES PASS_REGULAR_EXPRESSION "every round matched")
endforeach()

# The page in headless Chromium (Debian's), driven by tests/web/browser_test.mjs with the
# puppeteer-core that `npm ci` puts in tests/web/node_modules (scripts/web.sh does).
add_test(NAME web_page_in_chromium
         COMMAND ${NODE_JS} ${PROJECT_SOURCE_DIR}/tests/web/browser_test.mjs ${CMAKE_BINARY_DIR})
set_tests_properties(web_page_in_chromium PROPERTIES TIMEOUT 240)

# The web probe of README.md's measuring table, run once as the commands of the desktop build
# are (tests/commands/command_check.py): it must end with status 0 and print its figures, and
# a build folder without the page is one line and status 1.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(check ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/commands/command_check.py)
add_test(NAME command_web_probe
         COMMAND ${check} --timeout 200 --expect "diraviru.wasm: [0-9]+ bytes"
                 --expect "first picture after opening the page: median [0-9]+ ms"
                 --expect "a round of two computer players, .* of a core"
                 --expect "WAIT   1 \\(target   4.0 ms\\): [0-9]+ frames"
                 --expect "WAIT  10 \\(target  40.0 ms\\)"
                 -- ${NODE_JS} ${PROJECT_SOURCE_DIR}/tools/web_probe.mjs ${CMAKE_BINARY_DIR})
add_test(NAME command_fails_web_probe_without_a_page
         COMMAND ${check} --fails --expect "^web_probe: .*no-such-folder"
                 -- ${NODE_JS} ${PROJECT_SOURCE_DIR}/tools/web_probe.mjs ${CMAKE_BINARY_DIR}/no-such-folder)
set_tests_properties(command_web_probe PROPERTIES LABELS commands TIMEOUT 230)
set_tests_properties(command_fails_web_probe_without_a_page PROPERTIES LABELS commands TIMEOUT 60)
