# Small widget helpers more than one window uses.
target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Accessibility.h
    ${CMAKE_CURRENT_LIST_DIR}/Accessibility.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowPlace.h
    ${CMAKE_CURRENT_LIST_DIR}/WindowPlace.cpp
)
