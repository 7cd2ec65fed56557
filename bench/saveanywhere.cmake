# Saves at every moment, reopened and played to the end: a plain program that prints its figures.
# It shares the scripted player and the checks with tests/savedgame/tst_saveanywhere.cpp through
# a header of the tests' support folder (header only: the benchmarks build without the tests).
add_executable(bench_saveanywhere ${CMAKE_CURRENT_LIST_DIR}/bench_saveanywhere.cpp)
set_target_properties(bench_saveanywhere PROPERTIES AUTOMOC OFF)
target_include_directories(bench_saveanywhere PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(bench_saveanywhere PRIVATE korvane_savedgame)
