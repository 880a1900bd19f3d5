# The network tests use the network library, the relay that stands in for a distant network
# and the hostile client; the hostile client is also a program of its own, to run against a
# real host (tests/net/hostile_client_main.cpp says how).
if(TARGET net_tests)
  target_sources(net_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/udp_relay.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/loopback_match.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/hostile_client.cpp)
  target_link_libraries(net_tests PRIVATE diraviru_net)
  add_executable(hostile_client ${CMAKE_CURRENT_LIST_DIR}/hostile_client.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/hostile_client_main.cpp)
  target_link_libraries(hostile_client PRIVATE diraviru_net)
endif()

add_test(NAME rules_version_follows_the_sources
         COMMAND ${CMAKE_COMMAND} -DSCRIPT=${PROJECT_SOURCE_DIR}/cmake/rules_version.cmake
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/rules_version_check
                 -P ${CMAKE_CURRENT_LIST_DIR}/rules_version_check.cmake)
set_tests_properties(rules_version_follows_the_sources PROPERTIES TIMEOUT 30)
