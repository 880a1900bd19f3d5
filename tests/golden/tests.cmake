# The golden matches count allocations with the allocation tests' operator new, and hash every
# page they see: optimised even in a debugging build, so that they take seconds there too.
target_sources(golden_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../alloc/counting_new.cpp)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/golden_test.cpp PROPERTIES COMPILE_OPTIONS -O2)
