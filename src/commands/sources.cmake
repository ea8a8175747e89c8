target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Notation.h
    ${CMAKE_CURRENT_LIST_DIR}/Notation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusDecoder.h
    ${CMAKE_CURRENT_LIST_DIR}/StatusDecoder.cpp
    # A pass-through's traffic as the display shows it, both directions marked.
    ${CMAKE_CURRENT_LIST_DIR}/PassThroughText.h
    ${CMAKE_CURRENT_LIST_DIR}/PassThroughText.cpp
)
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Commands.h
    ${CMAKE_CURRENT_LIST_DIR}/Commands.cpp
)
