# The counting operator new is compiled into the allocation tests' program only.
target_sources(alloc_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/counting_new.cpp)
