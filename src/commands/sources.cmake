target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Notation.h
    ${CMAKE_CURRENT_LIST_DIR}/Notation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusDecoder.h
    ${CMAKE_CURRENT_LIST_DIR}/StatusDecoder.cpp
)
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Commands.h
    ${CMAKE_CURRENT_LIST_DIR}/Commands.cpp
)
