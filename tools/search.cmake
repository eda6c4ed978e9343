# The command-line search (included by tools/CMakeLists.txt).
add_library(karosearch STATIC SearchTool.h SearchTool.cpp)
target_include_directories(karosearch PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(karosearch PUBLIC karocore)
add_executable(karo-search karo_search.cpp)
target_link_libraries(karo-search PRIVATE karosearch)
