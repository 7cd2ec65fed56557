add_executable(bench_cards ${CMAKE_CURRENT_LIST_DIR}/bench_cards.cpp)
target_link_libraries(bench_cards PRIVATE korvane_cards benchmark::benchmark)
