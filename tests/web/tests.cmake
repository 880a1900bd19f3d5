# The web backend's key table and gamepads are plain C++: their tests run in every build.
target_sources(web_tests PRIVATE ${PROJECT_SOURCE_DIR}/platform/web_keys.cpp
                                 ${PROJECT_SOURCE_DIR}/platform/web_pads.cpp)
