# The commands README.md and HACKING.md give for playing, measuring and recording, each run once
# in its quickest form by command_check.py (label "commands": scripts/test.sh runs them as a
# step of their own, many at once, since they mostly wait). Each must end with status 0 and
# print its figures; none is judged on its speed. A wrong argument, a missing program or a
# missing tool must be one line and status 1. (The fuzz script and the mutants script are
# steps of scripts/test.sh.) They come with the benchmarks and probes (DIRAVIRU_BENCH=ON, CI's
# normal build), so the sanitizer build does not run them again.
if(DIRAVIRU_BENCH)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(python ${Python3_EXECUTABLE})
  set(root ${PROJECT_SOURCE_DIR})
  set(game $<TARGET_FILE:diraviru>)

  # diraviru_command(<name> <seconds> <command_check.py options> -- <command>...)
  function(diraviru_command name seconds)
    add_test(NAME command_${name}
             COMMAND ${python} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/command_check.py
                     --timeout ${seconds} ${ARGN})
    math(EXPR ctest_seconds "${seconds} + 30")
    set_tests_properties(command_${name} PROPERTIES LABELS commands TIMEOUT ${ctest_seconds})
  endfunction()

  # --- measuring: every figure printed, in the quickest form --------------------------------
  diraviru_command(benchmarks 120
    --expect "BM_RoundFrameFourCom/heavy:1 " --expect "BM_ConvertPage/2 "
    --expect "BM_FourCosmo2Explosions/" --expect "BM_MeteorShowerAndFourCosmo2/"
    --expect "BM_FourCosmo2PlainWalk/"
    -- $<TARGET_FILE:diraviru_bench> --benchmark_min_time=0.01)
  diraviru_command(pacing_probe 120 --env SDL_VIDEODRIVER=dummy
    --expect "WAIT   1 \\(target   4.0 ms\\): [0-9]+ frames  median"
    --expect "WAIT   2 \\(target   8.0 ms\\)" --expect "WAIT  10 \\(target  40.0 ms\\)"
    --expect "presents: [0-9]+  median" --expect "shown: [0-9]+  median"
    -- $<TARGET_FILE:pacing_probe> --no-verdict 1)
  diraviru_command(net_probe 180
    --expect "^1 machine\\(s\\)" --expect "input delay [0-9]+ frames"
    --expect "^4 machine\\(s\\), the last falls silent"
    --expect "machine 3: frame period median [0-9.]+ ms" --expect "turned COM on the host"
    -- $<TARGET_FILE:net_probe> 300)
  diraviru_command(net_match_probe 180
    --expect "^2 machines, 50 ms each way" --expect "^4 machines, .*input delay [0-9]+ frames"
    --expect "machine 3: [1-9][0-9]* frames, period median"
    -- $<TARGET_FILE:net_match_probe> 3)
  diraviru_command(net_door_probe 120
    --expect "no flood: host frames [1-9][0-9]*, period median"
    --expect "flooding the host: host frames [1-9][0-9]*, period median"
    --expect "are held: [0-9]+ of 5 welcomed" --expect "the host sent it [0-9]+ in"
    -- $<TARGET_FILE:net_door_probe> 3)
  diraviru_command(cpu_share 120
    --expect "first picture \\(the logo\\) after [0-9.]+ s"
    --expect "round, two COM players, WAIT 1: +[0-9.]+ % of a core"
    -- ${python} ${root}/tools/cpu_share.py ${game} 1)
  diraviru_command(screenshots 180 --png 640x480 "{scratch}/*.png"
    --expect "wrote .*/title.png" --expect "wrote .*/round.png"
    -- ${python} ${root}/tools/screenshots.py ${game} {scratch})
  diraviru_command(replay_probe 120 --expect "^recorded [0-9.]+ s of a match: [0-9]+ bytes"
    --expect "^--check: status 0, [0-9.]+ s" --expect "^--play in the window: status 0"
    -- ${python} ${root}/tools/replay_probe.py ${game} 3)
  diraviru_command(peak_rss 120 --expect "Maximum resident set size \\(kbytes\\): [0-9]+"
    -- bash ${root}/bench/peak_rss.sh ${game} 2)
  # The share itself is the developers' to keep (HACKING.md), not a gate of CI.
  diraviru_command(test_ratio 60 --env RATIO_LOW=0 --env RATIO_HIGH=1000
    --expect "^tests [0-9]+ / code [0-9]+ = [0-9.]+"
    -- ${python} ${root}/scripts/test_ratio.py)

  # --- playing and recording ----------------------------------------------------------------
  diraviru_command(golden_replays_kept 120 --env DIRAVIRU_KEEP_REPLAYS={scratch}
    --file "{scratch}/*.dvr" --expect "PASSED"
    -- $<TARGET_FILE:golden_tests>)
  # scripts/play.sh builds and starts build/diraviru: only that build folder can run it.
  if(PROJECT_BINARY_DIR STREQUAL "${root}/build")
    diraviru_command(play_script 180 --expect "Pause: status 0"
      -- ${python} ${CMAKE_CURRENT_LIST_DIR}/play_script_test.py ${root})
  endif()

  # --- a failed run is one line -------------------------------------------------------------
  diraviru_command(fails_cpu_share_without_a_program 30 --fails --expect "no program at"
    -- ${python} ${root}/tools/cpu_share.py ${PROJECT_BINARY_DIR}/no-such-program)
  diraviru_command(fails_screenshots_without_xvfb 30 --fails --env PATH=/nonexistent
    --expect "^screenshots.py: Xvfb is missing"
    -- {python} ${root}/tools/screenshots.py ${game} {scratch})
  diraviru_command(fails_replay_probe_with_wrong_seconds 30 --fails
    --expect "^replay_probe.py: seconds must be a number above 0, not 'ten'"
    -- ${python} ${root}/tools/replay_probe.py ${game} ten)
  diraviru_command(fails_peak_rss_without_a_program 30 --fails
    --expect "^peak_rss: no program at"
    -- bash ${root}/bench/peak_rss.sh ${PROJECT_BINARY_DIR}/no-such-program)
  diraviru_command(fails_mutants_with_no_such_mutant 30 --fails
    --expect "^mutants.py: no mutant in .* has a name with no-such-mutant"
    -- ${python} ${root}/scripts/mutants.py {scratch} --only no-such-mutant)
  diraviru_command(fails_pacing_probe_with_wait_zero 30 --fails
    --expect "^pacing_probe: a WAIT value must be a whole number from 1 to 999, not '0'"
    -- $<TARGET_FILE:pacing_probe> 1 0)
  diraviru_command(fails_net_probe_with_too_few_frames 30 --fails
    --expect "^net_probe: frames per case must be a whole number from 100"
    -- $<TARGET_FILE:net_probe> 5)
  diraviru_command(fails_net_match_probe_with_wrong_seconds 30 --fails
    --expect "^net_match_probe: seconds per case must be a whole number"
    -- $<TARGET_FILE:net_match_probe> 2.5)
endif()
