add_executable(bench_movement ${CMAKE_CURRENT_LIST_DIR}/bench_movement.cpp)
target_link_libraries(bench_movement PRIVATE korvane_movement benchmark::benchmark)
