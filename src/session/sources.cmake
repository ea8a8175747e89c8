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
# Settings persistence and the traffic log: the main window, the settings
# dialog, the preview and marlix-run all use them.
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.h
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrafficLog.h
    ${CMAKE_CURRENT_LIST_DIR}/TrafficLog.cpp
)
