# What every operation shares: the port, the operator, the pump, the view,
# the link, the counters and the display routine.
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Session.h
    ${CMAKE_CURRENT_LIST_DIR}/Session.cpp
)
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/QuitSignals.h
    ${CMAKE_CURRENT_LIST_DIR}/QuitSignals.cpp
    # The console tools' standard error: theirs alone; their command lines' common checks.
    ${CMAKE_CURRENT_LIST_DIR}/CommandLineChecks.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandLineChecks.cpp
    # The options the command lines share: one declaration, check and message each.
    ${CMAKE_CURRENT_LIST_DIR}/CommonOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/CommonOptions.cpp
    # Words the window, marlix-run and the simulator say alike.
    ${CMAKE_CURRENT_LIST_DIR}/SharedWords.h
    ${CMAKE_CURRENT_LIST_DIR}/SharedWords.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuietRuntimeNotes.h
    ${CMAKE_CURRENT_LIST_DIR}/QuietRuntimeNotes.cpp
)
# Settings persistence and the traffic log: the main window, the settings
# dialog, the preview and marlix-run all use them.
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.h
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrafficLog.h
    ${CMAKE_CURRENT_LIST_DIR}/TrafficLog.cpp
)
# Between a point-of-sale program and the printer: a pty or a TCP port it
# connects to, passed through to the port (the window and marlix-run).
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PassThrough.h
    ${CMAKE_CURRENT_LIST_DIR}/PassThrough.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgramEnd.h
    ${CMAKE_CURRENT_LIST_DIR}/ProgramEnd.cpp
    # What passes, shown as the terminal's own traffic, in words given from above.
    ${CMAKE_CURRENT_LIST_DIR}/PassThroughWatch.h
    ${CMAKE_CURRENT_LIST_DIR}/PassThroughWatch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrafficWords.h
)
# The port, the paper it feeds and the built-in printer, joined in one place
# (no widgets); the paper's stored settings, which the window's paper and the
# preview share.
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PaperFeed.h
    ${CMAKE_CURRENT_LIST_DIR}/PaperFeed.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaperSettings.h
    ${CMAKE_CURRENT_LIST_DIR}/PaperSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortHub.h
    ${CMAKE_CURRENT_LIST_DIR}/PortHub.cpp
)
# One printer while the program runs: everything above, made once; the faces present it.
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PrinterStation.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterStation.cpp
)
