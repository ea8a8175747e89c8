# What every operation shares: the port, the operator, the pump, the view,
# the link, the counters and the display routine.
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Session.h
    ${CMAKE_CURRENT_LIST_DIR}/Session.cpp
)
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/QuitSignals.h
    ${CMAKE_CURRENT_LIST_DIR}/QuitSignals.cpp
)
