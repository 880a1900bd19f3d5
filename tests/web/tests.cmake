# The web backend's key table is plain C++: its tests run in every build.
target_sources(web_tests PRIVATE ${PROJECT_SOURCE_DIR}/platform/web_keys.cpp)
