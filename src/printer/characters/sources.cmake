# Characters: the code pages and international sets, and which face and cell
# size draw a character. Knows the paper's text runs, nothing above.
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Characters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Characters.h
    ${CMAKE_CURRENT_LIST_DIR}/CodePages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CodePages.h
)
