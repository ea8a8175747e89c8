# The virtual printer, in layers; a folder uses only those listed before it
# (render and device both sit on the interpreter, and not on each other).
# tools/check-layers.py keeps it so.
foreach(layer paper characters symbols commands interpreter render device)
    include(${CMAKE_CURRENT_LIST_DIR}/${layer}/sources.cmake)
endforeach()
