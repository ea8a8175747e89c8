# Bytes to paper: the interpreter takes the reader's commands and lays out
# receipts (text, images, symbols, graphics, page mode, NV graphics).
# ReceiptInterpreter.h is its interface; the rest is its inside.
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CharacterInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CharacterInput.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandRouter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandRouter.h
    ${CMAKE_CURRENT_LIST_DIR}/GraphicsCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphicsCommands.h
    ${CMAKE_CURRENT_LIST_DIR}/ImageInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImageInput.h
    ${CMAKE_CURRENT_LIST_DIR}/InterpreterContext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InterpreterContext.h
    ${CMAKE_CURRENT_LIST_DIR}/NvGraphics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NvGraphics.h
    ${CMAKE_CURRENT_LIST_DIR}/PageLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaperLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaperLayout.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptInterpreter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptInterpreter.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptModes.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptParts.h
    ${CMAKE_CURRENT_LIST_DIR}/SymbolCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SymbolCommands.h
    ${CMAKE_CURRENT_LIST_DIR}/SymbolCommands2D.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextAndPrinterCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TraceRecorder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TraceRecorder.h
)
