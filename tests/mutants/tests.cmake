# Every mutant of scripts/mutants.txt still applies to the sources: code that moves takes its
# mutants along (scripts/mutants.py names the ones left behind).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME mutants_apply_to_the_sources
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/mutants.py --stale)
