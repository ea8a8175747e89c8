target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ConfigScrn.h
    ${CMAKE_CURRENT_LIST_DIR}/ConfigScrn.cpp
)
