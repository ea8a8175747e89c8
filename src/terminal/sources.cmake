target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/TerminalView.h
)
target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/QtOperator.h
    ${CMAKE_CURRENT_LIST_DIR}/QtOperator.cpp
)
