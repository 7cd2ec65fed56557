# The table window.
add_library(korvane_table STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TableLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableLayout.h
    ${CMAKE_CURRENT_LIST_DIR}/TablePaint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TablePaint.h
    ${CMAKE_CURRENT_LIST_DIR}/frmKorvane.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frmKorvane.h
)
target_include_directories(korvane_table PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(korvane_table PUBLIC korvane_engine Qt6::Widgets)
if(TARGET korvane_cards)
    target_link_libraries(korvane_table PUBLIC korvane_cards)
endif()

# The movement, dialogs and saved-game libraries come from directories configured after this one;
# their names are resolved when the build is generated.
target_link_libraries(korvane_table PUBLIC korvane_movement korvane_dialogs korvane_savedgame_ui)
