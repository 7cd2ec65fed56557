# Start-up and whole-game probes: plain programs that print their figures, run by
# scripts/measure-startup and scripts/measure-game (not Google Benchmark runs).
add_executable(startup_probe ${CMAKE_CURRENT_LIST_DIR}/startup_probe.cpp)
target_link_libraries(startup_probe PRIVATE korvane_table)

add_executable(wholegame_probe ${CMAKE_CURRENT_LIST_DIR}/wholegame_probe.cpp)
target_link_libraries(wholegame_probe PRIVATE korvane_table Qt6::Test)
