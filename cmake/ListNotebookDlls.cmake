# cmake -P ListNotebookDlls.cmake WIN_BUILD_DIR: prints the emulated notebook's DLLs, one a line.
set(list_file "${CMAKE_ARGV3}/notebook-dlls.txt")
if(EXISTS "${list_file}")
    file(STRINGS "${list_file}" dlls)
    foreach(d IN LISTS dlls)
        message("${d}")
    endforeach()
endif()
