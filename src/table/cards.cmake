# The card-drawing library and the card picture widget.
add_library(korvane_cards STATIC
    ${CMAKE_CURRENT_LIST_DIR}/mdlCardAPI.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mdlCardAPI.h
    ${CMAKE_CURRENT_LIST_DIR}/PictureBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PictureBox.h
)
target_include_directories(korvane_cards PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(korvane_cards PUBLIC Qt6::Widgets Qt6::Svg korvane_engine)
