# The rich-text reader of the About window and the help viewer: two pieces
# that Qt does not offer, in a library of their own so that the tests and the
# fuzz target link them without the windows; with them the placing of windows
# in their frames and the message boxes, which the help viewer shows too.
set(CMAKE_AUTOMOC ON)

add_library(karorich STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/RtfReader.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RtfReader.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HelpViewer.h
  ${CMAKE_CURRENT_SOURCE_DIR}/HelpViewer.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Frame.h
  ${CMAKE_CURRENT_SOURCE_DIR}/Frame.cpp
)
target_include_directories(karorich PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(karorich PUBLIC karocore Qt6::Widgets)
