# Receipts to pictures and files: the faces, the renderer, the saved PNG and
# text, the check against baselines and its JUnit report.
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptCheck.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptFaces.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptFaces.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptFiles.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptJUnit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptJUnit.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptRenderer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptRenderer.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptRendererDots.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MonoPng.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MonoPng.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptTextDump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptTextDump.h
)
