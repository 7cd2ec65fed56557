korvane_add_test(tst_layout
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_layout.cpp
    LIBS korvane_table)

korvane_add_test(tst_window
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_window.cpp
    LIBS korvane_table)
# The same picture on a screen of device pixel ratio 2.
add_test(NAME tst_window_hidpi COMMAND tst_window pictureOfEightSeats newGameLaysOutEverySeat)
set_tests_properties(tst_window_hidpi PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")
