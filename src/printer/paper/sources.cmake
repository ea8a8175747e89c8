# What comes out of the printer: receipts, their lines and images, and the trace
# that says which bytes made what. Plain data; depends on nothing else here.
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CommandTrace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandTrace.h
    ${CMAKE_CURRENT_LIST_DIR}/Receipt.h
)
