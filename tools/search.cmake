# The command-line search (included by tools/CMakeLists.txt).
add_executable(karo-search karo_search.cpp)
target_link_libraries(karo-search PRIVATE karocore)
