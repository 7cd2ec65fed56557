# The card library and the card picture.
korvane_add_test(tst_cards SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_cards.cpp LIBS korvane_cards)

# The same pictures on screens scaled by 2 and by a fraction.
korvane_add_test(tst_cards_hidpi SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_cards_hidpi.cpp
                 LIBS korvane_cards)
set_tests_properties(tst_cards_hidpi PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")
add_test(NAME tst_cards_hidpi_fractional COMMAND tst_cards_hidpi)
set_tests_properties(tst_cards_hidpi_fractional PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=1.5")
add_test(NAME tst_cards_hidpi_uneven COMMAND tst_cards_hidpi)
set_tests_properties(tst_cards_hidpi_uneven PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=1.1")
