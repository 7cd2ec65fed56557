add_executable(bench_engine ${CMAKE_CURRENT_SOURCE_DIR}/bench_engine.cpp)
set_target_properties(bench_engine PROPERTIES AUTOMOC OFF)
target_link_libraries(bench_engine PRIVATE korvane_sim benchmark::benchmark)
