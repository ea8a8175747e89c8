# The layer check on small trees of its own: a tree whose includes all go
# down passes, and one include up or sideways fails it, named in its output.
# cmake -DPYTHON=... -DCHECK=tools/check-layers.py -DWORK=DIR -P planted.cmake
function(check_tree name include expected_status expected_line)
    set(tree ${WORK}/${name})
    file(REMOVE_RECURSE ${tree})
    file(WRITE ${tree}/src/link/Link.h "#pragma once\n")
    file(WRITE ${tree}/src/macros/Macro.h "#pragma once\n")
    file(WRITE ${tree}/src/terminal/Window.h "#pragma once\n#include \"link/Link.h\"\n")
    file(WRITE ${tree}/src/scripts/Script.cpp "#include \"scripts/Script.h\"\n#include \"${include}\"\n")
    file(WRITE ${tree}/src/scripts/Script.h "#pragma once\n")
    execute_process(COMMAND ${PYTHON} ${CHECK} ${tree} RESULT_VARIABLE status OUTPUT_VARIABLE output)
    if(NOT status EQUAL expected_status OR NOT output STREQUAL expected_line)
        message(FATAL_ERROR "${name}: status ${status}, output \"${output}\"; expected ${expected_status}, \"${expected_line}\"")
    endif()
endfunction()

check_tree(down link/Link.h 0 "")
check_tree(up terminal/Window.h 1 "src/scripts/Script.cpp:2: scripts uses terminal\n")
check_tree(sideways macros/Macro.h 1 "src/scripts/Script.cpp:2: scripts uses macros\n")
