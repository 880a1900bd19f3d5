# The network tests use the network library and the relay that stands in for a distant
# network.
if(TARGET net_tests)
  target_sources(net_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/udp_relay.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/loopback_match.cpp)
  target_link_libraries(net_tests PRIVATE diraviru_net)
endif()
