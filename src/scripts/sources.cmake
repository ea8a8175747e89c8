target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PauseView.h
    ${CMAKE_CURRENT_LIST_DIR}/RunState.h
    ${CMAKE_CURRENT_LIST_DIR}/ScriptArguments.h
    ${CMAKE_CURRENT_LIST_DIR}/ScriptArguments.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptInterpreter.h
    ${CMAKE_CURRENT_LIST_DIR}/ScriptInterpreter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Directives.h
    ${CMAKE_CURRENT_LIST_DIR}/Directives.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptRunner.h
    ${CMAKE_CURRENT_LIST_DIR}/ScriptRunner.cpp
)
target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmPause.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmPause.cpp
)
