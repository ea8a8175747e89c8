# The receipt preview: the terminal's own view of what the printer prints,
# drawn by the virtual printer (marlix_printer).
target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CommandDelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandDelegate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandModel.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandPanel.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EventMark.h
    ${CMAKE_CURRENT_LIST_DIR}/EventMark.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaperView.h
    ${CMAKE_CURRENT_LIST_DIR}/PaperView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrinterPanel.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptPreview.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptPreview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptPreviewInfo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RedrawPacer.h
    ${CMAKE_CURRENT_LIST_DIR}/RedrawPacer.cpp
)
target_link_libraries(marlix_ui PUBLIC marlix_printer)
