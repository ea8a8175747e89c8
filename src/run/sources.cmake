# marlix-run, the console runner: the core alone (no widgets, no display).
# Everything but main() is a library, so that the tests can reach it.
add_library(marlix_run STATIC
    ${CMAKE_CURRENT_LIST_DIR}/RunOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/RunOptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Console.h
    ${CMAKE_CURRENT_LIST_DIR}/Console.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RunnerPort.h
    ${CMAKE_CURRENT_LIST_DIR}/RunnerPort.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RunReceipts.h
    ${CMAKE_CURRENT_LIST_DIR}/RunReceipts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Runner.h
    ${CMAKE_CURRENT_LIST_DIR}/Runner.cpp
)
target_link_libraries(marlix_run PUBLIC marlix_core)
target_compile_options(marlix_run PRIVATE -Wall -Wextra)
target_compile_definitions(marlix_run PRIVATE MARLIX_VERSION="${PROJECT_VERSION}")

add_executable(marlix-run ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(marlix-run PRIVATE marlix_run)
add_dependencies(marlix-run marlix-netlink)
target_compile_options(marlix-run PRIVATE -Wall -Wextra)

install(TARGETS marlix-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/marlix-run.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
