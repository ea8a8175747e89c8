# The printer's command language: the control bytes, the one command reader
# that splits the stream, and the table of every command (length, family, words).
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CommandLengths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandLengths.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandReader.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandWords.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandWords.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandWordsGraphics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandWordsPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ControlBytes.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrinterCommands.h
)
