# Matches recorded by the game, checked by the real program as a player would: every round of
# each must end exactly as recorded, or the test names the first round that differs. They
# were recorded from the golden matches' scripts (DIRAVIRU_KEEP_REPLAYS=folder golden_tests);
# after a deliberate change of a rule they are recorded again the same way.
file(GLOB recorded_replays CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/data/*.dvr)
foreach(replay IN LISTS recorded_replays)
  get_filename_component(name ${replay} NAME_WE)
  add_test(NAME replay_${name} COMMAND diraviru --play ${replay} --check)
  set_tests_properties(replay_${name} PROPERTIES PASS_REGULAR_EXPRESSION "every round matched")
endforeach()
